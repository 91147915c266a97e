#include "DisplayPolygonReference.h"
#include "DisplayTestHelpers.h"

#include "controls/TDigit.h"

#include <QString>
#include <QTest>

namespace {

constexpr unsigned kBlack = 0x000000;
constexpr unsigned kYellow = 0x00FFFF;
constexpr unsigned kDarkGrey = 0x404040;

// The element polygons of the two digit sizes of the main window, in drawing
// order: top, middle, bottom, upper-left, upper-right, lower-left,
// lower-right, corner mark.
const std::vector<std::vector<QPoint>> kFirstRow = {
    {{6, 5}, {11, 0}, {33, 0}, {38, 5}, {33, 10}, {11, 10}},
    {{6, 44}, {11, 39}, {33, 39}, {38, 44}, {33, 49}, {11, 49}},
    {{6, 83}, {11, 78}, {33, 78}, {38, 83}, {33, 88}, {11, 88}},
    {{0, 11}, {5, 6}, {10, 11}, {10, 38}, {5, 43}, {0, 38}},
    {{34, 11}, {39, 6}, {44, 11}, {44, 38}, {39, 43}, {34, 38}},
    {{0, 50}, {5, 45}, {10, 50}, {10, 77}, {5, 82}, {0, 77}},
    {{34, 50}, {39, 45}, {44, 50}, {44, 77}, {39, 82}, {34, 77}},
    {{44, 88}, {35, 88}, {44, 79}},
};

const std::vector<std::vector<QPoint>> kSecondRow = {
    {{6, 5}, {11, 0}, {33, 0}, {38, 5}, {33, 10}, {11, 10}},
    {{6, 34}, {11, 29}, {33, 29}, {38, 34}, {33, 39}, {11, 39}},
    {{6, 63}, {11, 58}, {33, 58}, {38, 63}, {33, 68}, {11, 68}},
    {{0, 11}, {5, 6}, {10, 11}, {10, 28}, {5, 33}, {0, 28}},
    {{34, 11}, {39, 6}, {44, 11}, {44, 28}, {39, 33}, {34, 28}},
    {{0, 40}, {5, 35}, {10, 40}, {10, 57}, {5, 62}, {0, 57}},
    {{34, 40}, {39, 35}, {44, 40}, {44, 57}, {39, 62}, {34, 57}},
    {{44, 68}, {35, 68}, {44, 59}},
};

std::vector<DisplayPolygon> coloured(const std::vector<std::vector<QPoint>>& elements,
                                     unsigned pattern)
{
    std::vector<DisplayPolygon> result;
    for (std::size_t i = 0; i < elements.size(); ++i)
        result.push_back({elements[i], (pattern >> i) & 1U ? kYellow : kDarkGrey});
    return result;
}

// Names the first few wrong pixels, which says more than a bare mismatch.
::testing::AssertionResult sameImage(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "size differs";
    QString wrong;
    int count = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (displayPixel(actual, x, y) != displayPixel(expected, x, y) && count++ < 12)
                wrong +=
                    QString::asprintf(" (%d,%d) is %06x not %06x", x, y, displayPixel(actual, x, y),
                                      displayPixel(expected, x, y));
    if (count == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << count << " pixels differ:" << wrong.toStdString();
}

class DigitPixels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(200, 200);
        digit = new TDigit(&window);
        digit->setColor(kBlack);
        digit->setColorOff(kDarkGrey);
        digit->setColorOn(kYellow);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void shape(int height)
    {
        digit->resize(45, height);
        digit->setThickness(5);
        digit->setSeparation(1);
    }

    QWidget window;
    TDigit* digit = nullptr;
};

TEST_F(DigitPixels, FirstRowDigitPaintsEveryElementAsItsPolygon)
{
    shape(89);
    for (unsigned pattern : {255U, 80U, 0U}) {
        SCOPED_TRACE(pattern);
        digit->setValueBinary(static_cast<std::uint8_t>(pattern));
        const QImage image = displayGrab(*digit);
        EXPECT_TRUE(
            sameImage(image, displayReference(45, 89, kBlack, coloured(kFirstRow, pattern))));
    }
}

TEST_F(DigitPixels, SecondRowDigitPaintsEveryElementAsItsPolygon)
{
    shape(69);
    digit->setValue(2);
    const QImage image = displayGrab(*digit);
    EXPECT_TRUE(sameImage(image, displayReference(45, 69, kBlack, coloured(kSecondRow, 55))));
}

// Independent of the reference drawing: the centre of each element, the
// outline and the gaps between elements, read off the worked example.
TEST_F(DigitPixels, ElementsAreFilledOutlinedAndSeparated)
{
    shape(89);
    digit->setValueBinary(255);
    const QImage lit = displayGrab(*digit);
    const QPoint centres[] = {{22, 5},  {22, 44}, {22, 83}, {5, 25},
                              {39, 25}, {5, 64},  {39, 64}, {42, 86}};
    for (QPoint c : centres)
        EXPECT_EQ(displayPixel(lit, c.x(), c.y()), kYellow) << c.x() << "," << c.y();
    // Outline pixels on each side of the top bar and of the corner mark.
    for (QPoint p : {QPoint(22, 0), QPoint(22, 10), QPoint(6, 5), QPoint(38, 5), QPoint(44, 88),
                     QPoint(40, 88), QPoint(44, 84), QPoint(40, 83)})
        EXPECT_EQ(displayPixel(lit, p.x(), p.y()), kBlack) << p.x() << "," << p.y();
    // Just inside those outlines.
    for (QPoint p : {QPoint(22, 1), QPoint(22, 9), QPoint(7, 5), QPoint(37, 5), QPoint(43, 87)})
        EXPECT_EQ(displayPixel(lit, p.x(), p.y()), kYellow) << p.x() << "," << p.y();
    // Between the top bar's tip and the upper-left bar's tip.
    EXPECT_EQ(displayPixel(lit, 5, 5), kBlack);

    digit->setValue(8);
    const QImage eight = displayGrab(*digit);
    EXPECT_EQ(displayPixel(eight, 42, 86), kDarkGrey);
    EXPECT_EQ(displayPixel(eight, 44, 86), kBlack);
}

TEST_F(DigitPixels, BackgroundColourFillsAroundAndOutlinesTheElements)
{
    shape(89);
    digit->setColor(0x800000);
    digit->setColorOff(0x800000);
    digit->setValue(1);
    const QImage image = displayGrab(*digit);
    // Dark elements vanish when they share the background colour.
    EXPECT_EQ(displayPixel(image, 22, 5), 0x800000U);
    EXPECT_EQ(displayPixel(image, 39, 25), kYellow);
    EXPECT_EQ(displayPixel(image, 34, 25), 0x800000U);
}

} // namespace
