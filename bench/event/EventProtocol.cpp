// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the protocol of a large event as the program saves it, for trying
// the program at event size: heats in which every competitor has one run,
// each run a "Nr." line, START, its laps, STOPP and the empty line that reset
// leaves, in the Relative lap type. The lines come from the race control's
// own formatting, so the file reads back exactly as a saved race day would.
// Race days run from 9:00 to 19:00 and follow one another until the file
// reaches its size; every time of day is its START plus the race time shown.
//
// Usage: bench_event_protocol OUT [--competitors N] [--megabytes MB] [--seed S]
// Prints the competitors, runs, laps, lines and bytes written.
#include "core/ProtocolLines.h"
#include "core/SystemTime.h"
#include "core/TimeBase.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>

namespace {

constexpr int kLapType = 0; // Relative: laps carry the race time
constexpr std::int64_t kDayMs = 24 * 3600 * 1000;
constexpr std::int64_t kFirstStart = 9 * 3600 * 1000;
constexpr std::int64_t kLastStart = 19 * 3600 * 1000;

struct Options
{
    const char* out = nullptr;
    int competitors = 2000;
    double megabytes = 10.0;
    unsigned seed = 1;
};

int usage()
{
    std::fputs("usage: bench_event_protocol OUT [--competitors N] [--megabytes MB] [--seed S]\n",
               stderr);
    return 2;
}

std::optional<Options> parse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--competitors") == 0 && hasValue) {
            o.competitors = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--megabytes") == 0 && hasValue) {
            o.megabytes = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--seed") == 0 && hasValue) {
            o.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (argv[i][0] != '-' && o.out == nullptr) {
            o.out = argv[i];
        } else {
            return std::nullopt;
        }
    }
    if (o.out == nullptr || o.competitors < 1 || o.megabytes <= 0)
        return std::nullopt;
    return o;
}

// A time of day from milliseconds since the first race day's midnight.
std::string timeOfDay(std::int64_t ms)
{
    const std::int64_t inDay = ms % kDayMs;
    TSystemTime t;
    t.hour = static_cast<std::uint16_t>(inDay / 3600000);
    t.minute = static_cast<std::uint16_t>(inDay / 60000 % 60);
    t.second = static_cast<std::uint16_t>(inDay / 1000 % 60);
    t.milliseconds = static_cast<std::uint16_t>(inDay % 1000);
    return TimeBase::FormatTimeOfDay(t);
}

std::string raceTime(std::int64_t ms)
{
    return TimeBase::FormatRaceTime(static_cast<std::int32_t>(ms), 2);
}

class Writer
{
public:
    explicit Writer(std::FILE* file) : m_file(file) {}

    // Every line, the last empty one included, ends in CR LF, as the text
    // area's "\n" does once written to disk. Only ASCII is written, which is
    // the same in Windows-1252.
    void line(const std::string& text)
    {
        std::fwrite(text.data(), 1, text.size(), m_file);
        std::fwrite("\r\n", 1, 2, m_file);
        m_bytes += text.size() + 2;
        ++m_lines;
    }
    void line(const std::optional<std::string>& text) { line(text.value_or(std::string())); }

    std::uint64_t bytes() const { return m_bytes; }
    std::uint64_t lines() const { return m_lines; }

private:
    std::FILE* m_file;
    std::uint64_t m_bytes = 0;
    std::uint64_t m_lines = 0;
};

} // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = parse(argc, argv);
    if (!options)
        return usage();
    std::FILE* file = std::fopen(options->out, "wb");
    if (file == nullptr) {
        std::perror(options->out);
        return 1;
    }

    std::mt19937 random(options->seed);
    const auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto target = static_cast<std::uint64_t>(options->megabytes * 1024 * 1024);

    Writer out(file);
    // Times are kept in whole hundredths, as the protocol shows them, so a
    // STOPP's time of day is exactly its START's plus the race time.
    std::int64_t clock = kFirstStart;
    std::uint64_t runs = 0;
    std::uint64_t laps = 0;
    int heats = 0;
    while (out.bytes() < target) {
        ++heats;
        for (int nr = 1; nr <= options->competitors && out.bytes() < target; ++nr) {
            if (clock % kDayMs > kLastStart)
                clock += kDayMs - clock % kDayMs + kFirstStart;
            // A barrier times about two runs in three; the rest go by hand.
            const bool barrier = between(0, 2) != 0;
            out.line(ProtocolLines::nrLine(std::to_string(nr)));
            out.line(ProtocolLines::startLine(kLapType, barrier, timeOfDay(clock)));
            const int lapCount = between(2, 12);
            std::int64_t elapsed = 0;
            for (int lap = 1; lap <= lapCount; ++lap) {
                elapsed += 10 * between(3800, 9500);
                out.line(ProtocolLines::lapLine(kLapType, barrier, raceTime(elapsed),
                                                timeOfDay(clock + elapsed), lap));
            }
            elapsed += 10 * between(3800, 9500);
            out.line(ProtocolLines::stopLine(kLapType, barrier, raceTime(elapsed),
                                             timeOfDay(clock + elapsed)));
            out.line(std::string());
            clock += elapsed + 10 * between(1500, 9000);
            ++runs;
            laps += static_cast<std::uint64_t>(lapCount);
        }
    }
    if (std::fclose(file) != 0) {
        std::perror(options->out);
        return 1;
    }
    std::printf("competitors %d heats %d runs %llu laps %llu lines %llu bytes %llu days %lld\n",
                std::min<int>(options->competitors, static_cast<int>(runs)), heats,
                static_cast<unsigned long long>(runs), static_cast<unsigned long long>(laps),
                static_cast<unsigned long long>(out.lines()),
                static_cast<unsigned long long>(out.bytes()),
                static_cast<long long>(clock / kDayMs + 1));
    return 0;
}
