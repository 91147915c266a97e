#include "core/Results.h"

#include "core/CorrectionLines.h"
#include "core/Text.h"
#include "core/TimeBase.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <unordered_map>

namespace Results {

namespace {

constexpr std::int32_t kDayMs = 24 * 60 * 60 * 1000;

// The race-time field of LAP and STOPP lines in Relative mode is "%11s".
constexpr std::size_t kRaceTimeWidth = 11;

// Lines as the race control writes them (see ProtocolLines): the mark and the
// blanks up to the colon are fixed, so a prefix identifies the kind.
constexpr std::string_view kNrPrefix = "     Nr.:";
constexpr std::string_view kStartTag = "  Start: ";
constexpr std::string_view kLapTag = "    Lap: ";
constexpr std::string_view kStopTag = "  Stopp: ";
constexpr std::string_view kRelativeStart = "00:00.00,00  ";
constexpr std::string_view kFieldGap = "  ";

struct RaceTime
{
    std::int32_t ms = 0;
    int resolution = 2; // digits after the comma
};

using Text::isDigit;
using Text::startsWith;
using Text::trimmed;

// One or two digits; nothing else.
std::optional<int> smallNumber(std::string_view text)
{
    if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), isDigit)) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// Splits "head<sep>tail" at the last separator; without one, the head is empty
// and `found` false.
std::string_view takeBefore(std::string_view& text, char separator, bool& found)
{
    const std::size_t at = text.rfind(separator);
    found = at != std::string_view::npos;
    if (!found) {
        return {};
    }
    const std::string_view head = text.substr(0, at);
    text.remove_prefix(at + 1);
    return head;
}

// The text FormatRaceTime makes, and only that: the fields are read loosely
// and the text is accepted only if formatting them again gives it back, which
// rules out "05,00", "1:5.00,00", "0:00.05" and every other near miss.
std::optional<RaceTime> parseRaceTime(std::string_view text)
{
    int resolution = 0;
    int fraction = 0;
    std::string_view rest = text;
    const std::size_t comma = rest.find(',');
    if (comma != std::string_view::npos) {
        const std::string_view digits = rest.substr(comma + 1);
        const std::optional<int> value = smallNumber(digits);
        if (!value) {
            return std::nullopt;
        }
        resolution = static_cast<int>(digits.size());
        fraction = *value;
        rest = rest.substr(0, comma);
    }

    bool hasMinutes = false;
    bool hasHours = false;
    std::string_view seconds = rest;
    std::string_view minutes = takeBefore(seconds, '.', hasMinutes);
    std::string_view hours = hasMinutes ? takeBefore(minutes, ':', hasHours) : std::string_view{};
    if (!hasMinutes && seconds.find(':') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<int> s = smallNumber(seconds);
    const std::optional<int> m = hasMinutes ? smallNumber(minutes) : 0;
    const std::optional<int> h = hasHours ? smallNumber(hours) : 0;
    if (!s || !m || !h) {
        return std::nullopt;
    }
    const std::int32_t fractionMs = resolution == 2 ? fraction * 10 : fraction * 100;
    const std::int32_t ms = ((*h * 60 + *m) * 60 + *s) * 1000 + fractionMs;
    if (TimeBase::FormatRaceTime(ms, resolution) != text) {
        return std::nullopt;
    }
    return RaceTime{ms, resolution};
}

// "h:mm.ss,cc" as FormatTimeOfDay makes it; milliseconds since midnight.
std::optional<std::int32_t> parseTimeOfDay(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || text.size() != colon + 9 || text[colon + 3] != '.' ||
        text[colon + 6] != ',') {
        return std::nullopt;
    }
    const std::string_view hourText = text.substr(0, colon);
    const std::optional<int> h = smallNumber(hourText);
    const std::optional<int> m = smallNumber(text.substr(colon + 1, 2));
    const std::optional<int> s = smallNumber(text.substr(colon + 4, 2));
    const std::optional<int> c = smallNumber(text.substr(colon + 7, 2));
    // "%d" writes the hour without a leading zero.
    if (!h || !m || !s || !c || (hourText.size() == 2 && hourText[0] == '0') || *h > 23 ||
        *m > 59 || *s > 59) {
        return std::nullopt;
    }
    return ((*h * 60 + *m) * 60 + *s) * 1000 + *c * 10;
}

