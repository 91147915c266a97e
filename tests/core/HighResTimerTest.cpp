#include "core/THighResTimer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Scripted hardware: sleeping moves both counters at their true rates, so a
// calibration has an exact answer and takes no real time.
struct FakeHardware
{
    bool hasTsc = true;
    std::int64_t performanceHz = 3579545;
    std::int64_t tscHz = 2400000000;
    std::int64_t tsc = 1000;
    std::int64_t performance = 50;
    std::vector<std::string> log;
    std::vector<std::pair<pid_t, TThreadPriority>> priorities;

    HighResPlatform platform()
    {
        HighResPlatform p;
        p.tsc = CounterSource{[](void* c) {
                                  auto* h = static_cast<FakeHardware*>(c);
                                  h->log.push_back("tsc");
                                  return h->tsc;
                              },
                              this};
        p.performance = CounterSource{[](void* c) {
                                          auto* h = static_cast<FakeHardware*>(c);
                                          h->log.push_back("perf");
                                          return h->performance;
                                      },
                                      this};
        p.performanceFrequency = [this] { return performanceHz; };
        p.cpuHasTsc = [this] { return hasTsc; };
        p.sleep = [this](std::uint32_t ms) {
            log.push_back("sleep " + std::to_string(ms));
            tsc += tscHz / 1000 * ms;
            performance += performanceHz * ms / 1000;
        };
        p.saveCallerPriority = [this] {
            log.push_back("save");
            return SavedPriority{};
        };
        p.raiseCallerToRealtime = [this] { log.push_back("raise"); };
        p.restoreCallerPriority = [this](const SavedPriority&) { log.push_back("restore"); };
        p.setThreadPriority = [this](pid_t tid, TThreadPriority prio) {
            priorities.emplace_back(tid, prio);
        };
        return p;
    }
};

using Log = std::vector<std::string>;
const Log kCalibration = {"save",       "raise", "sleep 10", "tsc",    "perf",
                          "sleep 3000", "tsc",   "perf",     "restore"};

} // namespace

TEST(CoreHighResTimer, WithoutTscThePerformanceCounterIsUsedWithoutWaiting)
{
    FakeHardware hw;
    hw.hasTsc = false;
    THighResTimer timer(hw.platform());
    EXPECT_TRUE(hw.log.empty());
    EXPECT_FALSE(timer.TSC());
    EXPECT_FALSE(timer.UseTSC());
    EXPECT_DOUBLE_EQ(timer.CountSpeed(), 3.579545);

    timer.setUseTSC(true);
    EXPECT_FALSE(timer.UseTSC());
    hw.performance = 777;
    hw.log.clear();
    EXPECT_EQ(timer.ReadCounter(), 777);
    EXPECT_EQ(hw.log, (Log{"perf"}));

    EXPECT_EQ(timer.Accuracy(), 0u);
    EXPECT_EQ(timer.MinAccuracy(), 1u);
    EXPECT_EQ(timer.Resolution(), 1u);
    EXPECT_EQ(timer.ThreadClass(), TThreadClass::tcNormal);
    EXPECT_EQ(timer.ThreadPriority(), TThreadPriority::tpNormal);
    EXPECT_FALSE(timer.Enabled());
}

TEST(CoreHighResTimer, TscIsCalibratedAgainstThePerformanceCounter)
{
    FakeHardware hw;
    THighResTimer timer(hw.platform());
    EXPECT_EQ(hw.log, kCalibration);
    EXPECT_TRUE(timer.TSC());
    EXPECT_TRUE(timer.UseTSC());
    EXPECT_NEAR(timer.CountSpeed(), 2400.0, 1e-6);
    hw.tsc = 123456789;
    EXPECT_EQ(timer.ReadCounter(), 123456789);

    hw.log.clear();
    timer.setUseTSC(true); // unchanged: no new calibration
    EXPECT_TRUE(hw.log.empty());

    timer.setUseTSC(false); // recalibrates at once, without waiting
    EXPECT_TRUE(hw.log.empty());
    EXPECT_DOUBLE_EQ(timer.CountSpeed(), 3.579545);
    hw.performance = 42;
    EXPECT_EQ(timer.read(), 42);
    EXPECT_DOUBLE_EQ(timer.countSpeed(), 3.579545);

    hw.tscHz = 1000000000;
    timer.setUseTSC(true);
    EXPECT_EQ(hw.log.size(), kCalibration.size() + 1); // + the read above
    EXPECT_NEAR(timer.CountSpeed(), 1000.0, 1e-6);
}

