#pragma once

#include "FakeCounter.h"
#include "FakeDigitDisplay.h"
#include "FakeLocalClock.h"
#include "FakePortState.h"
#include "FakeProtocol.h"
#include "FakeRaceView.h"
#include "FakeTimer.h"
#include "core/RaceControl.h"

#include <gtest/gtest.h>

// A race control wired to fakes, in the state the window leaves it after
// creation: Ready, Hand mode, both rows at zero.
class RaceFixture : public ::testing::Test
{
protected:
    RaceFixture()
    {
        view.onSpinChange = [this](int value) { race.seStartNChange(value); };
        race.InitialiseView();
        race.ApplyResolution(2);
        race.ApplyDigitColours(clBlack, clLime, clDarkGrey);
        race.ShowRaceTime(0, DisplayRow::First);
        race.ShowRaceTime(0, DisplayRow::Second);
    }

    void goAuto(int algorithm = 0)
    {
        port.number = 1;
        port.open = true;
        race.setBarrierAlgorithm(algorithm);
        race.SetAutoMode();
    }

    // One edge of the barrier at the current counter reading.
    void edge(std::uint32_t status)
    {
        port.status = status;
        race.ComPortDSR(counter.ticks);
    }

    // The lock-out time passes on the counter and TimerGesperrt fires.
    void lockoutEnds()
    {
        counter.advanceMs(race.LockoutTime());
        race.TimerGesperrtTimer();
    }

    bool enabled(RaceCommand c) { return view[c].enabled; }

    void expectReady()
    {
        EXPECT_TRUE(enabled(RaceCommand::Start));
        EXPECT_FALSE(enabled(RaceCommand::Lap));
        EXPECT_FALSE(enabled(RaceCommand::Stop));
        EXPECT_FALSE(enabled(RaceCommand::Reset));
        EXPECT_EQ(view[RaceCommand::Start].color, clGreen);
        EXPECT_EQ(view[RaceCommand::Reset].color, clBtnFace);
        EXPECT_TRUE(view.configEnabled);
        EXPECT_FALSE(clock.enabled);
    }

    void expectRunning(bool lapsUsedUp)
    {
        EXPECT_FALSE(enabled(RaceCommand::Start));
        EXPECT_EQ(view[RaceCommand::Start].color, clBtnFace);
        EXPECT_EQ(enabled(RaceCommand::Lap), !lapsUsedUp);
        EXPECT_EQ(view[RaceCommand::Lap].color, lapsUsedUp ? clBtnFace : clYellow);
        if (lapsUsedUp) {
            EXPECT_EQ(view[RaceCommand::Lap].caption, "LAP");
        }
        EXPECT_TRUE(enabled(RaceCommand::Stop));
        EXPECT_EQ(view[RaceCommand::Stop].color, clRed);
        EXPECT_FALSE(enabled(RaceCommand::Reset));
        EXPECT_EQ(view[RaceCommand::Reset].color, clBtnFace);
        EXPECT_FALSE(view.configEnabled);
        EXPECT_TRUE(clock.enabled);
    }

    void expectStopped()
    {
        EXPECT_FALSE(enabled(RaceCommand::Start));
        EXPECT_FALSE(enabled(RaceCommand::Lap));
        EXPECT_EQ(view[RaceCommand::Lap].caption, "LAP");
        EXPECT_FALSE(enabled(RaceCommand::Stop));
        EXPECT_EQ(view[RaceCommand::Stop].color, clBtnFace);
        EXPECT_TRUE(enabled(RaceCommand::Reset));
        EXPECT_EQ(view[RaceCommand::Reset].color, clBlack);
        EXPECT_FALSE(view.configEnabled);
        EXPECT_FALSE(clock.enabled);
    }

    // Digits of a row as "hh:mm.ss,cc".
    std::string row(DisplayRow r)
    {
        using D = DisplayControl;
        const D first[8] = {D::Digit1, D::Digit2, D::Digit3, D::Digit4,
                            D::Digit5, D::Digit6, D::Digit7, D::Digit8};
        const D second[8] = {D::Digit12, D::Digit13, D::Digit15, D::Digit16,
                             D::Digit18, D::Digit19, D::Digit21, D::Digit22};
        const D* d = r == DisplayRow::First ? first : second;
        std::string s;
        const char* seps[8] = {"", "", ":", "", ".", "", ",", ""};
        for (int i = 0; i < 8; ++i) {
            s += seps[i];
            s += std::to_string(display[d[i]].value);
        }
        return s;
    }

    FakeCounter counter;
    FakeLocalClock localClock{counter};
    FakeDigitDisplay display;
    FakeRaceView view;
    FakeProtocol protocol;
    FakePortState port;
    FakeTimer clock;
    FakeTimer lockout;
    RaceControl race{counter, localClock, display, view, protocol, port, clock, lockout};
};
