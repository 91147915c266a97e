#include "core/Results.h"
#include "core/CorrectionLines.h"
#include "core/ProtocolLines.h"
#include "core/TimeBase.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using Results::Entry;
using Results::Protocol;
using Results::Run;

namespace {

constexpr int kRelative = 0;
constexpr int kAbsolute = 1;

// The lines of one run as the race control writes them.
struct RunLines
{
    int lapType = kRelative;
    std::vector<std::string> lines;

    RunLines(int type, const std::string& name, const std::string& startOfDay) : lapType(type)
    {
        lines.push_back(ProtocolLines::nrLine(name));
        lines.push_back(*ProtocolLines::startLine(lapType, false, startOfDay));
    }
    RunLines& lap(const std::string& raceTime, const std::string& timeOfDay, int counter)
    {
        lines.push_back(*ProtocolLines::lapLine(lapType, true, raceTime, timeOfDay, counter));
        return *this;
    }
    RunLines& stop(const std::string& raceTime, const std::string& timeOfDay)
    {
        lines.push_back(*ProtocolLines::stopLine(lapType, true, raceTime, timeOfDay));
        return *this;
    }
};

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The time of day `ms` after midnight, wrapped to one day.
std::string timeOfDay(std::int64_t ms)
{
    ms %= 24 * 3600 * 1000;
    TSystemTime time;
    time.hour = static_cast<std::uint16_t>(ms / 3600000);
    time.minute = static_cast<std::uint16_t>(ms / 60000 % 60);
    time.second = static_cast<std::uint16_t>(ms / 1000 % 60);
    time.milliseconds = static_cast<std::uint16_t>(ms % 1000);
    return TimeBase::FormatTimeOfDay(time);
}

std::vector<std::string> finishedRun(const std::string& name, std::int32_t ms)
{
    RunLines run(kRelative, name, "10:00.00,00");
    run.stop(TimeBase::FormatRaceTime(ms, 2), timeOfDay(10 * 3600000 + std::int64_t{ms}));
    run.lines.emplace_back();
    return run.lines;
}

std::vector<std::string> unfinishedRun(const std::string& name)
{
    return RunLines(kRelative, name, "10:00.00,00").lines;
}

// What a reader gone back and reading on has must be what a new one has.
void expectSameProtocol(const Protocol& again, const Protocol& whole)
{
    EXPECT_EQ(again.skippedLines, whole.skippedLines);
    ASSERT_EQ(again.runs.size(), whole.runs.size());
    for (std::size_t i = 0; i < whole.runs.size(); ++i) {
        EXPECT_EQ(again.runs[i].name, whole.runs[i].name);
        EXPECT_EQ(again.runs[i].startOfDay, whole.runs[i].startOfDay);
        EXPECT_EQ(again.runs[i].timeMs, whole.runs[i].timeMs);
        EXPECT_EQ(again.runs[i].lapsMs, whole.runs[i].lapsMs);
    }
    ASSERT_EQ(again.corrections.size(), whole.corrections.size());
    for (std::size_t i = 0; i < whole.corrections.size(); ++i) {
        EXPECT_EQ(again.corrections[i].run, whole.corrections[i].run);
        EXPECT_EQ(again.corrections[i].correction, whole.corrections[i].correction);
    }
}

} // namespace

TEST(CoreResults, EveryRaceTimeTextReadsBackAtEveryResolution)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::int32_t> anyTime(0, 100 * 3600 * 1000 - 1);
    std::vector<std::int32_t> values = {0,       9,       10,      999,      1000,
                                        9990,    59999,   60000,   65430,    600000,
                                        3599990, 3600000, 3723040, 36000000, 359999999};
    for (int i = 0; i < 3000; ++i) {
        values.push_back(anyTime(random) >> (i % 24)); // short times as often as long ones
    }
    for (const int resolution : {0, 1, 2}) {
        const std::int32_t step = resolution == 2 ? 10 : resolution == 1 ? 100 : 1000;
        for (const std::int32_t ms : values) {
            const std::string text = TimeBase::FormatRaceTime(ms, resolution);
            RunLines run(kRelative, "7", "9:00.00,00");
            run.lap(text, "9:01.00,00", 1).stop(text, timeOfDay(9 * 3600000 + std::int64_t{ms}));
            const Protocol protocol = Results::read(run.lines);
            ASSERT_EQ(protocol.skippedLines, 0) << text;
            ASSERT_EQ(protocol.runs.size(), 1u) << text;
            const std::int32_t shown = ms / step * step;
            EXPECT_EQ(protocol.runs[0].lapsMs, std::vector<std::int32_t>{shown}) << text;
            EXPECT_EQ(protocol.runs[0].timeMs, shown) << text;
        }
    }
}

