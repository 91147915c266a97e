#include "FakeSerialDevice.h"

#include <chrono>
#include <sched.h>

void FakeLine::push(std::vector<ComEdge> edges, std::int64_t ticks)
{
    WaitResult result;
    result.kind = WaitResult::Kind::Events;
    result.edges = std::move(edges);
    result.ticks = ticks;
    {
        std::lock_guard lock(mutex);
        script.push_back(std::move(result));
    }
    changed.notify_all();
}

void FakeLine::fail(const QString& error)
{
    WaitResult result;
    result.kind = WaitResult::Kind::Failed;
    result.error = error;
    {
        std::lock_guard lock(mutex);
        script.push_back(std::move(result));
    }
    changed.notify_all();
}

bool FakeLine::awaitWaits(int n)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(20), [&] { return waits >= n; });
}

int FakeLine::waitCount()
{
    std::lock_guard lock(mutex);
    return waits;
}

void FakeSerialDevice::open(const QString& path, const LineSettings& settings)
{
    std::lock_guard lock(m_line->mutex);
    m_line->path = path;
    m_line->settings = settings;
    if (m_line->openError)
        m_line->openError();
    ++m_line->opens;
    m_open = true;
}

void FakeSerialDevice::close()
{
    std::lock_guard lock(m_line->mutex);
    if (m_open)
        ++m_line->closes;
    m_open = false;
}

std::uint32_t FakeSerialDevice::modemStatus()
{
    std::lock_guard lock(m_line->mutex);
    return m_line->status;
}

std::int32_t FakeSerialDevice::inputCount()
{
    std::lock_guard lock(m_line->mutex);
    return m_line->inQue;
}

void FakeSerialDevice::setEventMask(std::uint32_t mask)
{
    std::lock_guard lock(m_line->mutex);
    m_line->mask = mask;
}

WaitResult FakeSerialDevice::waitEvents(const Clock&)
{
    std::unique_lock lock(m_line->mutex);
    ++m_line->waits;
    m_line->waitPolicy = sched_getscheduler(0);
    m_line->changed.notify_all();
    m_line->changed.wait(lock, [&] { return m_line->woken || !m_line->script.empty(); });
    if (!m_line->script.empty()) {
        WaitResult next = std::move(m_line->script.front());
        m_line->script.pop_front();
        return next;
    }
    m_line->woken = false;
    return WaitResult{};
}

void FakeSerialDevice::wake()
{
    {
        std::lock_guard lock(m_line->mutex);
        m_line->woken = true;
    }
    m_line->changed.notify_all();
}