std::int32_t sinceStart(std::int32_t startOfDay, std::int32_t timeOfDay)
{
    // A race that runs past midnight: the later time of day is the smaller.
    const std::int32_t ms = timeOfDay - startOfDay;
    return ms < 0 ? ms + kDayMs : ms;
}

// "%11s": right-aligned in the width, never cut.
std::optional<RaceTime> parseRaceTimeField(std::string_view field)
{
    std::string_view text = field;
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    const std::size_t expected = std::max(text.size(), kRaceTimeWidth);
    if (field.size() != expected) {
        return std::nullopt;
    }
    return parseRaceTime(text);
}

// "%d." of a lap counter, which starts at 1.
bool isLapNumber(std::string_view text)
{
    if (text.size() < 2 || text.size() > 11 || text.back() != '.' || text.front() == '0') {
        return false;
    }
    text.remove_suffix(1);
    return std::all_of(text.begin(), text.end(), isDigit);
}

// A start of day holds no blank, so it ends where the name begins.
std::string startKey(std::string_view startOfDay, std::string_view name)
{
    std::string key(startOfDay);
    key += ' ';
    key += name;
    return key;
}

// A reader remembers where it stood every this many lines, so a change near
// the end of a long protocol is read again from close before it.
constexpr std::size_t kCheckpointLines = 64;

std::int32_t stepMs(int resolution)
{
    return resolution == 2 ? 10 : resolution == 1 ? 100 : 1000;
}

// Whether a STOPP at `stopOfDay` after `raceMs` (shown at `resolution`) can
// have been started at `startOfDay`. Both texts cut their last digits: the
// race time to its resolution, the times of day to hundredths, so their true
// values are up to a step, or 10 ms, more than written. Hence STOPP less race
// less START is between 0 and one step. The counter and the wall clock are
// separate clocks, which drift apart (a clock adjusted by the time service,
// a counter calibrated on another computer): 1 ms in each second of the race
// is more than either does.
bool startsAt(std::int32_t stopOfDay, std::int32_t raceMs, int resolution, std::int32_t startOfDay)
{
    std::int32_t offset = static_cast<std::int32_t>(
        ((static_cast<std::int64_t>(stopOfDay) - raceMs - startOfDay) % kDayMs + kDayMs) % kDayMs);
    if (offset > kDayMs / 2) {
        offset -= kDayMs;
    }
    const std::int32_t drift = raceMs / 1000;
    return offset >= -drift && offset <= stepMs(resolution) + drift;
}

} // namespace

Reader::Reader()
{
    m_checkpoints.push_back(Checkpoint{});
}

void Reader::line(std::string_view text)
{
    if (m_linesRead % kCheckpointLines == 0 && m_checkpoints.back().line != m_linesRead) {
        m_checkpoints.push_back(
            Checkpoint{m_linesRead, m_runs.size(), m_corrections.size(), m_state});
    }
    ++m_linesRead;
    if (text.empty()) {
        return; // a reset and a START write these
    }
    bool known = false;
    if (startsWith(text, kNrPrefix)) {
        known = nrLine(text.substr(kNrPrefix.size()));
    } else if (text.front() == 'H' || text.front() == 'A') {
        const std::string_view body = text.substr(1);
        if (startsWith(body, kStartTag)) {
            known = startLine(body.substr(kStartTag.size()));
        } else if (startsWith(body, kLapTag)) {
            known = lapLine(body.substr(kLapTag.size()));
        } else if (startsWith(body, kStopTag)) {
            known = stopLine(body.substr(kStopTag.size()));
        }
    } else if (text.front() == '*') {
        known = correctionLine(text);
    }
    if (!known) {
        ++m_state.skipped;
    }
}

