#include "DisplayTestHelpers.h"

#include "controls/TLed.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <string>
#include <vector>

namespace {

using Grid = std::vector<std::string>;

const Grid kRoundDark = {
    ".....222222.....", "...2233333322...", "..233333333331..", ".23333333333331.",
    ".23334443333331.", "2333443333333331", "2333433333333331", "2333433333333331",
    "2333333333333331", "2333333333333331", "2333333333333331", ".23333333333331.",
    ".23333333333331.", "..133333333331..", "...1133333311...", ".....111111.....",
};

const Grid kRoundLit = {
    ".....222222.....", "...2234444422...", "..234455544441..", ".23455544444441.",
    ".24566644444441.", "2345664444444431", "2455644444444431", "2454444444444431",
    "2454444444444431", "2444444444444331", "2444444444444331", ".24444444444331.",
    ".24444444443331.", "..144444433331..", "...1133333311...", ".....111111.....",
};

// Built from the wording of the rectangular patterns rather than copied.
Grid rectangle(bool lit)
{
    Grid grid(16, std::string(16, '.'));
    grid[3] = std::string(16, '2');
    for (int row = 4; row <= 11; ++row)
        grid[row] = "2" + std::string(14, '3') + "1";
    grid[5] = "2344443333333331";
    grid[6] = "2344" + std::string(11, '3') + "1";
    grid[12] = "2" + std::string(15, '1');
    if (lit) {
        const Grid middle = {
            "2444444444444441", "2455555555555431", "2456554444444431", "2455544444444431",
            "2455444444444431", "2454444444444431", "2444444444444431", "2433333333333331",
        };
        for (int row = 4; row <= 11; ++row)
            grid[row] = middle[row - 4];
    }
    return grid;
}

constexpr unsigned kParent = 0x996633;

class LedPixels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, QColor(0x33, 0x66, 0x99));
        parent.setPalette(palette);
        parent.resize(60, 60);
        led = new TLed(&parent);
        led->move(10, 10);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    // Compares the LED's corner of the parent with the grid; 0 is the parent.
    ::testing::AssertionResult shows(const Grid& grid, const std::vector<unsigned>& colours)
    {
        const QImage image = displayGrab(parent);
        std::string wrong;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const char index = grid[y][x];
                const unsigned want = index == '.' ? kParent : colours[index - '1'];
                const unsigned got = displayPixel(image, 10 + x, 10 + y);
                if (got != want && wrong.size() < 300)
                    wrong += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
            }
        }
        if (wrong.empty())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "wrong pixels:" << wrong;
    }

    QWidget parent;
    TLed* led = nullptr;
};

const std::vector<unsigned> kRed = {0xFFFFFF, 0x808080, 0x000000, 0x0000FF, 0xFF00FF, 0xFFFFFF};
const std::vector<unsigned> kGreen = {0xFFFFFF, 0x808080, 0x000000, 0x00FF00, 0x00FFFF, 0xFFFFFF};
const std::vector<unsigned> kBlue = {0xFFFFFF, 0x808080, 0x000000, 0xFF0000, 0xFFFF00, 0xFFFFFF};
const std::vector<unsigned> kWhite = {0xFFFFFF, 0x808080, 0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF};

TEST_F(LedPixels, NewLedIsADarkRedCircle)
{
    EXPECT_EQ(led->size(), QSize(16, 16));
    EXPECT_TRUE(shows(kRoundDark, kRed));
}

TEST_F(LedPixels, LitGreenCircle)
{
    led->setKind(TLed::lkGreen);
    led->setValue(true);
    EXPECT_TRUE(shows(kRoundLit, kGreen));
}

TEST_F(LedPixels, RectanglesLeaveTheirTopAndBottomRowsToTheParent)
{
    led->setShape(TLed::lsRectangle);
    led->setKind(TLed::lkBlue);
    EXPECT_TRUE(shows(rectangle(false), kBlue));
    led->setValue(true);
    EXPECT_TRUE(shows(rectangle(true), kBlue));
    led->setKind(TLed::lkWhite);
    EXPECT_TRUE(shows(rectangle(true), kWhite));
}

TEST_F(LedPixels, LargerLedKeepsItsPatternInTheTopLeftCorner)
{
    led->resize(20, 20);
    led->setValue(true);
    EXPECT_TRUE(shows(kRoundLit, kRed));
    const QImage image = displayGrab(parent);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(displayPixel(image, 10 + 17, 10 + i), kParent);
        EXPECT_EQ(displayPixel(image, 10 + i, 10 + 18), kParent);
    }
}

} // namespace
