#pragma once

#include "core/HighResPlatform.h"
#include "core/ICounter.h"
#include "core/TMMTimerThread.h"
#include "core/ThreadPriority.h"

#include <cstdint>
#include <memory>

// A fine-grained free-running counter and its rate. The counter is either the
// processor's time-stamp counter or the performance counter (the monotonic
// clock in nanoseconds); CountSpeed is kept in ticks per microsecond and is
// measured for the time-stamp counter, which blocks the constructor for about
// 3.01 s on a processor that has one.
//
// The component can also run a periodic sampling worker (Enabled).
class THighResTimer : public ICounter
{
public:
    static constexpr std::uint32_t kCalibrationWaitMs = 3000;

    explicit THighResTimer(HighResPlatform platform = HighResPlatform::system());
    ~THighResTimer() override;
    THighResTimer(const THighResTimer&) = delete;
    THighResTimer& operator=(const THighResTimer&) = delete;

    // The raw count of the selected reader, no conversion. Safe from any thread.
    std::int64_t ReadCounter() const { return m_reader(); }
    void Calibrate(std::uint32_t waitMilliseconds);

    std::uint32_t Accuracy() const { return m_accuracy; }
    void setAccuracy(std::uint32_t value);
    double CountSpeed() const { return m_countSpeed; }
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);
    std::uint32_t MinAccuracy() const { return m_minAccuracy; }
    std::uint32_t MinResolution() const { return m_minResolution; }
    std::uint32_t Resolution() const { return m_resolution; }
    void setResolution(std::uint32_t value);
    TThreadClass ThreadClass() const { return m_threadClass; }
    void setThreadClass(TThreadClass value);
    TThreadPriority ThreadPriority() const { return m_threadPriority; }
    void setThreadPriority(TThreadPriority value);
    bool TSC() const { return m_tsc; }
    bool UseTSC() const { return m_useTsc; }
    void setUseTSC(bool value);

    // While designing, Enabled is stored but no worker runs.
    void setDesigning(bool designing) { m_designing = designing; }

    // The running worker (LastCount, TickEvent), or nullptr.
    TMMTimerThread* Worker() const { return m_worker.get(); }

    std::int64_t read() override { return ReadCounter(); }
    double countSpeed() const override { return m_countSpeed; }

private:
    void selectReader();

    HighResPlatform m_platform;
    CounterSource m_reader;
    std::unique_ptr<TMMTimerThread> m_worker;

    std::uint32_t m_accuracy = 0;
    double m_countSpeed = 0.0;
    bool m_enabled = false;
    bool m_designing = false;
    std::uint32_t m_minAccuracy = 1;
    std::uint32_t m_minResolution = TMMTimerThread::kMinPeriod;
    std::uint32_t m_resolution = 1;
    TThreadClass m_threadClass = TThreadClass::tcNormal;
    TThreadPriority m_threadPriority = TThreadPriority::tpNormal;
    bool m_tsc = false;
    bool m_useTsc = false;
};
