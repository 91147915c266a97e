// The light barrier driving the real window: a pseudo-terminal with emulated
// modem lines stands in for COM1, and the test opens and closes the contact.

#include "FormMainFixture.h"

#include "BarrierLine.h"
#include "comm/PortWiring.h"
#include "controls/TBitBtnWithColor.h"
#include "controls/TLed.h"
#include "controls/TSpinEdit.h"
#include "controls/TSpinFloatEdit.h"
#include "settings/TCfgDialog.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <cstdlib>
#include <functional>
#include <thread>

using TestSupport::monotonicNs;

class FormMainBarrier : public FormMainFixture
{
protected:
    std::unique_ptr<BarrierBoard> board;
    std::unique_ptr<BarrierLine> line;

    void SetUp() override
    {
        realCounter = true;
        board = BarrierBoard::attach(std::getenv("KELVATRON_BARRIER_STATE"));
        ASSERT_TRUE(board);
        QDir().mkpath(dir.filePath(QStringLiteral("dev")));
        line = BarrierLine::create(*board, "ttyS0");
        line->linkAs(dir.filePath(QStringLiteral("dev/ttyS0")).toStdString());
    }

    void TearDown() override
    {
        form.reset();
        line.reset();
    }

    void configure(int algorithm, int laps, int lockoutMs)
    {
        storeAllSettings({{QStringLiteral("Port"), 1},
                          {QStringLiteral("Alg"), algorithm},
                          {QStringLiteral("Splits"), laps},
                          {QStringLiteral("WaitStart"), lockoutMs}});
    }

    // One contact change, then wait until the window has handled it.
    std::int64_t contact(bool closed)
    {
        const std::uint32_t before = form->race().LastModemStatus();
        const std::int64_t at = line->setContact(closed);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return form->race().LastModemStatus() != before; }, kWaitMs))
            << "the window never saw the edge";
        return at;
    }
};

TEST_F(FormMainBarrier, BarrierRunsAWholeRaceInAutoMode)
{
    configure(0, 3, 0);
    create();
    EXPECT_EQ(form->portWiring().AvailablePorts(), 0x00010001u) << "COM1 found";
    EXPECT_TRUE(form->portWiring().isOpen());
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Auto"));
    EXPECT_EQ(form->ui().LabelGesperrt->text(), QStringLiteral("Frei"));
    EXPECT_EQ(form->ui().LedModus->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(line->dtr()) << "DTR feeds the contact";

    const std::int64_t start = contact(true);
    EXPECT_TRUE(form->ui().Clock->isActive());
    contact(false); // algorithm 0 ignores the contact opening
    const std::int64_t lap1 = contact(true);
    contact(false);
    const std::int64_t lap2 = contact(true);
    EXPECT_FALSE(form->ui().bLAP->isEnabled()) << "lap limit 3: two laps, then STOPP";
    contact(false);
    const std::int64_t stop = contact(true);
    EXPECT_FALSE(form->ui().Clock->isActive());
    RaceControl& race = form->race();
    const std::int64_t startTicks = race.StartTicks();
    const std::int64_t stopTicks = race.StopTicks();
    const std::int64_t lapTicks = race.SplitTicks();
    contact(false);
    contact(true); // reset
    EXPECT_TRUE(form->ui().bSTART->isEnabled());
    EXPECT_EQ(form->ui().editStartN->text(), QStringLiteral("2"));

    const QStringList protocol = lines();
    ASSERT_GE(protocol.size(), 6);
    EXPECT_TRUE(protocol[1].startsWith(QStringLiteral("A  Start: 00:00.00,00  ")));
    EXPECT_TRUE(protocol[2].startsWith(QStringLiteral("A    Lap: ")));
    EXPECT_TRUE(protocol[3].endsWith(QStringLiteral("  2.")));
    EXPECT_TRUE(protocol[4].startsWith(QStringLiteral("A  Stopp: ")));

    // Every time is the edge's own: stamped no earlier than the contact
    // changed and before the next edge came. How soon is the bench's
    // business; a loaded machine may take milliseconds.
    EXPECT_GE(startTicks, start);
    EXPECT_LT(startTicks, lap1);
    EXPECT_GE(lapTicks, lap2);
    EXPECT_LT(lapTicks, stop);
    EXPECT_GE(stopTicks, stop);
    EXPECT_LT(stopTicks, monotonicNs());
}

TEST_F(FormMainBarrier, BusyWindowDoesNotShiftTheRecordedTime)
{
    configure(0, 0, 0);
    create();
    contact(true);
    contact(false);

    // The edge comes while the window is busy for 200 ms.
    std::int64_t edge = 0;
    std::thread barrier([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        edge = line->setContact(true);
    });
    const std::int64_t busyUntil = monotonicNs() + 200'000'000;
    while (monotonicNs() < busyUntil) {
    }
    barrier.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->race().LapCounter() == 1; }, kWaitMs));
    const std::int64_t handled = monotonicNs();
    EXPECT_GT(handled - edge, 100'000'000) << "the window really was late";
    EXPECT_GE(form->race().SplitTicks(), edge);
    EXPECT_LT(form->race().SplitTicks(), busyUntil)
        << "the lap is timed when the beam was broken, not when the window got to it";
}

