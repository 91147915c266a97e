#include "DisplayTestHelpers.h"

#include "controls/TBitBtnWithColor.h"

#include <QFont>
#include <QPainter>
#include <QTest>

#include <set>
#include <utility>

namespace {

constexpr unsigned kYellow = 0x00FFFF;
constexpr unsigned kGreen = 0x008000;
constexpr unsigned kMagenta = 0xFF00FF;
constexpr unsigned kBlue = 0xFF0000;
constexpr unsigned kRed = 0x0000FF;
constexpr unsigned kWhite = 0xFFFFFF;
constexpr unsigned kGrey = 0x808080;
const unsigned kShadow = ColorRef::systemColorRgb(0x10);
const unsigned kLight = ColorRef::systemColorRgb(0x16);
const unsigned kDarkShadow = ColorRef::systemColorRgb(0x15);

QColor qcolor(unsigned bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QRect boxOf(const QImage& image, const QRect& within, auto&& wanted)
{
    QRect box;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (wanted(displayPixel(image, x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

// Glyph images of the given size, each on its ground (magenta unless given;
// the transparent colour, read from the bottom-left pixel) with a solid block
// one pixel in from each side.
QImage blockGlyph(QSize size, const std::vector<unsigned>& blocks,
                  const std::vector<unsigned>& grounds = {})
{
    QImage strip(size.width() * static_cast<int>(blocks.size()), size.height(),
                 QImage::Format_RGB32);
    strip.fill(qcolor(kMagenta));
    QPainter p(&strip);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const QRect image(static_cast<int>(i) * size.width(), 0, size.width(), size.height());
        if (i < grounds.size())
            p.fillRect(image, qcolor(grounds[i]));
        p.fillRect(image.adjusted(1, 1, -1, -1), qcolor(blocks[i]));
    }
    return strip;
}

class BitBtnPaint : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(200, 100);
        button = new TBitBtnWithColor(&window);
        button->setFocusPolicy(Qt::NoFocus);
        button->resize(114, 30);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(19);
        font.setBold(true);
        // Exact colours at the glyph edges make the caption checks precise.
        font.setStyleStrategy(QFont::NoAntialias);
        button->setFont(font);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QRect inner() const { return button->rect().adjusted(3, 3, -3, -3); }

    QWidget window;
    TBitBtnWithColor* button = nullptr;
};

TEST_F(BitBtnPaint, DisabledButtonShowsRaisedYellowFaceAndEngravedCaption)
{
    button->setColor(kYellow);
    button->setText(QStringLiteral("LAP"));
    button->setEnabled(false);
    const QImage image = displayGrab(*button);

    EXPECT_EQ(displayPixel(image, 0, 0), kLight);
    EXPECT_EQ(displayPixel(image, 1, 1), kWhite);
    EXPECT_EQ(displayPixel(image, 113, 29), kDarkShadow);
    EXPECT_EQ(displayPixel(image, 113, 0), kDarkShadow);
    EXPECT_EQ(displayPixel(image, 0, 29), kDarkShadow);
    EXPECT_EQ(displayPixel(image, 112, 28), kShadow);
    EXPECT_EQ(displayPixel(image, 2, 2), kYellow);

    const QRect text = boxOf(image, inner(), [](unsigned c) { return c != kYellow; });
    const QRect grey = boxOf(image, inner(), [](unsigned c) { return c == kGrey; });
    const QRect white = boxOf(image, inner(), [](unsigned c) { return c == kWhite; });
    ASSERT_FALSE(grey.isEmpty());
    ASSERT_FALSE(white.isEmpty());
    EXPECT_EQ(text, grey.adjusted(0, 0, 1, 1)) << "the white copy lies one pixel down and right";
    EXPECT_GT(white.left(), grey.left());
    EXPECT_GT(white.top(), grey.top());
    // Nothing but the two caption colours on the face.
    EXPECT_TRUE(boxOf(image, inner(), [](unsigned c) {
                    return c != kYellow && c != kGrey && c != kWhite;
                }).isEmpty());
}

TEST_F(BitBtnPaint, PressedButtonLosesItsEdgeAndMovesItsCaption)
{
    button->setColor(kGreen);
    button->setText(QStringLiteral("START"));
    const QImage up = displayGrab(*button);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(50, 15));
    ASSERT_TRUE(button->isDown());
    const QImage down = displayGrab(*button);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(50, 15));

    EXPECT_EQ(displayPixel(down, 0, 0), kShadow);
    EXPECT_EQ(displayPixel(down, 113, 29), kShadow);
    EXPECT_EQ(displayPixel(down, 57, 0), kShadow);
    EXPECT_EQ(displayPixel(down, 1, 1), kGreen);
    EXPECT_EQ(displayPixel(down, 112, 28), kGreen);

    const auto caption = [](unsigned c) { return c != kGreen; };
    const QRect upText = boxOf(up, inner(), caption);
    const QRect downText = boxOf(down, inner(), caption);
    ASSERT_FALSE(upText.isEmpty());
    EXPECT_EQ(downText, upText.translated(1, 1));
    EXPECT_EQ(down.copy(downText), up.copy(upText));
}

TEST_F(BitBtnPaint, FocusedButtonIsFramedAndCarriesADottedRectangle)
{
    button->setFocusPolicy(Qt::StrongFocus);
    button->setColor(kYellow);
    button->setFocus();
    const QImage image = displayGrab(*button);
    EXPECT_EQ(displayPixel(image, 0, 0), 0x000000U);
    EXPECT_EQ(displayPixel(image, 113, 15), 0x000000U);
    EXPECT_EQ(displayPixel(image, 1, 1), kLight);
    // Dots invert the face and leave a gap between them.
    EXPECT_EQ(displayPixel(image, 4, 4), kBlue);
    EXPECT_EQ(displayPixel(image, 5, 4), kYellow);
    EXPECT_EQ(displayPixel(image, 6, 4), kBlue);
    EXPECT_EQ(displayPixel(image, 109, 25), kBlue);
    EXPECT_EQ(displayPixel(image, 5, 5), kYellow);
}

TEST_F(BitBtnPaint, GlyphSitsOnTheFaceWhereLayoutAndMarginPutIt)
{
    button->resize(100, 40);
    button->setColor(kYellow);
    button->setGlyph(blockGlyph(QSize(10, 8), {kBlue}));
    // Unfocused and up, glyph and caption share the face inside the edge:
    // x 3..96, y 3..36.
    struct Case
    {
        TBitBtnWithColor::TButtonLayout layout;
        int margin;
        QRect block;
    };
    const Case cases[] = {
        {TBitBtnWithColor::blGlyphLeft, -1, QRect(46, 17, 8, 6)},
        {TBitBtnWithColor::blGlyphLeft, 5, QRect(9, 17, 8, 6)},
        {TBitBtnWithColor::blGlyphRight, 5, QRect(83, 17, 8, 6)},
        {TBitBtnWithColor::blGlyphTop, 2, QRect(46, 6, 8, 6)},
        {TBitBtnWithColor::blGlyphBottom, 0, QRect(46, 30, 8, 6)},
    };
    for (const Case& c : cases) {
        button->setLayout(c.layout);
        button->setMargin(c.margin);
        const QImage image = displayGrab(*button);
        EXPECT_EQ(boxOf(image, inner(), [](unsigned p) { return p == kBlue; }), c.block)
            << c.layout << " " << c.margin;
        EXPECT_TRUE(boxOf(image, inner(), [](unsigned p) { return p == kMagenta; }).isEmpty());
    }
}

TEST_F(BitBtnPaint, GlyphAndCaptionFollowTheLayout)
{
    button->resize(160, 40);
    button->setColor(kYellow);
    button->setText(QStringLiteral("Abc"));
    button->setGlyph(blockGlyph(QSize(12, 12), {kBlue}));
    const auto blue = [](unsigned c) { return c == kBlue; };
    const auto ink = [](unsigned c) { return c != kYellow && c != kBlue; };
    for (int spacing : {4, -1}) {
        button->setSpacing(spacing);
        button->setLayout(TBitBtnWithColor::blGlyphLeft);
        QImage image = displayGrab(*button);
        QRect glyph = boxOf(image, inner(), blue);
        QRect text = boxOf(image, inner(), ink);
        EXPECT_LT(glyph.right(), text.left()) << spacing;
        // Glyph and caption together are centred on the face.
        const int leftGap = glyph.left() - 1 - inner().left();
        const int rightGap = inner().right() - text.right();
        EXPECT_LE(std::abs(leftGap - rightGap), 4) << spacing;

        button->setLayout(TBitBtnWithColor::blGlyphRight);
        image = displayGrab(*button);
        glyph = boxOf(image, inner(), blue);
        text = boxOf(image, inner(), ink);
        EXPECT_GT(glyph.left(), text.right()) << spacing;
    }
}

TEST_F(BitBtnPaint, DisabledGlyphIsTheStripsSecondImageOrAnEngravedFirst)
{
    button->resize(60, 30);
    button->setColor(kYellow);
    button->setGlyph(blockGlyph(QSize(10, 8), {kBlue, kRed}));
    button->setNumGlyphs(2);
    button->setEnabled(false);
    QImage image = displayGrab(*button);
    EXPECT_EQ(boxOf(image, inner(), [](unsigned c) { return c == kRed; }).size(), QSize(8, 6));
    EXPECT_TRUE(boxOf(image, inner(), [](unsigned c) { return c == kBlue; }).isEmpty());

    button->setGlyph(blockGlyph(QSize(10, 8), {kBlue}));
    button->setNumGlyphs(1);
    image = displayGrab(*button);
    const QRect shape = boxOf(image, inner(), [&](unsigned c) { return c == kShadow; });
    const QRect light = boxOf(image, inner(), [](unsigned c) { return c == kWhite; });
    EXPECT_EQ(shape.size(), QSize(8, 6));
    EXPECT_EQ(light, shape.translated(1, 1));
    EXPECT_TRUE(
        boxOf(image, inner(), [](unsigned c) { return c == kBlue || c == kRed; }).isEmpty());

    // The pressed image falls back to the first one.
    button->setEnabled(true);
    button->setGlyph(blockGlyph(QSize(10, 8), {kBlue, kRed}));
    button->setNumGlyphs(2);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    image = displayGrab(*button);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(boxOf(image, button->rect(), [](unsigned c) { return c == kBlue; }).size(),
              QSize(8, 6));
}

TEST_F(BitBtnPaint, EveryImageOfTheStripHasItsOwnTransparentColour)
{
    button->resize(60, 30);
    button->setColor(kYellow);
    // The disabled image stands on green, which the up image uses as ink.
    button->setGlyph(blockGlyph(QSize(10, 8), {kGreen, kRed}, {kMagenta, kGreen}));
    button->setNumGlyphs(2);
    button->setEnabled(false);
    const QImage image = displayGrab(*button);
    EXPECT_EQ(boxOf(image, inner(), [](unsigned c) { return c == kRed; }).size(), QSize(8, 6));
    EXPECT_TRUE(
        boxOf(image, inner(), [](unsigned c) { return c == kGreen || c == kMagenta; }).isEmpty());
}

TEST_F(BitBtnPaint, NewColourRepaintsFaceAndGlyphBackgroundButTheSameOneDoesNot)
{
    button->setGlyph(blockGlyph(QSize(10, 8), {kBlue}));
    button->setColor(kYellow);
    QCoreApplication::processEvents();
    auto* paints = new DisplayPaintCounter(button);
    button->setColor(kYellow);
    QCoreApplication::processEvents();
    EXPECT_EQ(paints->count, 0);

    button->setColor(kGreen);
    QCoreApplication::processEvents();
    EXPECT_EQ(paints->count, 1);
    const QImage image = displayGrab(*button);
    const QRect block = boxOf(image, inner(), [](unsigned c) { return c == kBlue; });
    ASSERT_FALSE(block.isEmpty());
    // The glyph's transparent border takes the new face colour.
    EXPECT_EQ(displayPixel(image, block.left() - 1, block.top() - 1), kGreen);
    EXPECT_EQ(displayPixel(image, 57, 4), kGreen);
}

TEST_F(BitBtnPaint, DefaultButtonIsFramedOnlyWhileNoOtherButtonHasTheFocus)
{
    auto* other = new QPushButton(QStringLiteral("x"), &window);
    other->move(0, 50);
    auto* edit = new QWidget(&window);
    edit->setFocusPolicy(Qt::StrongFocus);
    edit->move(100, 50);
    other->show();
    edit->show();
    button->setColor(kYellow);
    button->setDefault(true);

    edit->setFocus();
    EXPECT_EQ(displayPixel(displayGrab(*button), 0, 0), 0x000000U);
    other->setFocus();
    EXPECT_EQ(displayPixel(displayGrab(*button), 0, 0), kLight);
}

} // namespace
