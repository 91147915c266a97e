#include "core/AutoResetEvent.h"

void AutoResetEvent::set()
{
    // Notifying under the lock lets a waiter destroy the event as soon as its
    // wait returns (a start-up handshake on the stack does exactly that).
    std::lock_guard lock(m_mutex);
    m_signalled = true;
    m_cond.notify_one();
}

void AutoResetEvent::reset()
{
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

void AutoResetEvent::wait()
{
    std::unique_lock lock(m_mutex);
    m_cond.wait(lock, [this] { return m_signalled; });
    m_signalled = false;
}

bool AutoResetEvent::waitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_cond.wait_for(lock, timeout, [this] { return m_signalled; })) {
        return false;
    }
    m_signalled = false;
    return true;
}
