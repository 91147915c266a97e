#include "RaceFixture.h"

#include <vector>

using Lines = std::vector<std::string>;

namespace {
class CoreRaceControl : public RaceFixture
{
};
} // namespace

TEST_F(CoreRaceControl, HandRaceWalksThroughAllStates)
{
    expectReady();
    view.startText = "17";
    counter.advanceMs(1000);
    race.mStartClick();
    expectRunning(false);
    EXPECT_EQ(race.StartTicks(), counter.ticks);
    EXPECT_EQ(race.LapCounter(), 0);
    EXPECT_EQ(view[RaceCommand::Lap].caption, "LAP  1");
    EXPECT_EQ(view.focusLog.back(), RaceCommand::Stop);
    EXPECT_EQ(protocol.lines, (Lines{"     Nr.: 17", "H  Start: 00:00.00,00  14:05.04,07"}));
    EXPECT_EQ(race.NrLineIndex(), 0);

    counter.advanceMs(65430);
    race.ClockTimer();
    EXPECT_EQ(row(DisplayRow::First), "00:01.05,43");

    race.mSplitClick();
    EXPECT_EQ(race.LapCounter(), 1);
    EXPECT_EQ(row(DisplayRow::Second), "00:01.05,43");
    EXPECT_EQ(view[RaceCommand::Lap].caption, "LAP  2");
    expectRunning(false);

    counter.advanceMs(1009);
    race.mStopClick();
    expectStopped();
    EXPECT_EQ(row(DisplayRow::First), "00:01.06,43");
    EXPECT_EQ(row(DisplayRow::Second), "00:00.00,00");
    EXPECT_EQ(view.focusLog.back(), RaceCommand::Reset);
    EXPECT_EQ(protocol.lines,
              (Lines{"     Nr.: 17", "H  Start: 00:00.00,00  14:05.04,07",
                     "H    Lap:     1.05,43  1.", "H  Stopp:     1.06,43  14:06.10,50"}));

    // Commands of other states are ignored.
    const Lines before = protocol.lines;
    race.mStartClick();
    race.mSplitClick();
    race.mStopClick();
    EXPECT_EQ(protocol.lines, before);
    expectStopped();

    race.mResetClick();
    expectReady();
    EXPECT_EQ(view.startText, "2");
    EXPECT_EQ(race.StopTicks(), race.StartTicks());
    EXPECT_EQ(row(DisplayRow::First), "00:00.00,00");
    EXPECT_EQ(protocol.lines.back(), "");
    EXPECT_EQ(view.focusLog.back(), RaceCommand::Start);

    // The blank line after reset already separates the next race.
    race.mStartClick();
    EXPECT_EQ(protocol.lines.size(), 7u);
    EXPECT_EQ(protocol.lines[5], "     Nr.: 2");
    EXPECT_EQ(race.NrLineIndex(), 5);
}

TEST_F(CoreRaceControl, StartSeparatesAnEarlierProtocolWithOneBlankLine)
{
    protocol.lines = {"loaded"};
    race.mStartClick();
    EXPECT_EQ(protocol.lines,
              (Lines{"loaded", "", "     Nr.: 1", "H  Start: 00:00.00,00  14:05.03,07"}));
    EXPECT_EQ(race.NrLineIndex(), 2);
}

TEST_F(CoreRaceControl, LapLimitLeavesAtLeastOneLapAndDisablesLapBeforeTheLast)
{
    race.setLapLimit(1);
    race.mStartClick();
    race.mSplitClick();
    expectRunning(true);

    race.mStopClick();
    race.mResetClick();
    race.setLapLimit(3);
    race.mStartClick();
    race.mSplitClick();
    expectRunning(false);
    EXPECT_EQ(view[RaceCommand::Lap].caption, "LAP  2");
    race.mSplitClick();
    expectRunning(true);
    race.mSplitClick(); // disabled: ignored
    EXPECT_EQ(race.LapCounter(), 2);

    race.mStopClick();
    race.mResetClick();
    race.setLapLimit(0);
    race.mStartClick();
    for (int i = 0; i < 12; ++i) {
        race.mSplitClick();
    }
    expectRunning(false);
    EXPECT_EQ(view[RaceCommand::Lap].caption, "LAP  13");
    // STOPP does not wait for the lap limit.
    race.mStopClick();
    expectStopped();
}

