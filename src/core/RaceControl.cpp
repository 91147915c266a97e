#include "core/RaceControl.h"

#include <algorithm>

#include "core/ProtocolLines.h"
#include "core/TimeBase.h"

namespace {

int index(RaceCommand command)
{
    return static_cast<int>(command);
}

const char* const kGesperrt = "Gesperrt";
const char* const kFrei = "Frei";

} // namespace

RaceControl::RaceControl(ICounter& counter, ILocalClock& localClock, IDigitDisplay& display,
                         IRaceView& view, IProtocol& protocol, IPortState& port, ITimer& clockTimer,
                         ITimer& lockoutTimer)
    : m_counter(counter), m_localClock(localClock), m_view(view), m_protocol(protocol),
      m_port(port), m_clockTimer(clockTimer), m_lockoutTimer(lockoutTimer), m_display(display)
{
}

void RaceControl::InitialiseView()
{
    setCommand(RaceCommand::Start, m_enabled[index(RaceCommand::Start)], clGreen);
    setCommand(RaceCommand::Lap, m_enabled[index(RaceCommand::Lap)], clBtnFace);
    setCommand(RaceCommand::Stop, m_enabled[index(RaceCommand::Stop)], clBtnFace);
    setCommand(RaceCommand::Reset, m_enabled[index(RaceCommand::Reset)], clBtnFace);
    m_view.setCommandCaption(RaceCommand::Lap, "LAP");
    m_view.setConfigEnabled(true);
    SetHandMode();
}

// ---- time base -------------------------------------------------------------

std::int64_t RaceControl::GetMyTickCount()
{
    return m_counter.read();
}

std::int32_t RaceControl::CalcMS(std::int64_t ticks) const
{
    return TimeBase::CalcMS(ticks, m_counter.countSpeed());
}

void RaceControl::ShowRaceTime(std::int64_t ticks, DisplayRow row)
{
    const std::int32_t ms = CalcMS(ticks);
    if (m_lapType != 0 && ms != 0) {
        // The second row shows the time of day the last LAP captured.
        if (row == DisplayRow::First) {
            captureEventTime();
        }
        ShowTimeDigits(row, m_eventTime.hour, m_eventTime.minute, m_eventTime.second,
                       m_eventTime.milliseconds / 10);
        return;
    }
    const TimeBase::RaceTimeFields f = TimeBase::splitRaceTime(ms);
    ShowTimeDigits(row, static_cast<std::int32_t>(f.hours), static_cast<std::int32_t>(f.minutes),
                   static_cast<std::int32_t>(f.seconds), static_cast<std::int32_t>(f.hundredths));
}

void RaceControl::ShowTimeDigits(DisplayRow row, std::int32_t h, std::int32_t m, std::int32_t s,
                                 std::int32_t c)
{
    m_display.ShowTimeDigits(row, h, m, s, c);
}

std::string RaceControl::FormatRaceTime(std::int64_t ticks) const
{
    return TimeBase::FormatRaceTime(CalcMS(ticks), m_displayResolution);
}

std::string RaceControl::FormatTimeOfDay() const
{
    return TimeBase::FormatTimeOfDay(m_eventTime);
}

void RaceControl::ApplyResolution(int resolution)
{
    m_display.ApplyResolution(resolution);
}

void RaceControl::ApplyDigitColours(TColor c1, TColor c2, TColor c3)
{
    m_display.ApplyDigitColours(c1, c2, c3);
}

void RaceControl::ClockTimer()
{
    ShowRaceTime(GetMyTickCount() - m_startTicks, DisplayRow::First);
}

// ---- commands --------------------------------------------------------------

void RaceControl::mStartClick()
{
    if (!CommandEnabled(RaceCommand::Start)) {
        return;
    }
    m_startTicks = eventTicks();
    captureEventTime();
    m_clockTimer.setEnabled(true);
    if (LockoutTime() > 0) {
        m_view.setSignalIndicator(IndicatorLight::Red, kGesperrt);
        enableLockoutTimer();
    }
    m_view.setConfigEnabled(false);
    setCommand(RaceCommand::Start, false, clBtnFace);
    setCommand(RaceCommand::Lap, true, clYellow);
    setCommand(RaceCommand::Stop, CommandEnabled(RaceCommand::Lap), clRed);
    setCommand(RaceCommand::Reset, false, clBtnFace);

    const std::string timeOfDay = FormatTimeOfDay();
    const int lines = m_protocol.lineCount();
    if (lines > 0 && !m_protocol.line(lines - 1).empty()) {
        AddProtocolLine("");
    }
    m_nrLineIndex = m_protocol.lineCount();
    m_nrLineText = ProtocolLines::nrLine(m_view.startNumberText());
    AddProtocolLine(m_nrLineText);
    addLineIfAny(ProtocolLines::startLine(m_lapType, m_triggeredByBarrier, timeOfDay));

    m_view.focusCommand(RaceCommand::Stop);
    m_lapCounter = 0;
    m_view.setCommandCaption(RaceCommand::Lap, "LAP  1");
}

