#include "InputWidgetHelpers.h"
#include "support/TestSupport.h"

#include "controls/TLbSpeedButton.h"
#include "controls/TLbSpeedButtonThread.h"

#include <QEnterEvent>
#include <QMenu>
#include <QSignalSpy>

#include <chrono>
#include <thread>

namespace {

constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb Blue = qRgb(0, 0, 255);

// Two 10 x 10 images on white: a red block, then a blue one.
QImage twoImageStrip()
{
    QImage strip(20, 10, QImage::Format_RGB32);
    strip.fill(Qt::white);
    for (int y = 2; y < 8; ++y)
        for (int x = 2; x < 8; ++x) {
            strip.setPixel(x, y, Red);
            strip.setPixel(10 + x, y, Blue);
        }
    return strip;
}

void hover(TLbSpeedButton* button)
{
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(button->mapToGlobal(QPoint(5, 5))));
    QApplication::sendEvent(button, &enter);
}

void unhover(TLbSpeedButton* button)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
}

// A toolbar as the main window has it: 38 x 36, flat, transparent, two
// images, frame colours equal to the face.
struct Toolbar
{
    QWidget window;
    TLbSpeedButton* button = new TLbSpeedButton(&window);

    Toolbar()
    {
        window.resize(200, 100);
        button->setGeometry(10, 10, 38, 36);
        button->setFlat(true);
        button->setTransparent(true);
        button->setGlyph(twoImageStrip());
        button->setLightColor(ColorRef::BtnFace);
        button->setShadowColor(ColorRef::BtnFace);
        window.show();
    }
};

} // namespace

TEST(SpeedButton, PressedGlyphMovesAndDisabledShowsTheSecondImage)
{
    Toolbar t;
    EXPECT_EQ(t.button->NumGlyphs(), 2);
    // Glyph left at 4, top at (36 - 10) / 2; the block starts 2 pixels in.
    EXPECT_EQ(t.button->renderImage().pixel(6, 15), Red);
    EXPECT_EQ(qAlpha(t.button->renderImage().pixel(5, 14)), 0) << "white is transparent";

    InputMouse::press(t.button);
    const QImage pressed = t.button->renderImage();
    EXPECT_EQ(pressed.pixel(7, 16), Red);
    EXPECT_EQ(qAlpha(pressed.pixel(6, 15)), 0);
    InputMouse::release(t.button);

    t.button->setEnabled(false);
    const QImage disabled = t.button->renderImage();
    EXPECT_EQ(disabled.pixel(6, 15), Blue);
    EXPECT_EQ(disabled.pixel(11, 20), Blue);
}

