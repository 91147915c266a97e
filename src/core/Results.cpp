#include "core/Results.h"

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

enum class LapType
{
    Relative,
    Absolute
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

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
std::optional<std::int32_t> parseRaceTime(std::string_view text)
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
    return ms;
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
std::optional<std::int32_t> parseRaceTimeField(std::string_view field)
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

struct OpenRun
{
    Run run;
    LapType lapType = LapType::Relative;
    std::int32_t startOfDay = 0;
};

class Reader
{
public:
    Protocol take()
    {
        closeOpenRun();
        return std::move(m_protocol);
    }

    void line(std::string_view text)
    {
        if (text.empty()) {
            return; // a reset and a START write these
        }
        if (startsWith(text, kNrPrefix)) {
            nrLine(text.substr(kNrPrefix.size()));
            return;
        }
        const bool marked = text.front() == 'H' || text.front() == 'A';
        const std::string_view body = marked ? text.substr(1) : std::string_view{};
        bool known = false;
        if (startsWith(body, kStartTag)) {
            known = startLine(body.substr(kStartTag.size()));
        } else if (startsWith(body, kLapTag)) {
            known = lapLine(body.substr(kLapTag.size()));
        } else if (startsWith(body, kStopTag)) {
            known = stopLine(body.substr(kStopTag.size()));
        }
        if (!known) {
            ++m_protocol.skippedLines;
        }
    }

private:
    void nrLine(std::string_view rest)
    {
        // An empty name leaves "     Nr.: "; an editor may have cut the blank.
        if (!rest.empty() && rest.front() != ' ') {
            ++m_protocol.skippedLines;
            return;
        }
        closeOpenRun();
        m_name = std::string(trimmed(rest));
    }

    bool startLine(std::string_view rest)
    {
        LapType lapType = LapType::Absolute;
        if (startsWith(rest, kRelativeStart)) {
            lapType = LapType::Relative;
            rest.remove_prefix(kRelativeStart.size());
        }
        const std::optional<std::int32_t> startOfDay = parseTimeOfDay(rest);
        if (!startOfDay) {
            return false;
        }
        // A START always follows its own "Nr." line; one that does not would
        // have to borrow a name.
        closeOpenRun();
        if (!m_name) {
            return false;
        }
        m_open = OpenRun{Run{std::move(*m_name), {}, std::nullopt}, lapType, *startOfDay};
        m_name.reset();
        return true;
    }

    bool lapLine(std::string_view rest)
    {
        const std::size_t gap = rest.rfind(kFieldGap);
        if (gap == std::string_view::npos || !isLapNumber(rest.substr(gap + kFieldGap.size()))) {
            return false;
        }
        const std::string_view field = rest.substr(0, gap);
        const std::optional<std::int32_t> raceTime = parseRaceTimeField(field);
        const std::optional<std::int32_t> timeOfDay = parseTimeOfDay(field);
        if (!m_open || (!raceTime && !timeOfDay)) {
            return false;
        }
        // "14:05.03,07" is both a race time and a time of day; the lap type
        // may change in the settings during a run, so only such a text goes by
        // the run's START.
        const bool relative = raceTime && (!timeOfDay || m_open->lapType == LapType::Relative);
        m_open->run.lapsMs.push_back(relative ? *raceTime
                                              : sinceStart(m_open->startOfDay, *timeOfDay));
        return true;
    }

    bool stopLine(std::string_view rest)
    {
        std::optional<std::int32_t> ms;
        const std::size_t gap = rest.rfind(kFieldGap);
        if (gap == std::string_view::npos) {
            const std::optional<std::int32_t> timeOfDay = parseTimeOfDay(rest);
            if (timeOfDay && m_open) {
                ms = sinceStart(m_open->startOfDay, *timeOfDay);
            }
        } else if (parseTimeOfDay(rest.substr(gap + kFieldGap.size()))) {
            ms = parseRaceTimeField(rest.substr(0, gap));
        }
        if (!ms || !m_open) {
            return false;
        }
        m_open->run.timeMs = ms;
        closeOpenRun();
        return true;
    }

    void closeOpenRun()
    {
        if (m_open) {
            m_protocol.runs.push_back(std::move(m_open->run));
            m_open.reset();
        }
    }

    Protocol m_protocol;
    std::optional<std::string> m_name; // of a "Nr." line still waiting for its START
    std::optional<OpenRun> m_open;
};

} // namespace

Protocol read(const std::vector<std::string>& lines)
{
    Reader reader;
    for (const std::string& text : lines) {
        reader.line(text);
    }
    return reader.take();
}

std::vector<Entry> rank(const Protocol& protocol)
{
    // Competitors in the order they first appear; the index keeps a protocol
    // with many names from a quadratic search.
    std::vector<Entry> entries;
    std::unordered_map<std::string_view, std::size_t> byName;
    for (const Run& run : protocol.runs) {
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
