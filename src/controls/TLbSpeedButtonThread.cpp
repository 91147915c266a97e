#include "controls/TLbSpeedButtonThread.h"

TLbButtonThread::TLbButtonThread(std::function<void()> step, QObject* parent)
    : QObject(parent), m_step(std::move(step))
{
}

TLbButtonThread::~TLbButtonThread()
{
    Terminate();
    wait();
}

void TLbButtonThread::start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

void TLbButtonThread::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

void TLbButtonThread::Resume()
{
    {
        std::lock_guard lock(m_mutex);
        m_suspended = false;
    }
    m_wake.notify_all();
}

void TLbButtonThread::Suspend()
{
    std::lock_guard lock(m_mutex);
    m_suspended = true;
}

bool TLbButtonThread::Suspended() const
{
    std::lock_guard lock(m_mutex);
    return m_suspended;
}

void TLbButtonThread::Terminate()
{
    {
        std::lock_guard lock(m_mutex);
        m_terminated = true;
    }
    m_wake.notify_all();
}

bool TLbButtonThread::WaitingForStep() const
{
    std::lock_guard lock(m_mutex);
    return m_stepPending;
}

void TLbButtonThread::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_terminated || !m_suspended; });
        if (m_terminated)
            return;
        if (m_wake.wait_for(lock, Period, [this] { return m_terminated; }))
            return;
        m_stepPending = true;
        const unsigned ticket = ++m_ticket;
        lock.unlock();
        QMetaObject::invokeMethod(
            this, [this, ticket] { runStep(ticket); }, Qt::QueuedConnection);
        lock.lock();
        m_wake.wait(lock, [this] { return m_terminated || !m_stepPending; });
        if (m_terminated)
            return;
    }
}

void TLbButtonThread::runStep(unsigned ticket)
{
    {
        std::lock_guard lock(m_mutex);
        // A step the loop no longer waits for (it was told to end) is void.
        if (m_terminated || !m_stepPending || ticket != m_ticket)
            return;
    }
    if (m_step)
        m_step();
    {
        std::lock_guard lock(m_mutex);
        m_stepPending = false;
    }
    m_wake.notify_all();
}
