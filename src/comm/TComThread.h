#pragma once

#include "comm/ISerialDevice.h"
#include "core/WakeEvent.h"

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

// The event thread of an open port. It waits for the line events of its mask,
// reads the counter the moment a wait completes, and hands the events one by
// one to the port's thread: the next hand-over is made only after the port has
// run the handlers of the previous one (dispatchDone).
//
// While a hand-over is pending the thread keeps watching the line, so an edge
// that comes while the window is busy is still timed when it happens; it is
// handed over in turn. When the device fails, the events already seen are
// handed over first, then the failure, and the thread ends.
//
// Hand-overs go through a mailbox under this object's mutex; notifyFd()
// becomes readable when there is something to take. Nothing but that file
// descriptor crosses over to the receiving event loop, so a port that closes
// with a hand-over still pending just drops it with the mailbox.
class TComThread
{
public:
    struct Handover
    {
        std::optional<ComEvent> event;
        std::optional<QString> lost;
    };

    TComThread(ISerialDevice& device, std::uint32_t eventMask, ISerialDevice::Clock clock);
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Selects the events on the device and starts the thread.
    void start();
    // Abandons any pending hand-over, wakes the wait and returns once the
    // thread has ended. Safe to call more than once.
    void stop();

    std::uint32_t EventMask() const { return m_eventMask; }

    // Whether event threads started from now on ask for real-time scheduling
    // (they do unless told otherwise); lets a measurement compare both.
    static void setRealtimeWanted(bool wanted);

    // For the receiving thread: readable while a hand-over waits.
    int notifyFd() const { return m_notify.fd(); }
    // Takes what is in the mailbox and clears the notification.
    Handover take();
    // The handlers of the last event have run; the thread may hand over the next.
    void dispatchDone();

private:
    void run();

    ISerialDevice& m_device;
    const std::uint32_t m_eventMask;
    const ISerialDevice::Clock m_clock;
    WakeEvent m_notify;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_stop = false;
    bool m_done = false;
    Handover m_mailbox;

    std::thread m_thread;
};