std::size_t Reader::rewind(std::size_t index)
{
    if (index >= m_linesRead) {
        return m_linesRead;
    }
    while (m_checkpoints.back().line > index) {
        m_checkpoints.pop_back();
    }
    const Checkpoint& back = m_checkpoints.back();
    // The runs read since are the last of their start and name.
    const std::size_t kept = back.runs + (back.state.open ? 1 : 0);
    for (std::size_t index = runCount(); index-- > kept;) {
        const Run& run = runAt(index);
        const auto found = m_runsByStart.find(startKey(run.startOfDay, run.name));
        found->second.pop_back();
        if (found->second.empty()) {
            m_runsByStart.erase(found);
        }
    }
    m_runs.resize(back.runs);
    m_corrections.resize(back.corrections);
    m_state = back.state;
    m_linesRead = back.line;
    return m_linesRead;
}

Protocol Reader::protocol() const
{
    Protocol protocol{m_runs, m_state.skipped, m_corrections};
    if (m_state.open) {
        protocol.runs.push_back(m_state.open->run);
    }
    return protocol;
}

bool Reader::nrLine(std::string_view rest)
{
    // An empty name leaves "     Nr.: "; an editor may have cut the blank.
    if (!rest.empty() && rest.front() != ' ') {
        return false;
    }
    closeOpenRun();
    m_state.name = std::string(trimmed(rest));
    return true;
}

bool Reader::startLine(std::string_view rest)
{
    bool relative = false;
    if (startsWith(rest, kRelativeStart)) {
        relative = true;
        rest.remove_prefix(kRelativeStart.size());
    }
    const std::optional<std::int32_t> startOfDay = parseTimeOfDay(rest);
    if (!startOfDay) {
        return false;
    }
    // A START always follows its own "Nr." line; one that does not would
    // have to borrow a name.
    closeOpenRun();
    if (!m_state.name) {
        return false;
    }
    m_state.open = Open{Run{std::move(*m_state.name), std::string(rest), {}, std::nullopt},
                        relative, *startOfDay};
    m_state.name.reset();
    const Run& run = m_state.open->run;
    m_runsByStart[startKey(run.startOfDay, run.name)].push_back(m_runs.size());
    return true;
}

bool Reader::lapLine(std::string_view rest)
{
    const std::size_t gap = rest.rfind(kFieldGap);
    if (gap == std::string_view::npos || !isLapNumber(rest.substr(gap + kFieldGap.size()))) {
        return false;
    }
    const std::string_view field = rest.substr(0, gap);
    const std::optional<RaceTime> raceTime = parseRaceTimeField(field);
    const std::optional<std::int32_t> timeOfDay = parseTimeOfDay(field);
    Open* open = m_state.open ? &*m_state.open : nullptr;
    if (!open || (!raceTime && !timeOfDay)) {
        return false;
    }
    // "14:05.03,07" is both a race time and a time of day; the lap type
    // may change in the settings during a run, so only such a text goes by
    // the run's START.
    const bool relative = raceTime && (!timeOfDay || open->relativeStart);
    open->run.lapsMs.push_back(relative ? raceTime->ms : sinceStart(open->startOfDay, *timeOfDay));
    return true;
}