TEST(CoreResults, AbsoluteRunsAreStopMinusStartAcrossMidnight)
{
    RunLines overMidnight(kAbsolute, "  Müller; Team \"A\"  ", "23:59.58,00");
    overMidnight.lap("", "0:00.01,50", 1).stop("", "0:00.03,25");
    // An 11-character time of day is also a race time; the run's START says
    // which it is.
    RunLines afternoon(kAbsolute, "12", "14:00.00,00");
    afternoon.lap("", "14:05.03,07", 1).stop("", "14:08.19,57");
    RunLines relative(kRelative, "13", "14:00.00,00");
    relative.lap("14:05.03,07", "0:00.00,00", 1).stop("14:08.19,57", "4:08.19,57");

    // The lap type can be changed in the settings while a run goes on.
    RunLines turnedAbsolute(kRelative, "14", "9:00.00,00");
    turnedAbsolute.lapType = kAbsolute;
    turnedAbsolute.lap("", "9:05.03,07", 1).stop("", "9:10.00,00");
    RunLines turnedRelative(kAbsolute, "15", "9:20.00,00");
    turnedRelative.lapType = kRelative;
    turnedRelative.stop("1.00,00", "9:21.00,00");

    const Protocol protocol =
        Results::read(join({overMidnight.lines, afternoon.lines, relative.lines,
                            turnedAbsolute.lines, turnedRelative.lines}));
    EXPECT_EQ(protocol.skippedLines, 0);
    ASSERT_EQ(protocol.runs.size(), 5u);
    EXPECT_EQ(protocol.runs[0].name, "Müller; Team \"A\"");
    EXPECT_EQ(protocol.runs[0].lapsMs, std::vector<std::int32_t>{3500});
    EXPECT_EQ(protocol.runs[0].timeMs, 5250);
    EXPECT_EQ(protocol.runs[1].lapsMs, std::vector<std::int32_t>{303070});
    EXPECT_EQ(protocol.runs[1].timeMs, 499570);
    EXPECT_EQ(protocol.runs[2].lapsMs, std::vector<std::int32_t>{50703070});
    EXPECT_EQ(protocol.runs[2].timeMs, 50899570);
    EXPECT_EQ(protocol.runs[3].lapsMs, std::vector<std::int32_t>{303070});
    EXPECT_EQ(protocol.runs[3].timeMs, 600000);
    EXPECT_EQ(protocol.runs[4].timeMs, 60000);
}