TEST_F(CoreRaceControl, LockoutStartsWithEveryStartButOnlyWhenConfigured)
{
    race.mStartClick();
    EXPECT_FALSE(lockout.enabled);
    EXPECT_EQ(view.signalChanges, 1); // only InitialiseView touched the signal
    race.mStopClick();
    race.mResetClick();

    race.setLockoutTime(2500);
    EXPECT_EQ(lockout.intervalMs, 2500);
    race.mStartClick(); // in Hand mode too
    EXPECT_TRUE(lockout.enabled);
    EXPECT_EQ(view.signalCaption, "Gesperrt");
    EXPECT_EQ(view.signalLight, IndicatorLight::Red);
    // Hand commands start no lock-out and are not blocked by one.
    race.TimerGesperrtTimer();
    EXPECT_FALSE(lockout.enabled);
    race.mSplitClick();
    EXPECT_FALSE(lockout.enabled);
    EXPECT_EQ(race.LapCounter(), 1);
    // Hand mode keeps showing "Gesperrt" when the lock-out ends.
    EXPECT_EQ(view.signalCaption, "Gesperrt");
}

TEST_F(CoreRaceControl, NameTypedDuringTheRaceReachesTheNrLine)
{
    race.mStartClick();
    view.startText = "Anna Müller";
    race.mStopClick();
    EXPECT_EQ(protocol.lines[0], "     Nr.: Anna Müller");
    // Reset replaces the name by the next number.
    race.mResetClick();
    EXPECT_EQ(view.startText, "2");
}

TEST_F(CoreRaceControl, NrLineRewriteIsSkippedWhenTheProtocolChangedUnderTheRace)
{
    // Cleared during the race: the index lies past the end.
    protocol.lines = {"x", "y"};
    race.mStartClick();
    ASSERT_EQ(race.NrLineIndex(), 3);
    protocol.lines.clear();
    view.startText = "99";
    race.mStopClick();
    ASSERT_EQ(protocol.lines.size(), 1u);
    EXPECT_EQ(protocol.lines[0].rfind("H  Stopp:", 0), 0u);
    race.mResetClick();

    // Loaded during the race: the index names a line of another file.
    const Lines other = {"a", "b", "     Nr.: 5", "H  Start: 00:00.00,00  9:00.00,00"};
    race.mStartClick();
    const int index = race.NrLineIndex();
    protocol.lines = other;
    ASSERT_LT(index, static_cast<int>(other.size()));
    race.mStopClick();
    protocol.lines.pop_back(); // the stop line
    EXPECT_EQ(protocol.lines, other);
}

TEST_F(CoreRaceControl, AbsoluteModeShowsAndWritesTimesOfDay)
{
    race.setLapType(1);
    race.mStartClick();
    EXPECT_EQ(protocol.lines.back(), "H  Start: 14:05.03,07");
    race.ClockTimer(); // no race time yet: zeros
    EXPECT_EQ(row(DisplayRow::First), "00:00.00,00");
    counter.advanceMs(5000);
    race.ClockTimer();
    EXPECT_EQ(row(DisplayRow::First), "14:05.08,07");

    counter.advanceMs(60000);
    race.mSplitClick();
    EXPECT_EQ(row(DisplayRow::Second), "14:06.08,07");
    EXPECT_EQ(protocol.lines.back(), "H    Lap: 14:06.08,07  1.");

    counter.advanceMs(1230);
    race.mStopClick();
    EXPECT_EQ(row(DisplayRow::First), "14:06.09,30");
    EXPECT_EQ(row(DisplayRow::Second), "00:00.00,00");
    EXPECT_EQ(protocol.lines.back(), "H  Stopp: 14:06.09,30");

    // An unknown lap type writes only the "Nr." line.
    race.mResetClick();
    race.setLapType(2);
    const size_t before = protocol.lines.size();
    race.mStartClick();
    race.mSplitClick();
    race.mStopClick();
    EXPECT_EQ(protocol.lines.size(), before + 1);
}

TEST_F(CoreRaceControl, ResolutionShapesTheProtocolButNotTheTimeOfDay)
{
    race.setDisplayResolution(0);
    race.mStartClick();
    counter.advanceMs(65430);
    race.mStopClick();
    EXPECT_EQ(protocol.lines.back(), "H  Stopp:        1.05  14:06.08,50");
}

TEST_F(CoreRaceControl, StartNumberSpinAndEnterKey)
{
    race.editStartNKeyDown(RaceControl::kVkReturn);
    EXPECT_EQ(view.focusLog.back(), RaceCommand::Start);
    race.mStartClick();
    const size_t focuses = view.focusLog.size();
    race.editStartNKeyDown(RaceControl::kVkReturn); // START disabled
    race.editStartNKeyDown('A');
    EXPECT_EQ(view.focusLog.size(), focuses);
    race.mStopClick();

    view.spinValue = 1000000;
    view.startText = "Zielflagge";
    race.mResetClick();
    EXPECT_EQ(view.spinValue, 1000000);
    EXPECT_EQ(view.startText, "Zielflagge");
}
