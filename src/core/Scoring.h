// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/CorrectionLines.h"
#include "core/EntryList.h"
#include "core/Results.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The results of a club event: the runs read from the protocol with the
// operator's corrections applied, the competitors in groups by class, and
// each group ranked by the event's rules. Plain C++ and quick enough for the
// window's thread: linear in runs and corrections, n log n in competitors.
//
// Without an entry list and correction lines, in mode BestTime, the one
// group holds exactly what Results::rank gives: the same competitors, order,
// places and times.
namespace Scoring {

enum class Mode
{
    BestTime, // "Bestzeit": the best valid run
    Sum,      // "Summe": the sum of the first Rules::runsCounted valid runs
};

constexpr int kMaxRunsCounted = 9;

struct Rules
{
    Mode mode = Mode::BestTime;
    int runsCounted = 2;           // for Mode::Sum; held to 1..kMaxRunsCounted
    std::int32_t penaltyMs = 2000; // added per penalty unit; below 0 counts as 0
};

// One run of a competitor, corrections applied.
struct RunScore
{
    std::size_t run = 0;               // index into the protocol's runs
    std::string name;                  // its "Nr." text, which correction lines name
    std::string startOfDay;            // its START time of day, which they name too
    std::optional<std::int32_t> rawMs; // race time at STOPP; empty while unfinished
    int penaltyUnits = 0;
    std::int64_t penaltyMs = 0;
    CorrectionLines::RunStatus status = CorrectionLines::RunStatus::Rated;
    bool struck = false;
    std::optional<std::int64_t> timeMs; // raw time plus penalty, of a finished run
    // Finished, "gewertet" and not struck: only such a run has a time in the
    // ranking; the others keep theirs for showing.
    bool valid = false;
    bool counted = false; // the best run (BestTime), or one of the summed ones (Sum)
};

struct Competitor
{
    // One per competitor: an entrant's number ("12", however it was typed:
    // "012" is the same competitor), otherwise the Nr./Name text as typed,
    // trimmed. A reassigned run belongs to the text it was assigned to.
    std::string text;
    std::optional<EntryList::Entrant> entrant; // when `text` is an entrant's number
    std::vector<RunScore> runs;                // in protocol order
    int validRuns = 0;
    // BestTime: the best valid time. Sum: the sum of the first runsCounted
    // valid runs, or of all of them when there are fewer. Penalties included;
    // empty without a valid run.
    std::optional<std::int64_t> scoreMs;
    // To the group's leader; only beside one who counts as many runs (in
    // mode Sum, a competitor short of runs has none).
    std::optional<std::int64_t> gapMs;
    std::optional<std::int64_t> lastMs; // latest finished run, valid or not, with its penalty
    int place = 0;                      // in its group, 1-based, shared when equal; 0 = unranked
};

// The competitors of one class, ranked: by score (BestTime), or (Sum) first
// those with all runsCounted runs by sum, then those with fewer by number of
// runs (more first) and sum. Equal ones share a place (1, 1, 3); the order
// among them, and of the unranked after them, is their first run's in the
// protocol; entrants without runs come last, in entry-list order.
struct Group
{
    std::string title; // the class; "" for competitors without one
    std::vector<Competitor> competitors;
};

// A competitor's place among all groups together, for a view of all classes.
struct OverallPlace
{
    std::size_t group = 0;      // index into Table::groups
    std::size_t competitor = 0; // index into that group's competitors
    int place = 0;              // 0 = unranked
    std::optional<std::int64_t> gapMs;
};

struct Table
{
    // The classes in their order of first appearance in the entry list, then
    // the competitors without a class (title ""), if there are any. Without
    // an entry list, one group "" with every competitor.
    std::vector<Group> groups;
    std::vector<OverallPlace> overall; // every competitor, ranked as one group
    int skippedLines = 0;
};

// Every competitor with a run, and every entrant of `entries` (empty: no
// entry list). Corrections naming a run index beyond the runs are passed
// over.
Table score(const Results::Protocol& protocol, const EntryList::List& entries, const Rules& rules);
// The same of what a reader has read so far, without copying its runs.
Table score(const Results::Reader& reader, const EntryList::List& entries, const Rules& rules);

} // namespace Scoring

namespace Results {

// The results as they are handed to the windows that show them: the classic
// ranking, and the event's table with its rules and whether scoring is in
// use at all (an entry list, a correction line, or the sum of runs).
struct Ranking
{
    std::vector<Entry> entries;
    int skippedLines = 0;
    Scoring::Table table;
    Scoring::Rules rules;
    bool scoring = false;
};

} // namespace Results