TEST(CoreResults, RunsEndWithoutStoppAsUnfinishedAndForeignLinesAreCounted)
{
    const std::vector<std::string> lines = {
        "",
        "H  Start: 00:00.00,00  9:00.00,00", // no "Nr." line before it
        "A    Lap:     1.05,43  1.",         // no START
        "     Nr.: 1",
        "Protokoll vom Sonntag", // foreign, but the run goes on
        "H  Start: 00:00.00,00  9:00.00,00",
        "A    Lap:     1.05,43  1.",
        "     Nr.: 2", // ends run 1 unfinished
        "H  Start: 9:10.00,00",
        "H  Start: 9:11.00,00",              // ends run 2 unfinished; has no name itself
        "A  Stopp:     3.16,50  9:14.00,00", // nothing open
        "     Nr.:",
        "H  Start: 00:00.00,00  9:20.00,00",
        "X  Stopp:     3.16,50  9:24.00,00",                      // unknown mark
        *ProtocolLines::stopLine(0, true, "05,00", "9:24.00,00"), // no such race time
        *ProtocolLines::stopLine(0, true, "5,00", "09:24.00,00"), // no such time of day
        *ProtocolLines::stopLine(0, true, "5,00", "24:00.00,00"), // nor this
        "A  Stopp:    3.16,50  9:24.00,00",                       // not the field's width
        "A    Lap:     1.05,43  0.",                              // laps count from 1
        "A  Stopp:     3.16,50  9:23.16,50",
        "A  Stopp:     3.16,50  9:23.16,50", // already stopped
        "     Nr.:3",
        "     Nr.: 4",
        "H  Start: 00:00.00,00  9:30.00,00",
    };
    const Protocol protocol = Results::read(lines);
    EXPECT_EQ(protocol.skippedLines, 13);
    ASSERT_EQ(protocol.runs.size(), 4u);
    EXPECT_EQ(protocol.runs[0].name, "1");
    EXPECT_EQ(protocol.runs[0].lapsMs, std::vector<std::int32_t>{65430});
    EXPECT_FALSE(protocol.runs[0].finished());
    EXPECT_EQ(protocol.runs[1].name, "2");
    EXPECT_FALSE(protocol.runs[1].finished());
    EXPECT_EQ(protocol.runs[2].name, "");
    EXPECT_EQ(protocol.runs[2].timeMs, 196500);
    EXPECT_EQ(protocol.runs[3].name, "4");
    EXPECT_FALSE(protocol.runs[3].finished());
}

// The race control cuts the race time to the resolution and the times of
// day to hundredths, so STOPP's time of day less its race time lies between
// START's and one step later; more drift is allowed the longer the run.
TEST(CoreResults, StoppBelongsOnlyToTheRunItsTimesStartAt)
{
    struct Case
    {
        const char* start;
        const char* race;
        const char* stop;
        bool belongs;
    };
    const Case cases[] = {
        {"10:00.00,00", "5,00", "10:00.05,00", true},
        {"10:00.00,00", "5,00", "10:00.05,01", true},
        {"10:00.00,00", "5,00", "10:00.05,02", false},
        {"10:00.00,00", "5,00", "10:00.04,99", false},
        {"10:00.00,00", "5,0", "10:00.05,10", true},
        {"10:00.00,00", "5,0", "10:00.05,11", false},
        {"10:00.00,00", "5", "10:00.06,00", true},
        {"10:00.00,00", "5", "10:00.06,01", false},
        {"23:59.58,00", "4,00", "0:00.02,01", true},
        {"0:00.01,00", "4,00", "23:59.57,00", false},
        {"10:00.00,00", "1:00.00,00", "11:00.03,60", true},
        {"10:00.00,00", "1:00.00,00", "11:00.03,62", false},
        {"10:00.00,00", "1:00.00,00", "10:59.56,40", true},
        {"10:00.00,00", "1:00.00,00", "10:59.56,39", false},
    };
    for (const Case& c : cases) {
        RunLines run(kRelative, "7", c.start);
        run.stop(c.race, c.stop);
        const Protocol protocol = Results::read(run.lines);
        SCOPED_TRACE(run.lines.back());
        EXPECT_EQ(protocol.skippedLines, c.belongs ? 0 : 1);
        ASSERT_EQ(protocol.runs.size(), 1u);
        EXPECT_EQ(protocol.runs[0].finished(), c.belongs);
    }

    // A protocol loaded while a race runs, its last run unfinished: the
    // running race's STOPP lands after it but was started at another time.
    // An Absolute STOPP carries no race time and ends the open run.
    RunLines loaded(kRelative, "Geladen", "9:00.00,00");
    RunLines absolute(kAbsolute, "Absolut", "9:10.00,00");
    absolute.stop("", "9:10.30,00");
    const Protocol protocol =
        Results::read(join({loaded.lines,
                            {*ProtocolLines::stopLine(kRelative, false, "5,00", "10:00.05,00")},
                            absolute.lines}));
    EXPECT_EQ(protocol.skippedLines, 1);
    ASSERT_EQ(protocol.runs.size(), 2u);
    EXPECT_FALSE(protocol.runs[0].finished());
    EXPECT_EQ(protocol.runs[1].timeMs, 30000);
}

