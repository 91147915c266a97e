#include "core/TMMTimerThread.h"

#include <cerrno>
#include <mutex>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

// Should the wake-up descriptor be missing, the wait is bounded instead, so
// termination is still noticed.
constexpr int kFallbackWaitMs = 50;

} // namespace

TMMTimerThread::TMMTimerThread(CounterSource reader) : m_reader(reader) {}

TMMTimerThread::~TMMTimerThread()
{
    Terminate();
    WaitFor();
}

void TMMTimerThread::setAccuracy(std::uint32_t milliseconds)
{
    m_accuracy.store(milliseconds);
    m_changed.store(true);
    m_wake.raise();
}

void TMMTimerThread::setPeriod(std::uint32_t milliseconds)
{
    m_period.store(milliseconds);
    m_changed.store(true);
    m_wake.raise();
}

void TMMTimerThread::Resume()
{
    if (m_thread.joinable()) {
        return;
    }
    AutoResetEvent started;
    m_thread = std::thread([this, &started] { run(started); });
    // The thread id is wanted for priority changes right after the start, and
    // the first timer should be known to run (or not) when Resume returns.
    started.wait();
}

void TMMTimerThread::Terminate()
{
    m_terminated.store(true);
    m_wake.raise();
}

void TMMTimerThread::WaitFor()
{
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::int64_t TMMTimerThread::LastCount() const
{
    std::shared_lock lock(m_lastCountLock);
    return m_lastCount;
}

void TMMTimerThread::startTimer(int timerFd)
{
    const std::uint32_t period = m_period.load();
    const std::uint32_t accuracy = m_accuracy.load();
    m_timerStarts.fetch_add(1);

    // The accuracy becomes the thread's timer slack: 0 asks for the tightest
    // wake-ups the kernel gives (a slack of 0 would mean "default").
    const unsigned long slackNs = accuracy == 0 ? 1UL : accuracy * 1000000UL;
    prctl(PR_SET_TIMERSLACK, slackNs, 0, 0, 0);

    itimerspec spec{};
    const bool valid = timerFd >= 0 && period >= kMinPeriod && period <= kMaxPeriod;
    if (valid) {
        spec.it_interval.tv_sec = static_cast<time_t>(period / 1000);
        spec.it_interval.tv_nsec = static_cast<long>(period % 1000) * 1000000L;
        spec.it_value = spec.it_interval;
    }
    // An all-zero spec stops a timer armed for a previous period.
    if (timerFd >= 0) {
        timerfd_settime(timerFd, 0, &spec, nullptr);
    }
    m_timerRunning.store(valid);
}

void TMMTimerThread::run(AutoResetEvent& started)
{
    m_threadId.store(gettid());
    const int timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    m_changed.store(false);
    startTimer(timerFd);
    started.set();

    while (!m_terminated.load()) {
        if (m_changed.exchange(false)) {
            startTimer(timerFd);
        }

        pollfd fds[2] = {{m_wake.fd(), POLLIN, 0}, {timerFd, POLLIN, 0}};
        const int timeout = m_wake.fd() >= 0 ? -1 : kFallbackWaitMs;
        const int ready = poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents & POLLIN) {
            m_wake.clear();
        }
        if (!(fds[1].revents & POLLIN)) {
            continue;
        }
        std::uint64_t expirations = 0;
        if (read(timerFd, &expirations, sizeof expirations) != sizeof expirations) {
            continue;
        }

        const std::int64_t count = m_reader();
        {
            std::unique_lock lock(m_lastCountLock);
            m_lastCount = count;
        }
        m_tickEvent.set();
    }

    m_timerRunning.store(false);
    if (timerFd >= 0) {
        close(timerFd);
    }
}
