#include "RaceFixture.h"

#include <vector>

using Lines = std::vector<std::string>;

namespace {

constexpr std::uint32_t kOn = 0x20;
constexpr std::uint32_t kOff = 0x00;

class CoreBarrier : public RaceFixture
{
protected:
    // The window was busy: the car passed, then a keyboard START 40 ms later
    // was handled before the edge. Returns the edge's counter reading.
    std::int64_t edgeBeforeKeyboardStart()
    {
        const std::int64_t edgeTicks = counter.ticks;
        counter.advanceMs(40);
        race.mStartClick();
        port.status = kOn;
        race.ComPortDSR(edgeTicks);
        return edgeTicks;
    }
};

} // namespace

TEST_F(CoreBarrier, SampleRunStartedByHandLappedAndStoppedByTheBarrier)
{
    goAuto(0);
    race.setLapLimit(3);
    view.startText = "17";
    race.mStartClick();

    // Each barrier edge reaches the window 200 ms late; the times must not move.
    const auto barrierAt = [this](std::int64_t ms) {
        counter.ticks = counter.ticksForMs(ms);
        const std::int64_t edgeTicks = counter.ticks;
        counter.advanceMs(200);
        port.status = kOn;
        race.ComPortDSR(edgeTicks);
        port.status = kOff;
        race.ComPortDSR(counter.ticks);
    };
    barrierAt(65430);
    barrierAt(131020);
    barrierAt(196500);

    EXPECT_EQ(protocol.lines, (Lines{
                                  "     Nr.: 17",
                                  "H  Start: 00:00.00,00  14:05.03,07",
                                  "A    Lap:     1.05,43  1.",
                                  "A    Lap:     2.11,02  2.",
                                  "A  Stopp:     3.16,50  14:08.19,57",
                              }));
    expectStopped();
    EXPECT_EQ(row(DisplayRow::First), "00:03.16,50");
    EXPECT_FALSE(race.TriggeredByBarrier());
}

TEST_F(CoreBarrier, LapIsTimedAtTheEdgeNotWhenTheWindowGetsToIt)
{
    goAuto(0);
    race.mStartClick();
    const std::int64_t edgeTicks = counter.ticksForMs(10000);
    counter.ticks = counter.ticksForMs(10750);
    edge(kOn); // plain reading: the counter now
    port.status = kOff;
    race.ComPortDSR(counter.ticks);
    port.status = kOn;
    race.ComPortDSR(edgeTicks);

    EXPECT_EQ(race.SplitTicks(), edgeTicks);
    EXPECT_EQ(race.EventTime(), (TSystemTime{2009, 1, 0, 4, 14, 5, 13, 70}));
    EXPECT_EQ(row(DisplayRow::Second), "00:00.10,00");
    EXPECT_EQ(protocol.lines.back(), "A    Lap:       10,00  2.");

    // The overload without a reading reads the counter itself.
    port.status = kOff;
    race.ComPortDSR();
    port.status = kOn;
    race.ComPortDSR();
    EXPECT_EQ(race.SplitTicks(), counter.ticks);
}

TEST_F(CoreBarrier, BarrierStartIsMarkedAutomaticAndLocksItself)
{
    goAuto(1); // triggers when the contact opens
    race.setLockoutTime(3000);
    edge(kOn);
    expectReady();
    edge(kOff);
    expectRunning(false);
    EXPECT_EQ(protocol.lines[1], "A  Start: 00:00.00,00  14:05.03,07");
    EXPECT_TRUE(lockout.enabled);
    EXPECT_EQ(view.signalCaption, "Gesperrt");

    // Locked: the barrier does nothing, the keyboard still takes laps.
    edge(kOn);
    edge(kOff);
    EXPECT_EQ(race.LapCounter(), 0);
    race.mSplitClick();
    EXPECT_EQ(race.LapCounter(), 1);

    lockoutEnds();
    EXPECT_FALSE(lockout.enabled);
    EXPECT_EQ(view.signalCaption, "Frei");
    EXPECT_EQ(view.signalLight, IndicatorLight::Green);

    // A barrier lap starts the lock-out; a barrier stop does not.
    edge(kOn);
    edge(kOff);
    EXPECT_EQ(race.LapCounter(), 2);
    EXPECT_TRUE(lockout.enabled);
    lockoutEnds();
    race.setLapLimit(2); // laps used up mid-race: the next trigger stops
    race.mSplitClick();
    edge(kOn);
    edge(kOff);
    expectStopped();
    EXPECT_FALSE(lockout.enabled);

    // Stopped: the next trigger resets and advances the start number.
    edge(kOn);
    edge(kOff);
    expectReady();
    EXPECT_EQ(view.startText, "2");
}

