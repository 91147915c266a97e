#include "help/TFDlgYesNo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

// Opens the dialog without blocking and waits until it owns the keyboard, as
// it does for a user after exec().
void openAndActivate(TFDlgYesNo& dlg)
{
    dlg.open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
}

TEST(TFDlgYesNo, LooksLikeTheQuestionBoxOfTheProgram)
{
    TFDlgYesNo dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Kelvatron"));
    EXPECT_EQ(dlg.question(), QStringLiteral("?"));
    EXPECT_EQ(dlg.size(), QSize(222, 94));
    EXPECT_EQ(dlg.OKBtn->text(), QStringLiteral("Ja"));
    EXPECT_EQ(dlg.CancelBtn->text(), QStringLiteral("Nein"));
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_FALSE(dlg.Icon->pixmap().isNull());
    EXPECT_EQ(dlg.Icon->pixmap().size(), QSize(32, 32));
    EXPECT_TRUE(dlg.Icon->pixmap().hasAlphaChannel());

    TFDlgYesNo titled(nullptr, QStringLiteral("Other"));
    EXPECT_EQ(titled.windowTitle(), QStringLiteral("Other"));
}

TEST(TFDlgYesNo, EnterOnFirstOpeningAnswersYes)
{
    TFDlgYesNo dlg;
    dlg.setQuestion(QStringLiteral("Beenden?"));
    QTimer::singleShot(0, &dlg, [&dlg] {
        if (!QTest::qWaitForWindowActive(&dlg)) {
            ADD_FAILURE() << "the dialog never became active";
            dlg.done(0);
            return;
        }
        EXPECT_EQ(QApplication::focusWidget(), dlg.OKBtn);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(dlg.exec(), TFDlgYesNo::mrYes);
    EXPECT_EQ(dlg.question(), QStringLiteral("Beenden?"))
        << "the question stays for the next caller";
}

TEST(TFDlgYesNo, EveryOtherWayOutAnswersCancel)
{
    TFDlgYesNo dlg;

    openAndActivate(dlg);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), TFDlgYesNo::mrCancel);

    openAndActivate(dlg);
    dlg.close(); // the close box
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), TFDlgYesNo::mrCancel);

    openAndActivate(dlg);
    QTest::mouseClick(dlg.CancelBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), TFDlgYesNo::mrCancel);

    // Tab moves to "Nein", and Enter then answers no, not yes.
    openAndActivate(dlg);
    dlg.OKBtn->setFocus();
    QTest::keyClick(dlg.OKBtn, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), dlg.CancelBtn);
    QTest::keyClick(dlg.CancelBtn, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), TFDlgYesNo::mrCancel);

    openAndActivate(dlg);
    QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), TFDlgYesNo::mrYes);
}

TEST(TFDlgYesNo, LongQuestionWrapsInsideTheFixedDialog)
{
    TFDlgYesNo dlg;
    dlg.setQuestion(QStringLiteral("Das Zeitenprotokoll enthält noch ungesicherte Zeilen. "
                                   "Wirklich beenden?"));
    openAndActivate(dlg);
    EXPECT_EQ(dlg.size(), QSize(222, 94));
    EXPECT_EQ(dlg.Label1->geometry(), QRect(40, 6, 169, 49));
    const int oneLine = dlg.Label1->fontMetrics().height();
    EXPECT_GT(dlg.Label1->heightForWidth(169), oneLine) << "the text must wrap";
    EXPECT_EQ(dlg.OKBtn->geometry(), QRect(39, 60, 75, 25));
    dlg.reject();
}

TEST(TFDlgYesNo, OpensCentredOnTheMainWindowAndOnItsScreen)
{
    QWidget main;
    main.setGeometry(0, 0, 800, 450);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    TFDlgYesNo dlg(&main);
    const auto offCentre = [&] {
        return (dlg.frameGeometry().center() - main.frameGeometry().center()).manhattanLength();
    };

    openAndActivate(dlg);
    EXPECT_LE(offCentre(), 2);
    dlg.reject();

    main.move(0, 100);
    dlg.move(500, 0); // where the operator might have dragged it last time
    openAndActivate(dlg);
    EXPECT_LE(offCentre(), 2);
    dlg.reject();

    // A main window hanging off the screen's edge keeps the question on it.
    main.move(-700, 100);
    openAndActivate(dlg);
    EXPECT_TRUE(main.screen()->availableGeometry().contains(dlg.frameGeometry()));
    dlg.reject();
}

} // namespace
