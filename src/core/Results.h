#pragma once

#include <cstdint>
#include <optional>
#include <string>
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
    std::vector<std::int32_t> lapsMs;   // race time of each lap in milliseconds
    std::optional<std::int32_t> timeMs; // race time at STOPP; empty while unfinished
    bool finished() const { return timeMs.has_value(); }
};

struct Protocol
{
    std::vector<Run> runs; // in protocol order
    int skippedLines = 0;  // lines that are not the program's own, never guessed
};

// Reads protocol lines (without line ends). Both lap types are understood:
// Relative (race times on the LAP and STOPP lines) and Absolute (times of
// day; a run's time is STOPP's minus START's, across midnight too), either
// mark ("H"/"A"), any resolution.
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

// The program's race-time text at `resolution` (2 = 1/100, 1 = 1/10, 0 = 1 s),
// as on the protocol lines: "12,34", "1:02.50,00"; a gap has a leading "+".
std::string formatTime(std::int32_t ms, int resolution);
std::string formatGap(std::int32_t ms, int resolution);

} // namespace Results
