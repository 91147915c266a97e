#pragma once

#include "core/AutoResetEvent.h"
#include "core/HighResPlatform.h"
#include "core/WakeEvent.h"

#include <atomic>
#include <cstdint>
#include <shared_mutex>
#include <sys/types.h>
#include <thread>

// The periodic worker of the high-resolution counter: a periodic timer wakes
// it, it samples the counter, publishes the sample in LastCount and sets
// TickEvent.
//
// The timer accepts periods of 1..1000000 ms only. With a period outside that
// range the worker runs without a timer and never ticks, but it still waits
// on its wake-up descriptor, so Terminate() ends it at once instead of
// leaving the caller of setEnabled(false) blocked for good. A new period or
// accuracy also wakes the worker, so a valid period set later takes effect
// immediately rather than after a tick that would never come.
class TMMTimerThread
{
public:
    static constexpr std::uint32_t kMinPeriod = 1;
    static constexpr std::uint32_t kMaxPeriod = 1000000;

    // Created idle; Resume() starts the thread.
    explicit TMMTimerThread(CounterSource reader);
    ~TMMTimerThread();
    TMMTimerThread(const TMMTimerThread&) = delete;
    TMMTimerThread& operator=(const TMMTimerThread&) = delete;

    // Both setters raise the change flag; the worker restarts its timer.
    void setAccuracy(std::uint32_t milliseconds);
    void setPeriod(std::uint32_t milliseconds);
    std::uint32_t accuracy() const { return m_accuracy.load(); }
    std::uint32_t period() const { return m_period.load(); }

    void Resume();
    void Terminate();
    // Returns when the thread has ended.
    void WaitFor();

    std::int64_t LastCount() const;
    AutoResetEvent& TickEvent() { return m_tickEvent; }

    // Kernel id of the running thread, for priority changes.
    pid_t threadId() const { return m_threadId.load(); }
    // Whether the current period started a timer, and how often one was started.
    bool timerRunning() const { return m_timerRunning.load(); }
    int timerStarts() const { return m_timerStarts.load(); }

private:
    void run(AutoResetEvent& started);
    void startTimer(int timerFd);

    const CounterSource m_reader;
    std::atomic<std::uint32_t> m_accuracy{0};
    std::atomic<std::uint32_t> m_period{1};
    std::atomic<bool> m_changed{true};
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_timerRunning{false};
    std::atomic<int> m_timerStarts{0};
    std::atomic<pid_t> m_threadId{0};

    mutable std::shared_mutex m_lastCountLock;
    std::int64_t m_lastCount = 0;
    AutoResetEvent m_tickEvent;

    WakeEvent m_wake;
    std::thread m_thread;
};