TEST(CoreHighResTimer, UseTscCannotChangeUnderARunningWorker)
{
    FakeHardware hw;
    THighResTimer timer(hw.platform());
    // A period no test run reaches, so the worker never reads the counter.
    timer.setResolution(TMMTimerThread::kMaxPeriod);
    timer.setEnabled(true);
    ASSERT_NE(timer.Worker(), nullptr);
    hw.log.clear();
    timer.setUseTSC(false);
    EXPECT_TRUE(timer.UseTSC());
    EXPECT_EQ(hw.log, kCalibration);
    timer.setEnabled(false);
    EXPECT_EQ(timer.Worker(), nullptr);
}

TEST(CoreHighResTimer, ThreadPriorityActsOnTheRunningWorkerOnly)
{
    FakeHardware hw;
    hw.hasTsc = false;
    THighResTimer timer(hw.platform());
    timer.setResolution(TMMTimerThread::kMaxPeriod);
    timer.setThreadPriority(TThreadPriority::tpHigher);
    timer.setThreadClass(TThreadClass::tcHigh);
    EXPECT_TRUE(hw.priorities.empty());

    timer.setEnabled(true);
    ASSERT_EQ(hw.priorities.size(), 1u);
    EXPECT_EQ(hw.priorities[0].first, timer.Worker()->threadId());
    EXPECT_NE(hw.priorities[0].first, 0);
    EXPECT_EQ(hw.priorities[0].second, TThreadPriority::tpHigher);
    timer.setThreadPriority(TThreadPriority::tpTimeCritical);
    EXPECT_EQ(hw.priorities.size(), 2u);
    timer.setEnabled(false);

    timer.setThreadPriority(TThreadPriority::tpIdle);
    timer.setAccuracy(7);
    EXPECT_EQ(hw.priorities.size(), 2u);
    EXPECT_EQ(timer.ThreadPriority(), TThreadPriority::tpIdle);
    EXPECT_EQ(timer.ThreadClass(), TThreadClass::tcHigh);
    EXPECT_EQ(timer.Accuracy(), 7u);
}

TEST(CoreHighResTimer, DesignTimeEnabledStartsNoWorker)
{
    FakeHardware hw;
    hw.hasTsc = false;
    THighResTimer timer(hw.platform());
    timer.setDesigning(true);
    timer.setEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Worker(), nullptr);
    timer.setEnabled(false);
    EXPECT_FALSE(timer.Enabled());
}

TEST(CoreHighResTimer, RealReadersMoveForward)
{
    HighResPlatform real = HighResPlatform::system();
    real.cpuHasTsc = [] { return false; }; // skip the 3 s calibration
    THighResTimer timer(std::move(real));
    EXPECT_DOUBLE_EQ(timer.CountSpeed(), 1000.0);
    const std::int64_t a = timer.ReadCounter();
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const std::int64_t b = timer.ReadCounter();
    const std::int64_t clockNs = static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    EXPECT_LE(a, clockNs);
    EXPECT_LE(clockNs, b);

    const std::int64_t t0 = HighResSystem::readTsc(nullptr);
    const std::int64_t t1 = HighResSystem::readTsc(nullptr);
    EXPECT_LE(t0, t1);
#if defined(__x86_64__)
    EXPECT_TRUE(HighResSystem::cpuHasTsc());
#endif
}