void RaceControl::mSplitClick()
{
    if (!CommandEnabled(RaceCommand::Lap)) {
        return;
    }
    m_splitTicks = eventTicks();
    captureEventTime();
    const std::string timeOfDay = FormatTimeOfDay();
    ++m_lapCounter;

    // Laps are split times, always measured from START.
    const std::int64_t raceTicks = m_splitTicks - m_startTicks;
    ShowRaceTime(raceTicks, DisplayRow::Second);
    addLineIfAny(ProtocolLines::lapLine(m_lapType, m_triggeredByBarrier, FormatRaceTime(raceTicks),
                                        timeOfDay, m_lapCounter));

    m_view.setCommandCaption(RaceCommand::Lap,
                             "LAP  " + std::to_string(static_cast<std::int64_t>(m_lapCounter) + 1));
    if (m_lapLimit > 0 && m_lapCounter >= m_lapLimit - 1) {
        setCommand(RaceCommand::Lap, false, clBtnFace);
    }
    if (!CommandEnabled(RaceCommand::Lap)) {
        m_view.setCommandCaption(RaceCommand::Lap, "LAP");
    }
}

void RaceControl::mStopClick()
{
    if (!CommandEnabled(RaceCommand::Stop)) {
        return;
    }
    m_stopTicks = eventTicks();
    m_clockTimer.setEnabled(false);
    captureEventTime();
    const std::string timeOfDay = FormatTimeOfDay();

    const std::int64_t raceTicks = m_stopTicks - m_startTicks;
    ShowRaceTime(raceTicks, DisplayRow::First);
    ShowRaceTime(0, DisplayRow::Second);

    setCommand(RaceCommand::Start, false);
    setCommand(RaceCommand::Lap, false, clBtnFace);
    setCommand(RaceCommand::Stop, CommandEnabled(RaceCommand::Lap), clBtnFace);
    setCommand(RaceCommand::Reset, true, clBlack);
    m_view.setCommandCaption(RaceCommand::Lap, "LAP");

    addLineIfAny(ProtocolLines::stopLine(m_lapType, m_triggeredByBarrier, FormatRaceTime(raceTicks),
                                         timeOfDay));
    m_view.focusCommand(RaceCommand::Reset);
    rewriteNrLine();
}

// The "Nr." line takes the number or name that stands in the edit at STOPP.
// The protocol can be cleared or loaded while a race runs, so the index taken
// at START may no longer name this race's line, or may lie past the end. The
// line is rewritten only when it still holds exactly the text START wrote;
// otherwise the rewrite is skipped, so STOPP never writes outside the
// protocol nor overwrites a line that belongs to something else.
void RaceControl::rewriteNrLine()
{
    if (m_nrLineIndex < 0 || m_nrLineIndex >= m_protocol.lineCount()) {
        return;
    }
    if (m_protocol.line(m_nrLineIndex) != m_nrLineText) {
        return;
    }
    m_nrLineText = ProtocolLines::nrLine(m_view.startNumberText());
    m_protocol.replaceLine(m_nrLineIndex, m_nrLineText);
}

void RaceControl::mResetClick()
{
    if (!CommandEnabled(RaceCommand::Reset)) {
        return;
    }
    // The spin edit reports a real change back through seStartNChange, which
    // replaces a typed name by the next number.
    m_view.stepStartNumber();
    ShowRaceTime(0, DisplayRow::First);
    ShowRaceTime(0, DisplayRow::Second);
    m_view.setConfigEnabled(true);
    setCommand(RaceCommand::Start, true, clGreen);
    setCommand(RaceCommand::Reset, false, clBtnFace);
    m_stopTicks = m_startTicks;
    AddProtocolLine("");
    m_view.focusCommand(RaceCommand::Start);
}