// Going back to a line and reading on from there, with that line and the
// ones after it changed, gives what reading the changed lines from the top
// gives, wherever the change falls in a run.
TEST(CoreResults, ReaderGoneBackReadsLikeANewOne)
{
    std::vector<std::string> lines = {"Kopf"};
    for (int i = 0; i < 150; ++i) {
        const auto run = i % 7 == 3 ? unfinishedRun(std::to_string(i % 40))
                                    : finishedRun(std::to_string(i % 40), 20000 + i * 37 % 900);
        lines.insert(lines.end(), run.begin(), run.end());
    }
    std::mt19937 random(99);
    Results::Reader reader;
    for (const std::string& text : lines) {
        reader.line(text);
    }
    for (int round = 0; round < 60; ++round) {
        const auto at = static_cast<std::size_t>(random() % lines.size());
        std::vector<std::string> changed(lines.begin(), lines.begin() + static_cast<long>(at));
        const auto tail = finishedRun(std::to_string(round % 50), 19000 + round);
        changed.insert(changed.end(), tail.begin(), tail.end());
        changed.insert(changed.end(), lines.begin() + static_cast<long>(at) + round % 3,
                       lines.end());
        std::size_t next = reader.rewind(at);
        ASSERT_LE(next, at);
        for (; next < changed.size(); ++next) {
            reader.line(changed[next]);
        }
        const Protocol whole = Results::read(changed);
        expectSameProtocol(reader.protocol(), whole);
        EXPECT_EQ(Results::rank(reader).size(), Results::rank(whole).size());
        lines = changed;
    }
}

TEST(CoreResults, RankingSharesPlacesAndUnfinishedFollowInOrderOfAppearance)
{
    const Protocol protocol = Results::read(join({
        unfinishedRun("Nobody"),
        finishedRun("B", 12000),
        finishedRun("C", 11500),
        finishedRun("A", 12500),
        unfinishedRun("D"),
        finishedRun("A", 11500), // A ties with C, who came first
        finishedRun("C", 13000), // slower, but now C's last time
        unfinishedRun("B"),
        unfinishedRun("E"),
    }));
    const std::vector<Entry> entries = Results::rank(protocol);
    ASSERT_EQ(entries.size(), 6u);
    const auto expect = [&](std::size_t i, int place, const char* name, int runs,
                            std::optional<std::int32_t> best, std::optional<std::int32_t> gap,
                            std::optional<std::int32_t> last) {
        SCOPED_TRACE(name);
        EXPECT_EQ(entries[i].place, place);
        EXPECT_EQ(entries[i].name, name);
        EXPECT_EQ(entries[i].finishedRuns, runs);
        EXPECT_EQ(entries[i].bestMs, best);
        EXPECT_EQ(entries[i].gapMs, gap);
        EXPECT_EQ(entries[i].lastMs, last);
    };
    expect(0, 1, "C", 2, 11500, 0, 13000);
    expect(1, 1, "A", 2, 11500, 0, 11500);
    expect(2, 3, "B", 1, 12000, 500, 12000);
    expect(3, 0, "Nobody", 0, std::nullopt, std::nullopt, std::nullopt);
    expect(4, 0, "D", 0, std::nullopt, std::nullopt, std::nullopt);
    expect(5, 0, "E", 0, std::nullopt, std::nullopt, std::nullopt);

    // Enough equal times that an unstable sort would shuffle them.
    std::vector<std::vector<std::string>> tied;
    for (int i = 0; i < 40; ++i) {
        tied.push_back(finishedRun(std::to_string(i), 30000 + (i % 2) * 10));
    }
    std::vector<std::string> tiedLines;
    for (const auto& run : tied) {
        tiedLines.insert(tiedLines.end(), run.begin(), run.end());
    }
    const std::vector<Entry> field = Results::rank(Results::read(tiedLines));
    ASSERT_EQ(field.size(), 40u);
    for (std::size_t i = 0; i < field.size(); ++i) {
        const std::size_t half = i < 20 ? i * 2 : (i - 20) * 2 + 1;
        EXPECT_EQ(field[i].name, std::to_string(half));
        EXPECT_EQ(field[i].place, i < 20 ? 1 : 21);
    }

    EXPECT_EQ(Results::formatGap(530, 2), "+0,53");
    EXPECT_EQ(Results::formatGap(65430, 1), "+1.05,4");
    EXPECT_EQ(Results::formatTime(65430, 0), "1.05");
}

