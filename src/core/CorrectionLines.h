// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The operator's corrections of a finished or running run: penalties, the run
// status, striking a run out and handing it to another competitor. Each is
// appended to the protocol as one line of its own,
//
//     *  Wertung: <op>  Start <startOfDay>  Nr.: <competitor>
//
// naming the run by the time of day of its START line (as written there,
// "10:15.03,25") and its Nr./Name text (as the reader has it, trimmed). The
// competitor comes last, so it may hold any characters; the only text inside
// <op>, the target of "zugeordnet", is quoted with inner quotes doubled. No
// other line of the program begins with "*", so the protocol stays readable
// by an older reader, which skips these lines.
namespace CorrectionLines {

// A run's status; the latest correction wins. "gewertet" is the normal one.
enum class RunStatus
{
    Rated,        // "gewertet"
    Retired,      // "Ausfall"
    Disqualified, // "Disqualifiziert"
    NotStarted,   // "Nicht gestartet"
};

enum class Op
{
    PenaltyAdd,    // "Strafe +1": one more penalty unit
    PenaltyRemove, // "Strafe -1": one fewer; the total never goes below 0
    Status,        // sets `Correction::status`
    Strike,        // "gestrichen": the run no longer counts
    Unstrike,      // "nicht gestrichen"
    Assign,        // "zugeordnet \"<target>\"": the run now belongs to `target`
};

struct Correction
{
    Op op = Op::PenaltyAdd;
    RunStatus status = RunStatus::Rated; // for Op::Status only
    std::string target;                  // for Op::Assign only: a competitor text, trimmed

    static Correction penalty(int delta)
    {
        return {delta < 0 ? Op::PenaltyRemove : Op::PenaltyAdd, RunStatus::Rated, {}};
    }
    static Correction setStatus(RunStatus status) { return {Op::Status, status, {}}; }
    static Correction strike(bool struck)
    {
        return {struck ? Op::Strike : Op::Unstrike, RunStatus::Rated, {}};
    }
    static Correction assign(std::string target)
    {
        return {Op::Assign, RunStatus::Rated, std::move(target)};
    }

    friend bool operator==(const Correction&, const Correction&) = default;
};

// The status as the windows name it: "gewertet", "Ausfall", ...
const char* statusText(RunStatus status);

// The line for `correction` of the run started at `startOfDay` (Run::startOfDay)
// under the name `competitor` (Run::name; blanks around it are dropped).
// Nothing when a text cannot stand on one line: a line break anywhere, a
// start of day that is empty or holds a blank, or an Assign whose target is
// empty once trimmed.
std::optional<std::string> line(const Correction& correction, std::string_view startOfDay,
                                std::string_view competitor);

// A correction line read back; texts trimmed as the reader compares them.
struct Parsed
{
    Correction correction;
    std::string startOfDay;
    std::string competitor;
};

// Nothing unless `text` is a whole correction line as `line` writes it; a
// line whose trailing blanks an editor dropped still reads.
std::optional<Parsed> parse(std::string_view text);

} // namespace CorrectionLines
