// The window's short-cuts, pressed as the operator presses them.

#include "FormMainFixture.h"

#include "controls/TBitBtnWithColor.h"
#include "help/TFormInfo.h"
#include "ui/results/ResultsWindow.h"

#include <QThread>

#include <QToolButton>

using FormMainKeys = FormMainFixture;

TEST_F(FormMainKeys, ProtocolKeysReachSaveClearAndOpen)
{
    create();
    press(Qt::Key_F5);
    advanceMs(1'230);
    press(Qt::Key_F9);
    const QStringList raced = lines();
    ASSERT_EQ(raced.size(), 3);

    saveAs = dir.filePath(QStringLiteral("lauf.txt"));
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QFile::exists(*saveAs));

    protocolAnswer = true;
    press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(protocolQuestions, QStringList{QStringLiteral("Zeitenprotokoll  löschen?")});
    EXPECT_TRUE(lines().isEmpty());

    openName = saveAs;
    press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(lines(), raced);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(FormMainKeys, F3ShowsTheInformationAndF7AsksForThePrinter)
{
    create();
    auto* info = new TFormInfo(form.get());
    form->setDialogs(yesNo, info);
    bool shown = false;
    QTimer::singleShot(0, info, [&] {
        shown = info->isVisible();
        QTest::mouseClick(info->sOK, Qt::LeftButton);
    });
    press(Qt::Key_F3);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(info->isVisible());

    press(Qt::Key_F7);
    EXPECT_EQ(printerSetups, 1);
}

TEST_F(FormMainKeys, AltBAsksBeforeItCloses)
{
    create();
    press(Qt::Key_F5);
    answerYesNo(false);
    press(Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(yesNo->question(), QStringLiteral("Beenden?"));
    EXPECT_TRUE(form->isVisible()) << "Nein keeps the window";

    answerYesNo(true);
    press(Qt::Key_B, Qt::AltModifier);
    EXPECT_FALSE(form->isVisible());
}

// The window is busy for half a second between the operator's F5 and the
// moment it gets to the key: the start is the press, not the processing.
TEST_F(FormMainKeys, HandTimeIsTheMomentOfThePressNotOfItsProcessing)
{
    realCounter = true;
    create();
    QWidget* focus = QApplication::focusWidget();
    const std::int64_t pressNs = HighResSystem::readMonotonicNs(nullptr);
    QThread::msleep(500); // the window thread is stuck in something long
    // The key as the display server stamps it: its monotonic milliseconds.
    qt_sendShortcutOverrideEvent(focus ? focus : form.get(),
                                 static_cast<ulong>(pressNs / 1'000'000), Qt::Key_F5,
                                 Qt::NoModifier);
    ASSERT_TRUE(form->race().RaceRunning());
    EXPECT_NEAR(static_cast<double>(form->race().StartTicks() - pressNs), 0.0, 2e6);

    // A stamp of another clock is not trusted: the key is timed when handled.
    const std::int64_t before = HighResSystem::readMonotonicNs(nullptr);
    qt_sendShortcutOverrideEvent(form.get(), static_cast<ulong>(pressNs / 1'000'000) + 120'000,
                                 Qt::Key_F9, Qt::NoModifier);
    ASSERT_FALSE(form->race().RaceRunning());
    EXPECT_GE(form->race().StopTicks(), before);
}

// F4, F5, F9, Entf, F6 and F8 mean the same wherever the keyboard is.
TEST_F(FormMainKeys, RaceKeysWorkInTheResultsListAndF6ClosesIt)
{
    create();
    press(Qt::Key_F6);
    QWidget* results = form->resultsWindow();
    ASSERT_TRUE(results->isVisible());
    QApplication::setActiveWindow(results);
    ASSERT_EQ(QApplication::activeWindow(), results);

    press(Qt::Key_F5);
    advanceMs(2'000);
    press(Qt::Key_F4);
    press(Qt::Key_F9);
    EXPECT_EQ(lines().value(2), QStringLiteral("H    Lap:        2,00  1."));
    EXPECT_TRUE(lines().value(3).startsWith(QStringLiteral("H  Stopp:        2,00")));
    press(Qt::Key_Delete);
    EXPECT_TRUE(form->ui().bSTART->isEnabled());

    press(Qt::Key_F6);
    EXPECT_FALSE(results->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == form.get(); }))
        << "the keyboard is back in the race";
    press(Qt::Key_F6);
    EXPECT_TRUE(results->isVisible()) << "and F6 opens it again from there";
}