TEST(CoreResults, JunkGivesAPartialListInTime)
{
    std::mt19937 random(4711);
    std::vector<std::string> lines;
    std::string line;
    std::size_t bytes = 0;
    while (bytes < 4u << 20) {
        const auto byte = static_cast<char>(random() & 0xFF);
        if (byte == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line += byte;
        }
        ++bytes;
    }
    // Lines that nearly look like ours, and one good run in the middle.
    for (const char* nearly : {"H  Start: ", "A    Lap: ", "A  Stopp: ", "     Nr.: "}) {
        for (int i = 0; i < 1000; ++i) {
            lines.push_back(nearly + std::to_string(random()) + ",:.  " + std::to_string(i));
        }
    }
    const std::size_t junk = lines.size();
    const auto good = finishedRun("Gut", 2000000);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(junk / 2), good.begin(), good.end());
    // Many competitors, each with a run of its own.
    for (int i = 0; i < 100000; ++i) {
        const auto run = finishedRun(std::to_string(i), (100000 - i) * 10);
        lines.insert(lines.end(), run.begin(), run.end());
    }

    const Protocol protocol = Results::read(lines);
    EXPECT_GT(protocol.skippedLines, 15000);
    const std::vector<Entry> entries = Results::rank(protocol);
    ASSERT_EQ(entries.size(), 100001u);
    EXPECT_EQ(entries.front().name, "99999");
    EXPECT_EQ(entries.back().name, "Gut");
    EXPECT_EQ(entries.back().place, 100001);
}

namespace {

using CorrectionLines::Correction;

std::string correctionLine(const Correction& correction, const std::string& startOfDay,
                           const std::string& name)
{
    return *CorrectionLines::line(correction, startOfDay, name);
}

// A run finished `ms` after its start at `startMs` past midnight.
std::vector<std::string> runAt(const std::string& name, std::int64_t startMs, std::int32_t ms)
{
    RunLines run(kRelative, name, timeOfDay(startMs));
    run.stop(TimeBase::FormatRaceTime(ms, 2), timeOfDay(startMs + ms));
    return run.lines;
}

} // namespace

// A correction names its run by name and start; it must find that run among
// those read so far, the open one included, and never another.
TEST(CoreResults, CorrectionLinesNameExactlyOneRunOrAreSkipped)
{
    RunLines open(kRelative, "Offen \"X\"", "11:00.00,00");
    open.lines.push_back(correctionLine(Correction::penalty(+1), "11:00.00,00", "Offen \"X\""));
    open.lap("10,00", "11:00.10,00", 1).stop("20,00", "11:00.20,00");
    // Between a "Nr." line and its START the name must survive.
    std::vector<std::string> waiting = runAt("4", 14 * 3600000, 40000);
    waiting.insert(waiting.begin() + 1, correctionLine(Correction::penalty(-1), "9:00.00,00", "1"));
    const std::vector<std::string> lines = join({
        runAt("1", 9 * 3600000, 30000),
        runAt("2", 9 * 3600000 + 60000, 31000),
        runAt("2", 9 * 3600000 + 60000, 32000), // the same name and start: ambiguous
        {correctionLine(Correction::strike(true), "9:00.00,00", "1"),
         correctionLine(Correction::strike(true), "9:01.00,00", "2"),  // two runs
         correctionLine(Correction::strike(true), "9:00.00,00", "3"),  // no such run
         correctionLine(Correction::strike(true), "9:02.00,00", "1"),  // nor this
         correctionLine(Correction::strike(true), "14:00.00,00", "4"), // nor a later one
         correctionLine(Correction::assign("1"), "9:00.00,00", "1")},
        open.lines,
        waiting,
    });
    Results::Reader reader;
    for (const std::string& text : lines) {
        reader.line(text);
    }
    EXPECT_EQ(reader.skippedLines(), 4);
    const Protocol protocol = reader.protocol();
    ASSERT_EQ(protocol.runs.size(), 5u);
    EXPECT_EQ(protocol.runs[0].startOfDay, "9:00.00,00");
    EXPECT_EQ(protocol.runs[3].name, "Offen \"X\"");
    EXPECT_EQ(protocol.runs[3].lapsMs, std::vector<std::int32_t>{10000});
    EXPECT_EQ(protocol.runs[3].timeMs, 20000);
    EXPECT_EQ(protocol.runs[4].name, "4");
    EXPECT_EQ(protocol.runs[4].startOfDay, "14:00.00,00");
    ASSERT_EQ(protocol.corrections.size(), 4u);
    EXPECT_EQ(protocol.corrections[0].run, 0u);
    EXPECT_EQ(protocol.corrections[0].correction, Correction::strike(true));
    EXPECT_EQ(protocol.corrections[1].correction, Correction::assign("1"));
    EXPECT_EQ(protocol.corrections[2].run, 3u); // named while it was open
    EXPECT_EQ(protocol.corrections[3].correction, Correction::penalty(-1));

    // An Absolute START names its run by the same text.
    RunLines absolute(kAbsolute, "A", "8:00.00,00");
    absolute.lines.push_back(correctionLine(Correction::strike(true), "8:00.00,00", "A"));
    EXPECT_EQ(Results::read(absolute.lines).corrections.size(), 1u);
}

