#pragma once

#include "comm/ISerialDevice.h"
#include "comm/LineEdges.h"

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <pthread.h>

// A serial line on Linux: a tty opened exclusively, configured with termios,
// watched with TIOCMIWAIT and counted with TIOCGICOUNT.
//
// The wait sleeps in the kernel. TIOCMIWAIT cannot be woken through a file
// descriptor, so wake() interrupts it with a signal (wakeSignal(), installed
// once with a handler that does nothing and without SA_RESTART, so the ioctl
// returns EINTR). A signal that lands between the waiter's last check and its
// entry into the ioctl is lost, so wake() repeats it until the waiter has
// confirmed. Drivers without TIOCMIWAIT, and waits for data-stream events that
// TIOCMIWAIT does not cover, fall back to looking at the line every 1 ms.
//
// TIOCMIWAIT compares with the counters as they are when the kernel enters
// it, not with our last look: an edge in between (a bouncing contact makes
// them) would leave the wait asleep until the next edge, however late. So
// after every activity a thread timer sends the same signal 1, 2, 4 ... 128 ms
// into the wait, and each time the line is looked at again; once it has been
// quiet that long the wait sleeps without a time-out.
class LinuxSerialDevice final : public ISerialDevice
{
public:
    // SIGRTMAX - 3: far from the low real-time signals that timers and
    // libraries tend to take.
    static int wakeSignal();

    LinuxSerialDevice();
    ~LinuxSerialDevice() override;
    LinuxSerialDevice(const LinuxSerialDevice&) = delete;
    LinuxSerialDevice& operator=(const LinuxSerialDevice&) = delete;

    void open(const QString& path, const LineSettings& settings) override;
    void close() override;
    std::uint32_t modemStatus() override;
    std::int32_t inputCount() override;
    void setEventMask(std::uint32_t mask) override;
    WaitResult waitEvents(const Clock& clock) override;
    void wake() override;
    void endWatch() override;

    int fd() const { return m_fd; }

private:
    enum class Block
    {
        Kernel,   // TIOCMIWAIT until a watched modem line moves
        Sampling, // look at the line every millisecond
        Idle      // nothing to watch: sleep until woken
    };

    // 0 or an errno value that means the device is gone.
    int takeSample(LineSample& sample);
    int readCounters(LineSample& sample);
    // 0 when the line may have moved, else errno (EINTR when interrupted).
    int blockOnce();
    WaitResult leaveWait(WaitResult result);
    void armSettleCheck();
    void dropSettleTimer();

    int m_fd = -1;
    bool m_dtrRaised = false;

    // Event thread state, set up by setEventMask before the thread starts.
    std::uint32_t m_mask = 0;
    unsigned long m_kernelMask = 0;
    Block m_block = Block::Idle;
    bool m_countersValid = true;
    LineSample m_last;
    bool m_haveTimer = false;
    timer_t m_settleTimer{};
    static constexpr long kLongestSettleMs = 128;
    long m_settleMs = 1;

    std::atomic<bool> m_wakePending{false};
    std::atomic<bool> m_inWait{false};
    std::atomic<pthread_t> m_waiter{};
    std::mutex m_ackMutex;
    std::condition_variable m_ackCv;
};
