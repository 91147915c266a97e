#pragma once

#include "core/CorrectionLines.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Results read back out of the protocol: the runs as the program wrote them,
// and the ranking of the competitors by their best finished run. Plain C++,
// so the rules test without a window; texts are UTF-8.
namespace Results {

// One run: a "Nr." line, its START line, its LAP lines and, once finished,
// its STOPP line.
struct Run
{
    std::string name;                   // the Nr./Name text of the "Nr." line, trimmed
    std::string startOfDay;             // the time of day on its START line: "10:15.03,25"
    std::vector<std::int32_t> lapsMs;   // race time of each lap in milliseconds
    std::optional<std::int32_t> timeMs; // race time at STOPP; empty while unfinished
    bool finished() const { return timeMs.has_value(); }
};

// A correction line (see CorrectionLines) and the one run it names.
struct RunCorrection
{
    std::size_t run = 0; // index into Protocol::runs
    CorrectionLines::Correction correction;
};

struct Protocol
{
    std::vector<Run> runs;                  // in protocol order
    int skippedLines = 0;                   // lines that are not the program's own, never guessed
    std::vector<RunCorrection> corrections; // in protocol order
};

// Reads protocol lines (without line ends). Both lap types are understood:
// Relative (race times on the LAP and STOPP lines) and Absolute (times of
// day; a run's time is STOPP's minus START's, across midnight too), either
// mark ("H"/"A"), any resolution.
//
// A STOPP line belongs to the open run only if its time of day less its race
// time is that run's START time of day, allowing for the cut-off digits of
// both texts and for the two clocks drifting apart by up to 1 ms a second; a
// protocol loaded while a race ran would otherwise lend its unfinished last
// run the running race's time. An Absolute STOPP has only its time of day,
// which fits any START, so it ends the open run as before.
//
// A correction line names its run by the run's name and START time of day;
// it is applied to the one run read so far (the open one included) that
// both match. A line naming no run, or more than one (a protocol edited by
// hand), counts as skipped and is never applied to another run. Correction
// lines leave the open run and a "Nr." line waiting for its START alone.
// The runs themselves stay as written: the corrections are a list of their
// own, which the scoring applies.
class Reader
{
public:
    Reader();

    void line(std::string_view text);
    std::size_t linesRead() const { return m_linesRead; }
    // Forgets the lines from `index` on, going back to the last point it
    // remembers at or before it; returns the index of the line to read next.
    std::size_t rewind(std::size_t index);

    int skippedLines() const { return m_state.skipped; }
    // The runs before the open one, and the open one (unfinished), if any.
    const std::vector<Run>& closedRuns() const { return m_runs; }
    const Run* openRun() const { return m_state.open ? &m_state.open->run : nullptr; }
    // The correction lines that named a run, in protocol order. A run index
    // counts closedRuns() and then the open run, which keeps its index when
    // it is closed.
    const std::vector<RunCorrection>& corrections() const { return m_corrections; }
    Protocol protocol() const;

private:
    struct Open
    {
        Run run;
        bool relativeStart = true;
        std::int32_t startOfDay = 0;
    };
    struct State
    {
        std::optional<std::string> name; // of a "Nr." line still waiting for its START
        std::optional<Open> open;
        int skipped = 0;
    };
    struct Checkpoint
    {
        std::size_t line = 0;
        std::size_t runs = 0;
        std::size_t corrections = 0;
        State state;
    };

    bool nrLine(std::string_view rest);
    bool startLine(std::string_view rest);
    bool lapLine(std::string_view rest);
    bool stopLine(std::string_view rest);
    bool correctionLine(std::string_view text);
    void closeOpenRun();
    std::size_t runCount() const { return m_runs.size() + (m_state.open ? 1 : 0); }
    const Run& runAt(std::size_t index) const;

    std::vector<Run> m_runs;
    std::vector<RunCorrection> m_corrections;
    // The indices of the runs of each start of day and name, in protocol
    // order, so that a correction line finds its run without a search.
    std::unordered_map<std::string, std::vector<std::size_t>> m_runsByStart;
    State m_state;
    std::size_t m_linesRead = 0;
    std::vector<Checkpoint> m_checkpoints;
};

Protocol read(const std::vector<std::string>& lines);

// One competitor of the ranking.
struct Entry
{
    int place = 0;                      // 1-based, shared by equal times; 0 = unranked
    std::string name;                   // as on the "Nr." line, trimmed
    int finishedRuns = 0;               // "Läufe"
    std::optional<std::int32_t> bestMs; // "Bestzeit"
    std::optional<std::int32_t> gapMs;  // "Rückstand" to the leader (0 for the leader)
    std::optional<std::int32_t> lastMs; // "Letzte Zeit": the latest finished run
};

// One entry per competitor, ranked by the best finished run; equal times share
// a place (1, 1, 3); competitors without a finished run follow, unranked, in
// the order they first appear.
std::vector<Entry> rank(const Protocol& protocol);
// The same, of what a reader has read so far, without copying its runs.
std::vector<Entry> rank(const Reader& reader);

// The program's race-time text at `resolution` (2 = 1/100, 1 = 1/10, 0 = 1 s),
// as on the protocol lines: "12,34", "1:02.50,00"; a gap has a leading "+".
std::string formatTime(std::int32_t ms, int resolution);
std::string formatGap(std::int32_t ms, int resolution);

} // namespace Results
