#include "core/THighResTimer.h"

#include <utility>

THighResTimer::THighResTimer(HighResPlatform platform) : m_platform(std::move(platform))
{
    // Linux behaves like the NT family here: 1 ms timers are available.
    m_minAccuracy = 1;
    m_accuracy = 0;
    m_minResolution = TMMTimerThread::kMinPeriod;
    m_resolution = m_minAccuracy;
    m_threadClass = TThreadClass::tcNormal;
    m_threadPriority = TThreadPriority::tpNormal;
    m_enabled = false;
    m_tsc = false;
    m_useTsc = false;
    if (m_platform.cpuHasTsc()) {
        m_tsc = true;
        m_useTsc = true;
    }
    selectReader();
    Calibrate(kCalibrationWaitMs);
}

THighResTimer::~THighResTimer()
{
    setEnabled(false);
}

void THighResTimer::selectReader()
{
    m_reader = m_useTsc ? m_platform.tsc : m_platform.performance;
}

void THighResTimer::Calibrate(std::uint32_t waitMilliseconds)
{
    m_countSpeed = static_cast<double>(m_platform.performanceFrequency()) / 1000000.0;
    if (!m_useTsc) {
        return;
    }
    const SavedPriority saved = m_platform.saveCallerPriority();
    m_platform.raiseCallerToRealtime();
    m_platform.sleep(10);
    // The time-stamp counter is read directly, whatever reader is selected.
    const std::int64_t t0 = m_platform.tsc();
    const std::int64_t q0 = m_platform.performance();
    m_platform.sleep(waitMilliseconds);
    const std::int64_t t1 = m_platform.tsc();
    const std::int64_t q1 = m_platform.performance();
    m_platform.restoreCallerPriority(saved);

    const double elapsedUs = static_cast<double>(q1 - q0) / m_countSpeed;
    // A performance counter that did not move would give an infinite rate;
    // the frequency-based value is the better guess then.
    if (elapsedUs > 0.0) {
        m_countSpeed = static_cast<double>(t1 - t0) / elapsedUs;
    }
}

void THighResTimer::setUseTSC(bool value)
{
    if (value == m_useTsc) {
        return;
    }
    if (!m_tsc) {
        m_useTsc = false;
    } else if (!m_enabled) {
        m_useTsc = value;
        selectReader();
    }
    // Otherwise a running worker keeps the reader it was given, and so does
    // UseTSC; the rate is measured again all the same.
    Calibrate(kCalibrationWaitMs);
}

void THighResTimer::setAccuracy(std::uint32_t value)
{
    m_accuracy = value;
    if (m_worker) {
        m_worker->setAccuracy(value);
    }
}

void THighResTimer::setResolution(std::uint32_t value)
{
    m_resolution = value;
    if (m_worker) {
        m_worker->setPeriod(value);
    }
}

void THighResTimer::setThreadPriority(TThreadPriority value)
{
    m_threadPriority = value;
    if (m_worker) {
        m_platform.setThreadPriority(m_worker->threadId(), value);
    }
}

// Priority classes belong to processes; changing the whole program's class
// for the sake of one worker would be a surprise, so the value is only kept.
void THighResTimer::setThreadClass(TThreadClass value)
{
    m_threadClass = value;
}

void THighResTimer::setEnabled(bool value)
{
    if (value == m_enabled) {
        return;
    }
    m_enabled = value;
    if (value) {
        if (m_designing) {
            return;
        }
        m_worker = std::make_unique<TMMTimerThread>(m_reader);
        m_worker->setAccuracy(m_accuracy);
        m_worker->setPeriod(m_resolution);
        m_worker->Resume();
        // A priority chosen before enabling is meant for this worker too.
        if (m_threadPriority != TThreadPriority::tpNormal) {
            m_platform.setThreadPriority(m_worker->threadId(), m_threadPriority);
        }
        return;
    }
    if (m_worker) {
        m_worker->Terminate();
        m_worker->WaitFor();
        m_worker.reset();
    }
}