// ---- light barrier ---------------------------------------------------------

void RaceControl::ComPortDSR()
{
    ComPortDSR(GetMyTickCount());
}

void RaceControl::runHandCommand(RaceCommand command, std::optional<std::int64_t> pressTicks)
{
    const StampScope scope(*this, pressTicks);
    switch (command) {
    case RaceCommand::Start:
        mStartClick();
        break;
    case RaceCommand::Lap:
        mSplitClick();
        break;
    case RaceCommand::Stop:
        mStopClick();
        break;
    case RaceCommand::Reset:
        mResetClick();
        break;
    }
}

void RaceControl::ComPortDSR(std::int64_t edgeTicks)
{
    const std::uint32_t status = m_port.ModemStatus();
    // The whole word is compared, not the DSR bit alone.
    if (status == m_lastModemStatus) {
        return;
    }

    struct BarrierScope
    {
        RaceControl& race;
        ~BarrierScope() { race.m_triggeredByBarrier = false; }
    } barrier{*this};
    m_triggeredByBarrier = true;
    const StampScope scope(*this, edgeTicks);
    m_lastModemStatus = status;

    const bool dsrOn = (status & IPortState::kDsrOn) != 0;
    switch (m_barrierAlgorithm) {
    case 0:
        if (dsrOn) {
            BarrierTrigger();
        }
        break;
    case 1:
        if (!dsrOn) {
            BarrierTrigger();
        }
        break;
    case 2:
        // Lap counting ignores the mode: in Hand mode the barrier still takes laps.
        if (!dsrOn) {
            break;
        }
        if (!CommandEnabled(RaceCommand::Lap)) {
            BarrierTrigger();
        } else if (m_lapLimit != 0 && m_lapLimit - 1 <= m_lapCounter) {
            setCommand(RaceCommand::Lap, false);
            BarrierTrigger();
        } else if (!barrierLocked()) {
            mSplitClick();
            StartLockout();
        }
        break;
    default:
        break;
    }
}

void RaceControl::BarrierTrigger()
{
    if (m_mode == Mode::Hand || barrierLocked()) {
        return;
    }
    if (CommandEnabled(RaceCommand::Start)) {
        mStartClick();
    } else if (CommandEnabled(RaceCommand::Lap)) {
        mSplitClick();
    } else if (CommandEnabled(RaceCommand::Stop)) {
        mStopClick();
    } else if (CommandEnabled(RaceCommand::Reset)) {
        mResetClick();
    }
    StartLockout();
}

void RaceControl::StartLockout()
{
    if (!lockoutCovers(eventTicks()) && CommandEnabled(RaceCommand::Stop) && LockoutTime() > 0) {
        m_view.setSignalIndicator(IndicatorLight::Red, kGesperrt);
        enableLockoutTimer();
    }
}

void RaceControl::setLockoutTime(int milliseconds)
{
    m_lockoutMs = milliseconds;
    // A running lock-out keeps its length: confirming the settings must not
    // lengthen it.
    if (!LockoutRunning()) {
        m_lockoutTimer.setInterval(milliseconds);
    }
}

// The lock-out counts from the edge or key press that started it, not from
// when the window got round to it: a window that was busy must not push it
// onto the next car. Its timer only turns the display back to "Frei", so it
// is set to the part that is left. A lock-out that still covers this event
// is neither restarted nor lengthened.
void RaceControl::enableLockoutTimer()
{
    const std::int64_t stamp = eventTicks();
    if (!lockoutCovers(stamp)) {
        m_lockoutStart = stamp;
        m_lockoutLength = static_cast<std::int64_t>(static_cast<long double>(LockoutTime()) *
                                                    m_counter.countSpeed() * 1000.0L);
    } else if (LockoutRunning()) {
        return;
    }
    const std::int64_t end = *m_lockoutStart + m_lockoutLength;
    const std::int64_t left = std::max<std::int64_t>(0, end - GetMyTickCount());
    m_lockoutTimer.setEnabled(false);
    m_lockoutTimer.setInterval(CalcMS(left));
    m_lockoutTimer.setEnabled(true);
}

bool RaceControl::lockoutCovers(std::int64_t ticks) const
{
    // An event older than the lock-out's start came before the command that
    // started it and waited behind it; it belongs to that car too.
    return m_lockoutStart && ticks - *m_lockoutStart < m_lockoutLength;
}