TEST_F(FormMainBarrier, LockoutBlocksTheBarrierButNotTheKeys)
{
    configure(0, 0, 1000); // room for a loaded machine between the two edges
    create();
    contact(true);
    EXPECT_EQ(form->ui().LabelGesperrt->text(), QStringLiteral("Gesperrt"));
    EXPECT_TRUE(form->ui().TimerGesperrt->isActive());
    contact(false);
    contact(true);
    EXPECT_EQ(form->race().LapCounter(), 0) << "a second car edge inside the lock-out";
    press(Qt::Key_F4);
    EXPECT_EQ(form->race().LapCounter(), 1) << "the keyboard still works";
    EXPECT_TRUE(lines().last().startsWith(QStringLiteral("H    Lap: ")));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->ui().TimerGesperrt->isActive(); }, kWaitMs));
    EXPECT_EQ(form->ui().LabelGesperrt->text(), QStringLiteral("Frei"));
    contact(false);
    contact(true);
    EXPECT_EQ(form->race().LapCounter(), 2);
    EXPECT_TRUE(lines().last().startsWith(QStringLiteral("A    Lap: ")));
}

TEST_F(FormMainBarrier, AlgorithmOneTriggersWhenTheContactOpens)
{
    configure(1, 0, 0);
    create();
    contact(true);
    EXPECT_FALSE(form->ui().Clock->isActive());
    contact(false);
    EXPECT_TRUE(form->ui().Clock->isActive());
}

TEST_F(FormMainBarrier, LapCountingTakesLapsEvenInHandMode)
{
    configure(2, 0, 0);
    create();
    press(Qt::Key_F5);
    press(Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    contact(true);
    EXPECT_EQ(form->race().LapCounter(), 1);
    contact(false);
    contact(true);
    EXPECT_EQ(form->race().LapCounter(), 2);
    press(Qt::Key_F9);
    contact(false);
    contact(true);
    EXPECT_FALSE(form->ui().bSTART->isEnabled()) << "in Hand mode the barrier does not reset";
}

TEST_F(FormMainBarrier, PulledAdapterLeavesAutoModeOnce)
{
    configure(0, 0, 0);
    create();
    contact(true);
    ASSERT_TRUE(form->ui().Clock->isActive());
    const QString before = form->ui().Memo1->toPlainText();

    line->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->lostNotice() != nullptr; }, kWaitMs));
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    EXPECT_EQ(form->ui().LabelGesperrt->text(), QStringLiteral("Gesperrt"));
    EXPECT_FALSE(form->portWiring().isOpen());
    EXPECT_EQ(form->ui().Memo1->toPlainText(), before);
    EXPECT_TRUE(form->ui().Clock->isActive()) << "the race goes on";

    press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"))
        << "a dead barrier is never shown as ready";
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), form.get()) << "the notice does not take the keys";
    press(Qt::Key_F9);
    EXPECT_FALSE(form->ui().Clock->isActive());

    destroy();
    QSettings stored(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Port")).toInt(), 1) << "the port stays configured";
}

