#pragma once

#include "core/Color.h"
#include "core/ICounter.h"
#include "core/IDigitDisplay.h"
#include "core/ILocalClock.h"
#include "core/IPortState.h"
#include "core/IProtocol.h"
#include "core/IRaceView.h"
#include "core/ITimer.h"
#include "core/SystemTime.h"
#include "core/TimeDisplay.h"

#include <cstdint>
#include <optional>
#include <string>

// The race: commands START, LAP, STOPP and reset, the light barrier, the
// lock-out, the operating mode and the protocol lines they write. All of it
// runs on the GUI thread; the window forwards its events to the handlers here.
//
// The enabled states of the four commands are the race state and the only
// guard of every command: a handler of a disabled command does nothing, as a
// disabled menu item would.
class RaceControl
{
public:
    enum class Mode
    {
        Hand,
        Auto,
    };

    static constexpr int kVkReturn = 13;
    static constexpr std::uint32_t kInitialModemStatus = 0x55555555;

    // clockTimer is the 10 ms display refresh (`Clock`); lockoutTimer is
    // `TimerGesperrt`, whose interval is the lock-out time in milliseconds.
    RaceControl(ICounter& counter, ILocalClock& localClock, IDigitDisplay& display, IRaceView& view,
                IProtocol& protocol, IPortState& port, ITimer& clockTimer, ITimer& lockoutTimer);

    // Pushes the Ready state and Hand mode to a freshly built window.
    void InitialiseView();

    // Time base.
    std::int64_t GetMyTickCount();
    std::int32_t CalcMS(std::int64_t ticks) const;
    void ShowRaceTime(std::int64_t ticks, DisplayRow row);
    void ShowTimeDigits(DisplayRow row, std::int32_t h, std::int32_t m, std::int32_t s,
                        std::int32_t c);
    std::string FormatRaceTime(std::int64_t ticks) const;
    std::string FormatTimeOfDay() const;
    void ApplyResolution(int resolution);
    void ApplyDigitColours(TColor c1, TColor c2, TColor c3);
    void ClockTimer();

    // Commands.
    void mStartClick();
    void mSplitClick();
    void mStopClick();
    void mResetClick();

    // A DSR event of the light-barrier port. edgeTicks is the counter reading
    // the port thread took when the edge arrived; every command the event
    // causes is timed with it, so a busy window never delays a race time.
    void ComPortDSR(std::int64_t edgeTicks);
    // For callers without an edge reading: the counter is read now.
    void ComPortDSR();
    // A command given by hand (key or mouse) and timed at `pressTicks`, the
    // counter reading when the key or button was pressed, instead of when the
    // window got round to it; without a reading it is timed now.
    void runHandCommand(RaceCommand command, std::optional<std::int64_t> pressTicks);
    void TimerGesperrtTimer();

    // Modes.
    void SetHandMode();
    void SetAutoMode();
    void LedModusClick();
    void Auto1Click();
    void Hand1Click();

    // Start number or name.
    void seStartNChange(std::int32_t value);
    void editStartNKeyDown(int virtualKey);

    // State.
    bool CommandEnabled(RaceCommand command) const;
    bool RaceRunning() const { return m_clockTimer.isEnabled(); }
    bool LockoutRunning() const { return m_lockoutTimer.isEnabled(); }
    Mode mode() const { return m_mode; }
    const TimeDisplay& timeDisplay() const { return m_display; }

    std::int32_t LapCounter() const { return m_lapCounter; }
    std::int32_t NrLineIndex() const { return m_nrLineIndex; }
    bool TriggeredByBarrier() const { return m_triggeredByBarrier; }
    std::uint32_t LastModemStatus() const { return m_lastModemStatus; }
    std::int64_t StartTicks() const { return m_startTicks; }
    std::int64_t SplitTicks() const { return m_splitTicks; }
    std::int64_t StopTicks() const { return m_stopTicks; }
    const TSystemTime& EventTime() const { return m_eventTime; }

    // Settings.
    std::int32_t LapLimit() const { return m_lapLimit; }
    void setLapLimit(std::int32_t value) { m_lapLimit = value; }
    std::int32_t BarrierAlgorithm() const { return m_barrierAlgorithm; }
    void setBarrierAlgorithm(std::int32_t value) { m_barrierAlgorithm = value; }
    std::int32_t LapType() const { return m_lapType; }
    void setLapType(std::int32_t value) { m_lapType = value; }
    std::int32_t DisplayResolution() const { return m_displayResolution; }
    void setDisplayResolution(std::int32_t value) { m_displayResolution = value; }
    int LockoutTime() const { return m_lockoutMs; }
    void setLockoutTime(int milliseconds);

private:
    // Times the commands run inside it with an event's own counter reading.
    class StampScope
    {
    public:
        StampScope(RaceControl& race, std::optional<std::int64_t> ticks);
        ~StampScope();
        StampScope(const StampScope&) = delete;
        StampScope& operator=(const StampScope&) = delete;

    private:
        RaceControl& m_race;
    };

    void AddProtocolLine(const std::string& text);
    void BarrierTrigger();
    void StartLockout();
    void enableLockoutTimer();
    bool lockoutCovers(std::int64_t ticks) const;
    bool barrierLocked();
    bool autoModePossible();

    void setCommand(RaceCommand command, bool enabled);
    void setCommand(RaceCommand command, bool enabled, TColor color);
    std::int64_t eventTicks();
    void captureEventTime();
    void addLineIfAny(const std::optional<std::string>& line);
    void rewriteNrLine();

    ICounter& m_counter;
    ILocalClock& m_localClock;
    IRaceView& m_view;
    IProtocol& m_protocol;
    IPortState& m_port;
    ITimer& m_clockTimer;
    ITimer& m_lockoutTimer;
    TimeDisplay m_display;

    bool m_enabled[4] = {true, false, false, false};
    Mode m_mode = Mode::Hand;

    std::int32_t m_lapCounter = 0;
    std::int32_t m_nrLineIndex = -1;
    std::string m_nrLineText;
    bool m_triggeredByBarrier = false;
    // The counter reading the current command is timed with: the barrier
    // edge's or the key press's; none means now.
    std::optional<std::int64_t> m_eventStamp;
    // The last lock-out: its first counter reading (that of the edge or press
    // that started it, none before the first) and its length in ticks.
    std::optional<std::int64_t> m_lockoutStart;
    std::int64_t m_lockoutLength = 0;
    int m_lockoutMs = 0;
    std::uint32_t m_lastModemStatus = kInitialModemStatus;
    std::int64_t m_startTicks = 0;
    std::int64_t m_splitTicks = 0;
    std::int64_t m_stopTicks = 0;
    TSystemTime m_eventTime;

    std::int32_t m_lapLimit = 0;
    std::int32_t m_barrierAlgorithm = 0;
    std::int32_t m_lapType = 0;
    std::int32_t m_displayResolution = 2;
};