// The feed goes back after an edit of the last lines (the "Nr." line is
// rewritten at STOPP); corrections read before must go with the runs they
// named, and runs read again must not be taken for a second run of theirs.
TEST(CoreResults, ReaderGoneBackOverCorrectionsReadsLikeANewOne)
{
    std::mt19937 random(2024);
    // Nine names and a start a minute apart: a correction names a run now
    // and then, and now and then none.
    const auto startOf = [](int i) { return timeOfDay(8 * 3600000 + std::int64_t{i} * 61000); };
    const auto randomRun = [&](int i) {
        const std::string name = std::to_string(random() % 9);
        std::vector<std::string> lines = runAt(name, 8 * 3600000 + std::int64_t{i} * 61000, 20000);
        if (i % 3 == 0) { // corrected while open
            lines.insert(lines.begin() + 2,
                         correctionLine(Correction::penalty(+1), startOf(i), name));
        }
        const int earlier = static_cast<int>(random() % static_cast<unsigned>(i + 1));
        lines.push_back(correctionLine(Correction::strike(i % 2 == 0), startOf(earlier),
                                       std::to_string(random() % 9)));
        return lines;
    };
    std::vector<std::string> lines;
    for (int i = 0; i < 80; ++i) {
        const auto run = randomRun(i);
        lines.insert(lines.end(), run.begin(), run.end());
    }
    Results::Reader reader;
    for (const std::string& text : lines) {
        reader.line(text);
    }

    // The "Nr." line of the last run rewritten once it stopped.
    const std::size_t lastNr = lines.size() - 4;
    ASSERT_TRUE(lines[lastNr].starts_with("     Nr.:"));
    lines[lastNr] = ProtocolLines::nrLine("Nachgetragen");
    lines.push_back(correctionLine(Correction::penalty(+1), startOf(79), "Nachgetragen"));
    for (std::size_t next = reader.rewind(lastNr); next < lines.size(); ++next) {
        reader.line(lines[next]);
    }
    expectSameProtocol(reader.protocol(), Results::read(lines));
    EXPECT_EQ(reader.corrections().back().run, 79u);

    for (int round = 0; round < 40; ++round) {
        const auto at = static_cast<std::size_t>(random() % lines.size());
        std::vector<std::string> changed(lines.begin(), lines.begin() + static_cast<long>(at));
        const auto tail = randomRun(round + 80);
        changed.insert(changed.end(), tail.begin(), tail.end());
        changed.insert(changed.end(), lines.begin() + static_cast<long>(at) + round % 3,
                       lines.end());
        std::size_t next = reader.rewind(at);
        for (; next < changed.size(); ++next) {
            reader.line(changed[next]);
        }
        SCOPED_TRACE(round);
        expectSameProtocol(reader.protocol(), Results::read(changed));
        lines = changed;
    }
}