TEST_F(FormMainBarrier, SettingsDialogChangesAndDropsThePort)
{
    configure(0, 0, 0);
    create();
    form->createSettingsDialog();
    TCfgDialog* dialog = form->settingsDialog();
    ASSERT_EQ(dialog->cbPort->count(), 2);
    EXPECT_EQ(dialog->cbPort->itemText(1), QStringLiteral("COM1"));

    bool enabledWithPort = false;
    QTimer::singleShot(0, dialog, [&] {
        enabledWithPort = dialog->cbAlg->isEnabled() && dialog->seLaps->isEnabled() &&
                          dialog->seWait->isEnabled() && dialog->cbPort->currentIndex() == 1;
        dialog->cbPort->setCurrentIndex(0);
        dialog->accept();
    });
    press(Qt::Key_F2);
    EXPECT_TRUE(enabledWithPort);
    EXPECT_FALSE(form->portWiring().isOpen());
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    EXPECT_EQ(form->ui().LedModus->cursor().shape(), Qt::ArrowCursor);

    // Choosing it again opens it and goes back to Auto, with algorithm "Aus".
    QTimer::singleShot(0, dialog, [&] {
        dialog->cbPort->setCurrentIndex(1);
        dialog->cbAlg->setCurrentIndex(1);
        dialog->accept();
    });
    press(Qt::Key_F2);
    EXPECT_TRUE(form->portWiring().isOpen());
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Auto"));
    EXPECT_EQ(form->race().BarrierAlgorithm(), 1);
}

TEST_F(FormMainBarrier, PortThatFailsToOpenAfterOkIsReportedAndNotShownAsReady)
{
    auto second = BarrierLine::create(*board, "ttyS1");
    second->linkAs(dir.filePath(QStringLiteral("dev/ttyS1")).toStdString());
    configure(0, 0, 0);
    create();
    ASSERT_EQ(form->ui().LabelModus->text(), QStringLiteral("Auto"));
    form->createSettingsDialog();
    TCfgDialog* dialog = form->settingsDialog();
    ASSERT_EQ(dialog->cbPort->count(), 3);
    QFile::remove(dir.filePath(QStringLiteral("dev/ttyS1")));
    QTimer::singleShot(0, dialog, [&] {
        dialog->cbPort->setCurrentIndex(2);
        dialog->accept();
    });
    press(Qt::Key_F2);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Unable to open com port: ")));
    EXPECT_FALSE(form->portWiring().isOpen());
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"))
        << "COM1 is closed now; Auto would promise a barrier that cannot trigger";
    press(Qt::Key_F5);
    EXPECT_TRUE(form->ui().Clock->isActive()) << "the window stays usable";
    answerYesNo(true);
    form.reset();
    QSettings stored(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Port")).toInt(), 2) << "the choice is kept";
}

// The port choice of the settings dialog, made with keys and confirmed with a
// click on OK, as the operator does it.
class FormMainBarrierPortChoice : public FormMainBarrier
{
protected:
    QStringList portLog;

    TFormMain& createAndWatch()
    {
        create();
        form->createSettingsDialog();
        PortWiring& port = form->portWiring();
        QObject::connect(&port, &PortWiring::opened, [this, &port] {
            portLog << QStringLiteral("open COM%1").arg(port.portNumber());
        });
        QObject::connect(&port, &PortWiring::closed, [this, &port] {
            portLog << QStringLiteral("close COM%1").arg(port.portNumber());
        });
        return *form;
    }

    // F2; `choose` works in the open dialog, then OK closes it.
    void confirmSettings(const std::function<void(TCfgDialog&)>& choose)
    {
        TCfgDialog* dialog = form->settingsDialog();
        QTimer::singleShot(0, dialog, [dialog, &choose] {
            choose(*dialog);
            QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        });
        press(Qt::Key_F2);
        ASSERT_FALSE(dialog->isVisible());
    }

    // Entry `index` of a closed drop-down list, reached with the arrow keys.
    static void pick(QComboBox* box, int index)
    {
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(box, Qt::Key_Down);
        ASSERT_EQ(box->currentIndex(), index);
    }

    void expectAuto()
    {
        EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Auto"));
        EXPECT_EQ(form->ui().LedModus->Kind(), TLed::lkGreen);
        EXPECT_EQ(form->ui().LabelGesperrt->text(), QStringLiteral("Frei"));
        EXPECT_EQ(form->ui().LedSignal->Kind(), TLed::lkGreen);
    }
};

TEST_F(FormMainBarrierPortChoice, ChangingFromCom1ToCom2MovesTheBarrier)
{
    auto second = BarrierLine::create(*board, "ttyS1");
    second->linkAs(dir.filePath(QStringLiteral("dev/ttyS1")).toStdString());
    configure(0, 0, 0);
    createAndWatch();
    ASSERT_TRUE(line->dtr());

    confirmSettings([](TCfgDialog& dialog) { pick(dialog.cbPort, 2); });
    EXPECT_EQ(portLog, (QStringList{QStringLiteral("close COM1"), QStringLiteral("open COM2")}));
    EXPECT_FALSE(line->dtr()) << "COM1 let go";
    EXPECT_TRUE(second->dtr());
    expectAuto();
    EXPECT_TRUE(errors.isEmpty());

    second->setContact(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->ui().Clock->isActive(); }, kWaitMs))
        << "COM2 is the barrier now";
}