TEST_F(CoreBarrier, HandModeIgnoresEdgesExceptLapCounting)
{
    port.number = 1;
    port.open = true;
    for (int algorithm : {0, 1}) {
        race.setBarrierAlgorithm(algorithm);
        edge(kOn);
        edge(kOff);
        expectReady();
    }
    race.setBarrierAlgorithm(2);
    edge(kOn);
    expectReady(); // lap counting cannot start a race in Hand mode

    race.mStartClick();
    edge(kOff);
    EXPECT_EQ(race.LapCounter(), 0);
    edge(kOn);
    EXPECT_EQ(race.LapCounter(), 1);
    EXPECT_EQ(protocol.lines.back().substr(0, 1), "A");
    edge(kOff);
    edge(kOn);
    EXPECT_EQ(race.LapCounter(), 2);
}

TEST_F(CoreBarrier, LapCountingStopsOnceTheLapsAreUsedUp)
{
    goAuto(2);
    race.setLapLimit(2);
    race.setLockoutTime(1000);
    edge(kOn); // LAP disabled in Ready: START
    expectRunning(false);
    lockoutEnds();
    edge(kOff);
    edge(kOn);
    EXPECT_EQ(race.LapCounter(), 1);
    expectRunning(true);
    EXPECT_TRUE(lockout.enabled);
    // The lock-out holds back the stop.
    edge(kOff);
    edge(kOn);
    expectRunning(true);
    lockoutEnds();
    edge(kOff);
    edge(kOn);
    expectStopped();

    // A limit lowered during the race ends it at the next edge.
    edge(kOff);
    edge(kOn); // reset
    lockoutEnds();
    race.setLapLimit(0);
    edge(kOff);
    edge(kOn); // START
    lockoutEnds();
    edge(kOff);
    edge(kOn); // lap 1
    lockoutEnds();
    race.setLapLimit(1);
    edge(kOff);
    edge(kOn);
    expectStopped();
    EXPECT_EQ(race.LapCounter(), 1);
}

TEST_F(CoreBarrier, StatusWordsAreComparedWhole)
{
    goAuto(1);
    // The very first event is handled even with everything off.
    EXPECT_EQ(race.LastModemStatus(), 0x55555555u);
    edge(kOff);
    expectRunning(false);
    edge(kOff); // repeated word: ignored
    EXPECT_EQ(race.LapCounter(), 0);
    edge(0x10); // CTS moved, DSR still off: a new word, so it triggers
    EXPECT_EQ(race.LapCounter(), 1);
    EXPECT_EQ(race.LastModemStatus(), 0x10u);

    for (int algorithm : {-1, 3}) {
        race.setBarrierAlgorithm(algorithm);
        edge(kOn);
        edge(kOff);
        EXPECT_EQ(race.LapCounter(), 1);
    }
}

TEST_F(CoreBarrier, ModeFollowsThePortAndIgnoresTheLockout)
{
    race.LedModusClick(); // no port: stays Hand
    EXPECT_EQ(race.mode(), RaceControl::Mode::Hand);
    race.Auto1Click();
    EXPECT_EQ(race.mode(), RaceControl::Mode::Hand);

    port.number = 3;
    port.open = true;
    race.LedModusClick();
    EXPECT_EQ(race.mode(), RaceControl::Mode::Auto);
    EXPECT_EQ(view.modeCaption, "Auto");
    EXPECT_EQ(view.modeLight, IndicatorLight::Green);
    EXPECT_EQ(view.signalCaption, "Frei");
    race.LedModusClick();
    EXPECT_EQ(view.modeCaption, "Hand");
    EXPECT_EQ(view.signalCaption, "Gesperrt");
    EXPECT_EQ(view.signalLight, IndicatorLight::Red);

    // Auto while locked shows "Frei", yet the barrier stays blocked.
    race.setLockoutTime(5000);
    race.mStartClick();
    race.Auto1Click();
    EXPECT_EQ(view.signalCaption, "Frei");
    edge(kOn);
    EXPECT_EQ(race.LapCounter(), 0);
    race.Hand1Click();
    EXPECT_EQ(race.mode(), RaceControl::Mode::Hand);
}

TEST_F(CoreBarrier, EdgeOlderThanAKeyboardStartNeverGivesANegativeTime)
{
    goAuto(0);
    edgeBeforeKeyboardStart();

    EXPECT_EQ(race.SplitTicks(), race.StartTicks());
    EXPECT_EQ(protocol.lines.back(), "A    Lap:        0,00  1.");
}

TEST_F(CoreBarrier, AutoModeNeedsAnOpenPort)
{
    // A configured port that never opened (or whose adapter was lost).
    port.number = 1;
    race.Auto1Click();
    race.LedModusClick();
    EXPECT_EQ(race.mode(), RaceControl::Mode::Hand);
    EXPECT_EQ(view.modeCaption, "Hand");
    EXPECT_EQ(view.signalCaption, "Gesperrt");
    EXPECT_EQ(port.refusals, 2) << "the port is asked to say why; saying it once is its business";

    port.open = true;
    race.LedModusClick();
    EXPECT_EQ(race.mode(), RaceControl::Mode::Auto);
    port.open = false;
    race.LedModusClick(); // back to Hand needs no port
    EXPECT_EQ(race.mode(), RaceControl::Mode::Hand);
    port.number = 0;
    race.Auto1Click();
    EXPECT_EQ(port.refusals, 2) << "without a configured port there is nothing to explain";
}

