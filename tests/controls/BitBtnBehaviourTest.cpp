#include "DisplayTestHelpers.h"

#include "controls/TBitBtnWithColor.h"

#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {

using Btn = TBitBtnWithColor;

class BitBtnBehaviour : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(200, 100);
        button = new Btn(&window);
        button->resize(114, 30);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget window;
    Btn* button = nullptr;
};

TEST_F(BitBtnBehaviour, NewButtonHasTheButtonFaceAndNoKind)
{
    EXPECT_EQ(button->Color(), 0xFF00000FU);
    EXPECT_EQ(button->Kind(), Btn::bkCustom);
    EXPECT_EQ(button->Layout(), Btn::blGlyphLeft);
    EXPECT_EQ(button->Margin(), -1);
    EXPECT_EQ(button->Spacing(), 4);
    EXPECT_EQ(button->NumGlyphs(), 1);
    EXPECT_EQ(button->Style(), Btn::bsAutoDetect);
    EXPECT_TRUE(button->Glyph().isNull());
    EXPECT_NE(button->focusPolicy() & Qt::TabFocus, 0);
}

TEST_F(BitBtnBehaviour, EveryPressOfAnyMouseButtonIsAnnounced)
{
    QSignalSpy down(button, &Btn::mouseDown);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(down.count(), 1) << "announced on the press, before any release";
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mousePress(button, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(10, 10));
    ASSERT_EQ(down.count(), 2);
    EXPECT_EQ(down.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(down.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);

    // The second press of a double click arrives as a double-click event.
    QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(10, 10),
                      button->mapToGlobal(QPointF(10, 10)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(button, &twice);
    EXPECT_EQ(down.count(), 3);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
}

// START disables its own button in the press handler; the button must not
// stay pushed in, as a disabled button never receives the release.
TEST_F(BitBtnBehaviour, ButtonDisabledByItsPressHandlerIsNotLeftDown)
{
    QObject::connect(button, &Btn::mouseDown, [this] { button->setEnabled(false); });
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(button->isDown());
    button->setEnabled(true);
    EXPECT_FALSE(button->isDown());
    EXPECT_EQ(clicked.count(), 0);
}

TEST_F(BitBtnBehaviour, KindSetsItsDefaultsUntilOneOfThemIsChanged)
{
    button->setKind(Btn::bkOK);
    EXPECT_EQ(button->Kind(), Btn::bkOK);
    EXPECT_TRUE(button->Default());
    EXPECT_FALSE(button->Cancel());
    EXPECT_EQ(button->ModalResult(), 1);
    EXPECT_EQ(button->text(), QStringLiteral("OK"));
    EXPECT_EQ(button->NumGlyphs(), 2);
    EXPECT_FALSE(button->Glyph().isNull());

    button->setModalResult(0);
    EXPECT_EQ(button->Kind(), Btn::bkCustom);
    button->setKind(Btn::bkOK);
    EXPECT_EQ(button->ModalResult(), 1);
    EXPECT_EQ(button->Kind(), Btn::bkOK);
    button->setCancel(true);
    EXPECT_EQ(button->Kind(), Btn::bkCustom);

    button->setKind(Btn::bkNo);
    EXPECT_FALSE(button->Default());
    EXPECT_TRUE(button->Cancel());
    EXPECT_EQ(button->ModalResult(), 7);
    EXPECT_EQ(button->text(), QStringLiteral("&No"));
    QImage own(8, 8, QImage::Format_RGB32);
    own.fill(Qt::red);
    button->setGlyph(own);
    EXPECT_EQ(button->Kind(), Btn::bkCustom);
    EXPECT_EQ(button->Glyph(), own);

    // Switching to custom keeps everything as it is.
    button->setKind(Btn::bkCustom);
    EXPECT_TRUE(button->Cancel());
    EXPECT_EQ(button->ModalResult(), 7);
}

TEST_F(BitBtnBehaviour, EveryKindHasItsCaptionResultAndGlyph)
{
    const struct
    {
        Btn::TBitBtnWithColorKind kind;
        const char* caption;
        int result;
    } kinds[] = {{Btn::bkOK, "OK", 1},          {Btn::bkCancel, "Cancel", 2},
                 {Btn::bkHelp, "&Help", 0},     {Btn::bkYes, "&Yes", 6},
                 {Btn::bkNo, "&No", 7},         {Btn::bkClose, "&Close", 0},
                 {Btn::bkAbort, "&Abort", 3},   {Btn::bkRetry, "&Retry", 4},
                 {Btn::bkIgnore, "&Ignore", 5}, {Btn::bkAll, "&All", 8}};
    for (const auto& k : kinds) {
        Btn b;
        b.setKind(k.kind);
        EXPECT_EQ(b.Kind(), k.kind);
        EXPECT_EQ(b.text(), QString::fromLatin1(k.caption));
        EXPECT_EQ(b.ModalResult(), k.result);
        const QImage glyph = b.Glyph();
        ASSERT_EQ(glyph.width(), 2 * glyph.height()) << k.caption;
        // Up and disabled images differ, and each has some picture on it.
        EXPECT_NE(glyph.copy(0, 0, glyph.height(), glyph.height()),
                  glyph.copy(glyph.height(), 0, glyph.height(), glyph.height()));
        Btn other;
        other.setKind(k.kind);
        EXPECT_EQ(other.Glyph().cacheKey(), glyph.cacheKey()) << "kind glyphs are shared";
    }
}

TEST_F(BitBtnBehaviour, GlyphCountAndMarginStayInRange)
{
    button->setNumGlyphs(7);
    EXPECT_EQ(button->NumGlyphs(), 4);
    button->setNumGlyphs(0);
    EXPECT_EQ(button->NumGlyphs(), 1);
    button->setMargin(3);
    button->setMargin(-2);
    EXPECT_EQ(button->Margin(), 3);
    button->setMargin(-1);
    EXPECT_EQ(button->Margin(), -1);
    button->setStyle(Btn::bsWin31);
    EXPECT_EQ(button->Style(), Btn::bsWin31);
}

TEST(BitBtnDialog, ClickEndsTheDialogWithTheModalResult)
{
    QDialog dialog;
    auto* yes = new Btn(&dialog);
    yes->setKind(Btn::bkYes);
    auto* plain = new Btn(&dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    plain->click();
    EXPECT_TRUE(dialog.isVisible());
    QSignalSpy clicked(yes, &QAbstractButton::clicked);
    yes->click();
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 6);
}

TEST(BitBtnDialog, EscapeClicksTheCancelButton)
{
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    auto* no = new Btn(&dialog);
    no->move(0, 40);
    no->setKind(Btn::bkNo);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 7);

    // A disabled cancel button leaves Escape to the dialog itself.
    no->setEnabled(false);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(BitBtnDialog, CloseKindClosesItsWindow)
{
    QWidget form;
    auto* close = new Btn(&form);
    close->setKind(Btn::bkClose);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    close->click();
    EXPECT_FALSE(form.isVisible());
}

} // namespace