// The barrier is locked while the lock-out covers the edge's own counter
// reading. The timer may fire early or late, or its expiry may be handled
// before an edge that came in during the lock-out but waited for the busy
// window; none of that moves the lock-out.
bool RaceControl::barrierLocked()
{
    return lockoutCovers(eventTicks());
}

void RaceControl::TimerGesperrtTimer()
{
    if (m_port.isOpen() && m_mode == Mode::Auto) {
        m_view.setSignalIndicator(IndicatorLight::Green, kFrei);
    }
    m_lockoutTimer.setEnabled(false);
}

// ---- modes -----------------------------------------------------------------

void RaceControl::SetHandMode()
{
    m_mode = Mode::Hand;
    m_view.setModeIndicator(IndicatorLight::Red, "Hand");
    m_view.setSignalIndicator(IndicatorLight::Red, kGesperrt);
}

void RaceControl::SetAutoMode()
{
    m_mode = Mode::Auto;
    m_view.setModeIndicator(IndicatorLight::Green, "Auto");
    m_view.setSignalIndicator(IndicatorLight::Green, kFrei);
}

// Auto mode promises a barrier that can trigger. A configured port that is
// not open, because it never opened or its adapter was lost, keeps the
// window in Hand mode, and the port says why.
bool RaceControl::autoModePossible()
{
    if (m_port.portNumber() == 0) {
        return false;
    }
    if (!m_port.isOpen()) {
        m_port.autoModeRefused();
        return false;
    }
    return true;
}

void RaceControl::LedModusClick()
{
    if (m_mode == Mode::Hand && autoModePossible()) {
        SetAutoMode();
    } else {
        SetHandMode();
    }
}

void RaceControl::Auto1Click()
{
    if (autoModePossible()) {
        SetAutoMode();
    }
}

void RaceControl::Hand1Click()
{
    SetHandMode();
}

// ---- start number ----------------------------------------------------------

void RaceControl::seStartNChange(std::int32_t value)
{
    m_view.setStartNumberText(std::to_string(value));
}

void RaceControl::editStartNKeyDown(int virtualKey)
{
    if (virtualKey == kVkReturn && CommandEnabled(RaceCommand::Start)) {
        m_view.focusCommand(RaceCommand::Start);
    }
}

// ---- helpers ---------------------------------------------------------------

bool RaceControl::CommandEnabled(RaceCommand command) const
{
    return m_enabled[index(command)];
}

void RaceControl::setCommand(RaceCommand command, bool enabled)
{
    m_enabled[index(command)] = enabled;
    m_view.setCommandEnabled(command, enabled);
}

void RaceControl::setCommand(RaceCommand command, bool enabled, TColor color)
{
    setCommand(command, enabled);
    m_view.setCommandColor(command, color);
}

void RaceControl::AddProtocolLine(const std::string& text)
{
    m_protocol.appendLine(text);
}

void RaceControl::addLineIfAny(const std::optional<std::string>& line)
{
    if (line) {
        AddProtocolLine(*line);
    }
}

std::int64_t RaceControl::eventTicks()
{
    return m_eventStamp ? *m_eventStamp : GetMyTickCount();
}

RaceControl::StampScope::StampScope(RaceControl& race, std::optional<std::int64_t> ticks)
    : m_race(race)
{
    // An edge or key press that waited while the window was busy can be older
    // than a START given in the meantime. A race time is never negative and a
    // time of day never lies before its start, so such an event counts as
    // coming right at that start, for its race time and its time of day alike.
    if (ticks && race.RaceRunning()) {
        ticks = std::max(*ticks, race.m_startTicks);
    }
    race.m_eventStamp = ticks;
}

RaceControl::StampScope::~StampScope()
{
    m_race.m_eventStamp.reset();
}

// For a barrier event or a key press the time of day is that of the event,
// not of the moment the window got round to handling it: the current local
// time minus the counter age of the event's reading. (A daylight-saving
// switch inside that age, a matter of milliseconds, is not accounted for.)
void RaceControl::captureEventTime()
{
    TSystemTime now = m_localClock.now();
    if (m_eventStamp) {
        const std::int64_t age = GetMyTickCount() - *m_eventStamp;
        const std::int32_t ageMs = age > 0 ? CalcMS(age) : 0;
        if (ageMs > 0) {
            now = TimeBase::subtractMilliseconds(now, ageMs);
        }
    }
    m_eventTime = now;
}