TEST_F(CoreBarrier, LockoutEndShowsFreiOnlyWhileThePortIsOpen)
{
    goAuto(0);
    race.setLockoutTime(1000);
    edge(kOn);
    ASSERT_EQ(view.signalCaption, "Gesperrt");
    port.open = false; // the port closed under a running lock-out
    lockoutEnds();
    EXPECT_FALSE(lockout.enabled);
    EXPECT_EQ(view.signalCaption, "Gesperrt");
    EXPECT_EQ(view.signalLight, IndicatorLight::Red);
}

TEST_F(CoreBarrier, LapCountingHonoursTheLockoutAndTheLastLap)
{
    goAuto(2);
    race.setLockoutTime(1000);
    race.mStartClick();
    counter.advanceMs(999);
    edge(kOn);
    EXPECT_EQ(race.LapCounter(), 0);
    // The timer is late: the lock-out time has passed on the counter, so the
    // barrier takes the lap although TimerGesperrt still runs.
    counter.advanceMs(1);
    edge(kOff);
    edge(kOn);
    EXPECT_EQ(race.LapCounter(), 1);
    lockoutEnds();
    race.mStopClick();
    race.mResetClick();

    // Limit 1: LapLimit - 1 <= LapCounter holds right after START, so the
    // first barrier edge stops the race instead of taking a lap.
    race.setLockoutTime(0);
    race.setLapLimit(1);
    race.mStartClick();
    edge(kOff);
    edge(kOn);
    expectStopped();
    EXPECT_EQ(race.LapCounter(), 0);
    EXPECT_EQ(protocol.lines.back().substr(0, 9), "A  Stopp:");
}

TEST_F(CoreBarrier, LockoutCountsFromTheEdgeThatStartedItNotFromWhenTheWindowGotToIt)
{
    goAuto(0);
    race.setLockoutTime(40);
    // The window was busy: the START edge and the car's next pass, 0.3 s
    // later, are both handled a second after the start.
    const std::int64_t startEdge = counter.ticks;
    counter.advanceMs(1000);
    port.status = kOn;
    race.ComPortDSR(startEdge);
    ASSERT_TRUE(race.RaceRunning());
    EXPECT_TRUE(lockout.enabled) << "the display shows the lock-out until its timer says";
    EXPECT_EQ(lockout.intervalMs, 0) << "nothing of it is left";
    port.status = kOff;
    race.ComPortDSR(startEdge + counter.ticksForMs(300));
    port.status = kOn;
    race.ComPortDSR(startEdge + counter.ticksForMs(300));
    EXPECT_EQ(race.LapCounter(), 1);
    EXPECT_EQ(protocol.lines.back(), "A    Lap:        0,30  1.");

    // The lap's own lock-out counts from its edge too: an edge stamped inside
    // it is refused whenever it is handled and however early the timer fired.
    race.setLockoutTime(1000);
    race.TimerGesperrtTimer();
    port.status = kOff;
    race.ComPortDSR(startEdge + counter.ticksForMs(400));
    port.status = kOn;
    race.ComPortDSR(startEdge + counter.ticksForMs(400));
    EXPECT_EQ(race.LapCounter(), 2);
    EXPECT_EQ(lockout.intervalMs, 400) << "1000 ms from the edge, handled 600 ms after it";
    counter.advanceMs(500);
    race.TimerGesperrtTimer(); // early
    port.status = kOff;
    race.ComPortDSR(startEdge + counter.ticksForMs(1399));
    port.status = kOn;
    race.ComPortDSR(startEdge + counter.ticksForMs(1399));
    EXPECT_EQ(race.LapCounter(), 2) << "stamped inside the lock-out";
    port.status = kOff;
    race.ComPortDSR(startEdge + counter.ticksForMs(1400));
    port.status = kOn;
    race.ComPortDSR(startEdge + counter.ticksForMs(1400)); // the lock-out's very end
    EXPECT_EQ(race.LapCounter(), 3);
}

TEST_F(CoreBarrier, EdgeOlderThanAKeyboardStartTakesTheStartsTimeOfDay)
{
    race.setLapType(1);
    goAuto(2);
    const std::int64_t edgeTicks = edgeBeforeKeyboardStart();
    EXPECT_EQ(protocol.lines[1], "H  Start: 14:05.03,11");
    EXPECT_EQ(protocol.lines.back(), "A    Lap: 14:05.03,11  1.");

    // The same for a stop: with the last lap reached the old edge ends the race.
    race.setLapLimit(1);
    port.status = kOff;
    race.ComPortDSR(edgeTicks);
    port.status = kOn;
    race.ComPortDSR(edgeTicks);
    expectStopped();
    EXPECT_EQ(protocol.lines.back(), "A  Stopp: 14:05.03,11");
}