bool Reader::stopLine(std::string_view rest)
{
    Open* open = m_state.open ? &*m_state.open : nullptr;
    if (!open) {
        return false;
    }
    std::optional<std::int32_t> ms;
    const std::size_t gap = rest.rfind(kFieldGap);
    if (gap == std::string_view::npos) {
        const std::optional<std::int32_t> timeOfDay = parseTimeOfDay(rest);
        if (timeOfDay) {
            ms = sinceStart(open->startOfDay, *timeOfDay);
        }
    } else if (const std::optional<std::int32_t> stopOfDay =
                   parseTimeOfDay(rest.substr(gap + kFieldGap.size()))) {
        const std::optional<RaceTime> raceTime = parseRaceTimeField(rest.substr(0, gap));
        if (raceTime &&
            startsAt(*stopOfDay, raceTime->ms, raceTime->resolution, open->startOfDay)) {
            ms = raceTime->ms;
        }
    }
    if (!ms) {
        return false;
    }
    open->run.timeMs = ms;
    closeOpenRun();
    return true;
}

bool Reader::correctionLine(std::string_view text)
{
    std::optional<CorrectionLines::Parsed> parsed = CorrectionLines::parse(text);
    if (!parsed) {
        return false;
    }
    const auto found = m_runsByStart.find(startKey(parsed->startOfDay, parsed->competitor));
    if (found == m_runsByStart.end() || found->second.size() != 1) {
        return false;
    }
    m_corrections.push_back(RunCorrection{found->second.front(), std::move(parsed->correction)});
    return true;
}

const Run& Reader::runAt(std::size_t index) const
{
    return index < m_runs.size() ? m_runs[index] : m_state.open->run;
}

void Reader::closeOpenRun()
{
    if (m_state.open) {
        m_runs.push_back(std::move(m_state.open->run));
        m_state.open.reset();
    }
}

Protocol read(const std::vector<std::string>& lines)
{
    Reader reader;
    for (const std::string& text : lines) {
        reader.line(text);
    }
    return reader.protocol();
}

namespace {

std::vector<Entry> rankRuns(const std::vector<Run>& runs, const Run* open)
{
    // Competitors in the order they first appear; the index keeps a protocol
    // with many names from a quadratic search.
    std::vector<Entry> entries;
    std::unordered_map<std::string_view, std::size_t> byName;
    const auto add = [&](const Run& run) {
        const auto [found, added] = byName.try_emplace(run.name, entries.size());
        if (added) {
            entries.push_back(Entry{0, run.name, 0, std::nullopt, std::nullopt, std::nullopt});
        }
        Entry& entry = entries[found->second];
        if (run.finished()) {
            ++entry.finishedRuns;
            entry.lastMs = run.timeMs;
            entry.bestMs = std::min(entry.bestMs.value_or(*run.timeMs), *run.timeMs);
        }
    };
    for (const Run& run : runs) {
        add(run);
    }
    if (open) {
        add(*open);
    }

    // Stable, so equal times and the unranked keep their order of appearance.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.bestMs && b.bestMs) {
            return *a.bestMs < *b.bestMs;
        }
        return a.bestMs.has_value() && !b.bestMs.has_value();
    });
    for (std::size_t i = 0; i < entries.size() && entries[i].bestMs; ++i) {
        Entry& entry = entries[i];
        const bool tied = i > 0 && entries[i - 1].bestMs == entry.bestMs;
        entry.place = tied ? entries[i - 1].place : static_cast<int>(i) + 1;
        entry.gapMs = *entry.bestMs - *entries.front().bestMs;
    }
    return entries;
}

} // namespace

std::vector<Entry> rank(const Protocol& protocol)
{
    return rankRuns(protocol.runs, nullptr);
}

std::vector<Entry> rank(const Reader& reader)
{
    return rankRuns(reader.closedRuns(), reader.openRun());
}

std::string formatTime(std::int32_t ms, int resolution)
{
    return TimeBase::FormatRaceTime(ms, resolution);
}

std::string formatGap(std::int32_t ms, int resolution)
{
    // Not "+" + text: g++ 12 at -O3 warns falsely of an overlapping copy in
    // that operator (-Wrestrict), and warnings are errors here.
    std::string text = formatTime(ms, resolution);
    text.insert(text.begin(), '+');
    return text;
}

} // namespace Results