TEST_F(FormMainBarrierPortChoice, SamePortFromHandGoesBackToAutoWithoutReopening)
{
    configure(0, 0, 0);
    createAndWatch();
    press(Qt::Key_H, Qt::AltModifier);
    ASSERT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));

    confirmSettings([](TCfgDialog& dialog) { pick(dialog.cbAlg, 1); }); // "Aus"
    EXPECT_TRUE(portLog.isEmpty()) << "the open port and its thread stay as they are";
    expectAuto();
    EXPECT_EQ(form->race().BarrierAlgorithm(), 1);

    contact(true);
    EXPECT_FALSE(form->ui().Clock->isActive());
    contact(false);
    EXPECT_TRUE(form->ui().Clock->isActive()) << "the contact opening triggers now";
}

TEST_F(FormMainBarrierPortChoice, PortTheProbeDidNotFindIsDroppedByOk)
{
    configure(0, 0, 0);
    storeSettings({{QStringLiteral("Port"), 2}}); // only COM1 exists
    createAndWatch();
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    EXPECT_TRUE(errors.isEmpty());

    int shown = 0;
    confirmSettings([&](TCfgDialog& dialog) { shown = dialog.cbPort->currentIndex(); });
    EXPECT_EQ(shown, -1) << "no entry for a port that was not found";
    EXPECT_EQ(form->portWiring().portNumber(), 0);
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    EXPECT_TRUE(portLog.isEmpty());
    press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));
    EXPECT_EQ(form->lostNotice(), nullptr) << "no port is configured, so nothing to explain";

    confirmSettings([](TCfgDialog& dialog) { pick(dialog.cbPort, 1); });
    EXPECT_EQ(portLog, QStringList{QStringLiteral("open COM1")});
    expectAuto();
    destroy();
    QSettings stored(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Port")).toInt(), 1);
}

TEST_F(FormMainBarrierPortChoice, LostPortComesBackWhenItsEntryIsConfirmed)
{
    configure(0, 0, 0);
    createAndWatch();
    line->unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->lostNotice() != nullptr; }, kWaitMs));
    ASSERT_EQ(form->ui().LabelModus->text(), QStringLiteral("Hand"));

    // The adapter is plugged in again; the operator confirms COM1.
    line.reset();
    line = BarrierLine::create(*board, "ttyS0");
    line->linkAs(dir.filePath(QStringLiteral("dev/ttyS0")).toStdString());
    portLog.clear();
    confirmSettings([](TCfgDialog& dialog) { EXPECT_EQ(dialog.cbPort->currentIndex(), 1); });
    EXPECT_EQ(portLog, QStringList{QStringLiteral("open COM1")});
    EXPECT_TRUE(line->dtr());
    expectAuto();

    contact(true);
    EXPECT_TRUE(form->ui().Clock->isActive());
}