TEST(SpeedButton, FlatButtonShowsItsFrameOnlyWhileHot)
{
    Toolbar t;
    t.button->setTransparent(false);
    t.button->setLightColor(0xFFFFFF);
    t.button->setShadowColor(0x000000);
    const QRgb face = colorFromRef(ColorRef::BtnFace).rgb();
    EXPECT_EQ(t.button->renderImage().pixel(0, 0), face);

    hover(t.button);
    QImage hot = t.button->renderImage();
    EXPECT_EQ(hot.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(hot.pixel(0, 35), qRgb(255, 255, 255));
    EXPECT_EQ(hot.pixel(37, 0), qRgb(0, 0, 0));
    EXPECT_EQ(hot.pixel(37, 35), qRgb(0, 0, 0));

    InputMouse::press(t.button);
    EXPECT_EQ(t.button->renderImage().pixel(0, 0), qRgb(0, 0, 0)) << "down swaps the edges";
    InputMouse::release(t.button);

    unhover(t.button);
    t.button->setEnabled(false);
    hover(t.button);
    EXPECT_EQ(t.button->renderImage().pixel(0, 0), face);
    t.button->setFlat(false);
    EXPECT_EQ(t.button->renderImage().pixel(0, 0), qRgb(255, 255, 255));
}

TEST(SpeedButton, GroupKeepsAtMostOneButtonDown)
{
    QWidget parent;
    TLbSpeedButton first(&parent);
    TLbSpeedButton second(&parent);
    TLbSpeedButton other(&parent);
    first.setGroupIndex(1);
    second.setGroupIndex(1);
    other.setGroupIndex(2);
    other.setDown(true);

    QTest::mouseClick(&first, Qt::LeftButton);
    EXPECT_TRUE(first.Down());
    QTest::mouseClick(&second, Qt::LeftButton);
    EXPECT_TRUE(second.Down());
    EXPECT_FALSE(first.Down());
    EXPECT_TRUE(other.Down()) << "another group is left alone";

    QTest::mouseClick(&second, Qt::LeftButton);
    EXPECT_TRUE(second.Down());
    second.setAllowAllUp(true);
    QTest::mouseClick(&second, Qt::LeftButton);
    EXPECT_FALSE(second.Down());
}

TEST(SpeedButton, ClickComesOnReleaseInsideAndPopsTheMenuUp)
{
    Toolbar t;
    QSignalSpy clicks(t.button, &TLbSpeedButton::OnClick);
    InputMouse::press(t.button);
    EXPECT_TRUE(t.button->Down());
    InputMouse::release(t.button, QPoint(100, 100));
    EXPECT_FALSE(t.button->Down());
    EXPECT_EQ(clicks.count(), 0);

    QMenu menu;
    menu.addAction("Eins");
    t.button->setPopupMenu(&menu);
    EXPECT_EQ(qAlpha(t.button->renderImage().pixel(38 - 11, 36 / 2 - 1)), 255) << "menu arrow";
    QTest::mouseClick(t.button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(menu.isVisible());
    menu.close();
}

TEST(SpeedButton, ColourPresetSetsSeveralColoursAndReadsCustom)
{
    Toolbar t;
    t.button->setTransparent(false);
    t.button->setFlat(true);
    t.button->setColorStyle(TLbSpeedButton::lcsGold);
    EXPECT_EQ(t.button->ColorStyle(), TLbSpeedButton::lcsCustom);
    EXPECT_EQ(t.button->Color(), 0x00C0C0u);
    EXPECT_EQ(t.button->LightColor(), 0x00FFFFu);
    EXPECT_EQ(t.button->ShadowColor(), 0x008080u);
    EXPECT_EQ(t.button->HotTrackColor(), 0x00DFDFu);
    EXPECT_EQ(t.button->Style(), TLbSpeedButton::bsModern);
    EXPECT_FALSE(t.button->Flat());

    // The modern style shades from the light colour down to the face over
    // the top quarter in 31 steps; on a 36-pixel button the first row ends up
    // with step 4 (0xFFFF00 to 0xC0C000), later bands covering earlier ones.
    // The corners stay out.
    const QImage image = t.button->renderImage();
    EXPECT_EQ(image.pixel(19, 2), qRgb(247, 247, 0));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

TEST(SpeedButton, SlowFadeReturnsToTheFaceInEightSteps)
{
    Toolbar t;
    t.button->setTransparent(false);
    t.button->setColor(0xFFFFFF);
    t.button->setHotTrackColor(0x0000FF);
    hover(t.button);
    unhover(t.button);
    EXPECT_EQ(t.button->faceColor(), QColor(255, 255, 255)) << "without the fade at once";

    t.button->setSlowDecease(true);
    hover(t.button);
    EXPECT_EQ(t.button->faceColor(), QColor(255, 0, 0));
    unhover(t.button);
    EXPECT_EQ(t.button->FadeLevel(), 8);
    EXPECT_FALSE(t.button->FadeThread()->Suspended());
    // Step by step from the hot colour towards the face, rounded.
    t.button->FadeStep();
    EXPECT_EQ(t.button->faceColor(), QColor(255, 32, 32));
    for (int i = 2; i <= 7; ++i)
        t.button->FadeStep();
    EXPECT_EQ(t.button->faceColor(), QColor(255, 223, 223));
    EXPECT_FALSE(t.button->FadeThread()->Suspended());
    t.button->FadeStep();
    EXPECT_EQ(t.button->FadeLevel(), 0);
    EXPECT_EQ(t.button->faceColor(), QColor(255, 255, 255));
    EXPECT_TRUE(t.button->FadeThread()->Suspended());

    t.button->setSlowDecease(false);
    EXPECT_EQ(t.button->FadeThread(), nullptr);
}

TEST(SpeedButton, FadeThreadRunsTheFadeAndDiesWithTheButton)
{
    auto* t = new Toolbar;
    t->button->setHotTrackColor(0x0000FF);
    t->button->setSlowDecease(true);
    hover(t->button);
    unhover(t->button);
    EXPECT_TRUE(QTest::qWaitFor([&] { return t->button->FadeLevel() == 0; }, 5000));
    EXPECT_TRUE(t->button->FadeThread()->Suspended());

    // Destroyed while the thread waits for the GUI thread to run a step: the
    // GUI thread must not wait for the thread in turn.
    hover(t->button);
    unhover(t->button);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!t->button->FadeThread()->WaitingForStep() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_TRUE(t->button->FadeThread()->WaitingForStep());
    delete t;
    QApplication::processEvents();
}
