#include "comm/TComThread.h"

#include "comm/RealtimeScheduling.h"

#include <atomic>
#include <deque>

namespace {
// Edges waiting for their hand-over. A window stuck long enough to fill this
// has lost the race anyway; beyond it only the newest status is kept.
constexpr std::size_t kMaxQueued = 65536;

std::atomic<bool> realtimeWanted{true};
} // namespace

void TComThread::setRealtimeWanted(bool wanted)
{
    realtimeWanted.store(wanted);
}

TComThread::TComThread(ISerialDevice& device, std::uint32_t eventMask, ISerialDevice::Clock clock)
    : m_device(device), m_eventMask(eventMask), m_clock(std::move(clock))
{
}

TComThread::~TComThread()
{
    stop();
}

void TComThread::start()
{
    m_device.setEventMask(m_eventMask);
    m_thread = std::thread(&TComThread::run, this);
}

void TComThread::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_mailbox = {};
    }
    m_cv.notify_all();
    if (m_thread.joinable()) {
        m_device.wake();
        m_thread.join();
    }
}

TComThread::Handover TComThread::take()
{
    m_notify.clear();
    std::lock_guard lock(m_mutex);
    Handover taken = std::move(m_mailbox);
    m_mailbox = {};
    return taken;
}

void TComThread::dispatchDone()
{
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_cv.notify_all();
    m_device.wake();
}

void TComThread::run()
{
    // The thread sleeps nearly all the time, and when it wakes it takes an
    // edge's time: let it go first on a busy machine, ahead of the window's
    // thread even when that one keeps every core busy.
    if (realtimeWanted.load())
        RealtimeScheduling::raiseCurrentThread();
    else
        RealtimeScheduling::favourCurrentThread();
    std::deque<ComEvent> queue;
    bool inFlight = false;
    bool dead = false;
    QString reason;

    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            if (dead && inFlight)
                m_cv.wait(lock, [this] { return m_stop || m_done; });
            if (m_stop)
                break;
            if (m_done) {
                m_done = false;
                inFlight = false;
            }
            if (!inFlight && !queue.empty()) {
                m_mailbox.event = queue.front();
                queue.pop_front();
                inFlight = true;
                m_notify.raise();
                continue;
            }
            if (dead) {
                m_mailbox.lost = reason;
                m_notify.raise();
                break;
            }
        }

        WaitResult result = m_device.waitEvents(m_clock);
        if (result.kind == WaitResult::Kind::Failed) {
            dead = true;
            reason = result.error;
            continue;
        }
        for (const ComEdge& edge : result.edges) {
            if (queue.size() < kMaxQueued)
                queue.push_back(ComEvent{edge.mask, edge.status, result.ticks});
            else
                queue.back().status = edge.status;
        }
    }
    m_device.endWatch();
}
