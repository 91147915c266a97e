// Prints the cost of one ReadCounter for each reader and of one refresh of
// the running display (counter reading, CalcMS, split, colour rules) into a
// sink that does nothing, so the figure is the core's share of the 10 ms tick.
// Also the cost of scoring a club event, which the results list redoes on the
// window's thread after every change of the protocol.
#include "core/RaceControl.h"
#include "core/Scoring.h"
#include "core/SystemLocalClock.h"
#include "core/THighResTimer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

struct NullDisplay : IDigitDisplay
{
    void setDigitValue(DisplayControl, int value) override { benchmark::DoNotOptimize(value); }
    void setDigitColorOn(DisplayControl, TColor color) override { benchmark::DoNotOptimize(color); }
    void setDigitColorOff(DisplayControl, TColor) override {}
    void setDigitBackground(DisplayControl, TColor) override {}
    void setLabelFontColor(DisplayControl, TColor color) override
    {
        benchmark::DoNotOptimize(color);
    }
    void applyResolutionLayout(const ResolutionLayout&) override {}
};

struct NullView : IRaceView
{
    void setCommandEnabled(RaceCommand, bool) override {}
    void setCommandColor(RaceCommand, TColor) override {}
    void setCommandCaption(RaceCommand, const std::string&) override {}
    void focusCommand(RaceCommand) override {}
    void setConfigEnabled(bool) override {}
    void setModeIndicator(IndicatorLight, const std::string&) override {}
    void setSignalIndicator(IndicatorLight, const std::string&) override {}
    std::string startNumberText() const override { return "1"; }
    void setStartNumberText(const std::string&) override {}
    void stepStartNumber() override {}
};

struct NullProtocol : IProtocol
{
    int lineCount() const override { return 0; }
    std::string line(int) const override { return {}; }
    void appendLine(const std::string&) override {}
    void replaceLine(int, const std::string&) override {}
};

struct NullPort : IPortState
{
    int portNumber() const override { return 0; }
    bool isOpen() const override { return false; }
    std::uint32_t ModemStatus() override { return 0; }
    void autoModeRefused() override {}
};

struct NullTimer : ITimer
{
    bool enabled = false;
    void setEnabled(bool value) override { enabled = value; }
    bool isEnabled() const override { return enabled; }
    void setInterval(int) override {}
    int interval() const override { return 0; }
};

THighResTimer* g_tsc = nullptr;
THighResTimer* g_monotonic = nullptr;

void BM_ReadCounterRdtsc(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_tsc->ReadCounter());
    }
}
BENCHMARK(BM_ReadCounterRdtsc);

void BM_ReadCounterMonotonic(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_monotonic->ReadCounter());
    }
}
BENCHMARK(BM_ReadCounterMonotonic);

struct Race
{
    NullDisplay display;
    NullView view;
    NullProtocol protocol;
    NullPort port;
    NullTimer clock;
    NullTimer lockout;
    SystemLocalClock localClock;
    RaceControl race;

    explicit Race(ICounter& counter)
        : race(counter, localClock, display, view, protocol, port, clock, lockout)
    {
        race.mStartClick();
    }
};

// One `Clock` tick of a running race: reading, CalcMS, split, colour rules.
void BM_DisplayRefresh(benchmark::State& state)
{
    Race r(*g_monotonic);
    for (auto _ : state) {
        r.race.ClockTimer();
    }
}
BENCHMARK(BM_DisplayRefresh);

// The same without the reading: a race time of 1:02:03.04 shown on row one.
void BM_ShowRaceTimeOnly(benchmark::State& state)
{
    Race r(*g_monotonic);
    const std::int64_t ticks = std::int64_t{3723040} * 1000000;
    for (auto _ : state) {
        r.race.ShowRaceTime(ticks, DisplayRow::First);
    }
}
BENCHMARK(BM_ShowRaceTimeOnly);

// 2,000 entrants in ten classes, 4,000 runs typed as numbers and names, a
// correction for every tenth run.
void BM_ScoreEvent(benchmark::State& state)
{
    // Appended, not "text" + number: g++ 12 at -O3 warns falsely of an
    // overlapping copy in that operator (-Wrestrict).
    const auto text = [](const char* head, int number) {
        std::string joined(head);
        joined += std::to_string(number);
        return joined;
    };
    std::vector<EntryList::Entrant> entrants;
    for (int i = 1; i <= 2000; ++i) {
        entrants.push_back({i, text("Name ", i), text("K", i % 10), ""});
    }
    const EntryList::List entries(std::move(entrants));
    Results::Protocol protocol;
    for (int i = 0; i < 4000; ++i) {
        const std::string name = i % 7 == 0 ? text("Gast ", i % 300) : text("", i * 37 % 2000 + 1);
        protocol.runs.push_back(Results::Run{name, text("", i), {}, 30000 + i * 13 % 5000});
        if (i % 10 == 0) {
            protocol.corrections.push_back(
                {static_cast<std::size_t>(i), CorrectionLines::Correction::penalty(+1)});
        }
    }
    const Scoring::Rules rules{state.range(0) == 0 ? Scoring::Mode::BestTime : Scoring::Mode::Sum,
                               2, 2000};
    for (auto _ : state) {
        benchmark::DoNotOptimize(Scoring::score(protocol, entries, rules));
    }
}
BENCHMARK(BM_ScoreEvent)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // The real calibration: about 3 s on a processor with a time-stamp counter.
    auto tsc = std::make_unique<THighResTimer>();
    HighResPlatform noTsc = HighResPlatform::system();
    noTsc.cpuHasTsc = [] { return false; };
    auto monotonic = std::make_unique<THighResTimer>(std::move(noTsc));
    std::printf("TSC present: %s, calibrated CountSpeed %.3f ticks/us; monotonic %.3f ticks/us\n",
                tsc->TSC() ? "yes" : "no", tsc->CountSpeed(), monotonic->CountSpeed());
    g_tsc = tsc.get();
    g_monotonic = monotonic.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
