#include "core/THighResTimer.h"
#include "core/TMMTimerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

using namespace std::chrono_literals;

namespace {

// Generous: these wait for ticks of a few milliseconds on a shared machine.
constexpr auto kTickTimeout = 5000ms;

std::atomic<std::int64_t> g_samples{0};

CounterSource countingReader()
{
    return CounterSource{[](void*) { return g_samples.fetch_add(1) + 1; }, nullptr};
}

HighResPlatform countingPlatform()
{
    HighResPlatform p = HighResPlatform::system();
    p.cpuHasTsc = [] { return false; };
    p.performance = countingReader();
    return p;
}

} // namespace

TEST(CoreMMTimer, EnabledWorkerSamplesTheCounterEveryTick)
{
    THighResTimer timer(countingPlatform());
    timer.setResolution(2);
    timer.setEnabled(true);
    TMMTimerThread* worker = timer.Worker();
    ASSERT_NE(worker, nullptr);
    EXPECT_TRUE(worker->timerRunning());

    ASSERT_TRUE(worker->TickEvent().waitFor(kTickTimeout));
    const std::int64_t first = worker->LastCount();
    ASSERT_TRUE(worker->TickEvent().waitFor(kTickTimeout));
    ASSERT_TRUE(worker->TickEvent().waitFor(kTickTimeout));
    EXPECT_GT(worker->LastCount(), first);

    timer.setEnabled(false);
    EXPECT_EQ(timer.Worker(), nullptr);
    timer.setResolution(5);
    EXPECT_EQ(timer.Resolution(), 5u);
}

TEST(CoreMMTimer, NewPeriodRestartsTheTimerOnce)
{
    TMMTimerThread worker(countingReader());
    worker.setPeriod(1);
    worker.Resume();
    ASSERT_TRUE(worker.TickEvent().waitFor(kTickTimeout));
    const int starts = worker.timerStarts();

    worker.setAccuracy(1);
    worker.setPeriod(3);
    // Both changes land before or at one restart, which the next tick follows.
    ASSERT_TRUE(worker.TickEvent().waitFor(kTickTimeout));
    ASSERT_TRUE(worker.TickEvent().waitFor(kTickTimeout));
    EXPECT_GE(worker.timerStarts(), starts + 1);
    EXPECT_LE(worker.timerStarts(), starts + 2);
    EXPECT_EQ(worker.period(), 3u);
    worker.Terminate();
    worker.WaitFor();
    EXPECT_FALSE(worker.timerRunning());
}

TEST(CoreMMTimer, PeriodOutsideTheDeviceRangeNeverHangsTheStop)
{
    for (std::uint32_t period : {0u, TMMTimerThread::kMaxPeriod + 1}) {
        THighResTimer timer(countingPlatform());
        timer.setResolution(period);
        timer.setEnabled(true);
        TMMTimerThread* worker = timer.Worker();
        ASSERT_NE(worker, nullptr);
        EXPECT_FALSE(worker->timerRunning());

        // A valid period set afterwards takes effect without waiting for a tick.
        timer.setResolution(1);
        ASSERT_TRUE(worker->TickEvent().waitFor(kTickTimeout)) << period;
        EXPECT_TRUE(worker->timerRunning());

        timer.setResolution(period);
        const auto before = std::chrono::steady_clock::now();
        timer.setEnabled(false);
        EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    }
}

TEST(CoreMMTimer, LongPeriodStopsAtOnce)
{
    THighResTimer timer(countingPlatform());
    timer.setResolution(TMMTimerThread::kMaxPeriod);
    timer.setEnabled(true);
    ASSERT_TRUE(timer.Worker()->timerRunning());
    const auto before = std::chrono::steady_clock::now();
    timer.setEnabled(false);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
}

TEST(CoreMMTimer, AutoResetEventReleasesOneWaitPerSet)
{
    AutoResetEvent event;
    event.set();
    event.set(); // not counted: the event is simply signalled
    EXPECT_TRUE(event.waitFor(0ms));
    EXPECT_FALSE(event.waitFor(0ms));
    event.set();
    event.reset();
    EXPECT_FALSE(event.waitFor(0ms));
}
