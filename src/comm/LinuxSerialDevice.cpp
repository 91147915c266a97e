#include "comm/LinuxSerialDevice.h"
#include "comm/ComErrors.h"
#include "comm/LinuxLineSetup.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The kernel's "no such ioctl" code; some drivers let it through to user space.
constexpr int kNoIoctlCommand = 515;

bool notSupported(int error)
{
    return error == EINVAL || error == ENOTTY || error == kNoIoctlCommand;
}

void ignoreWake(int) {}

std::uint32_t windowsStatus(int tiocm)
{
    std::uint32_t status = 0;
    if (tiocm & TIOCM_CTS)
        status |= ModemBits::Cts;
    if (tiocm & TIOCM_DSR)
        status |= ModemBits::Dsr;
    if (tiocm & TIOCM_RNG)
        status |= ModemBits::Ring;
    if (tiocm & TIOCM_CD)
        status |= ModemBits::Rlsd;
    return status;
}

unsigned long kernelMask(std::uint32_t mask)
{
    unsigned long bits = 0;
    if (mask & ComMask::Cts)
        bits |= TIOCM_CTS;
    if (mask & ComMask::Dsr)
        bits |= TIOCM_DSR;
    if (mask & ComMask::Ring)
        bits |= TIOCM_RNG;
    if (mask & ComMask::Rlsd)
        bits |= TIOCM_CD;
    return bits;
}

int setLine(int fd, int bits, bool on)
{
    return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0 ? 0 : errno;
}

WaitResult failed(int error)
{
    WaitResult result;
    result.kind = WaitResult::Kind::Failed;
    result.error = SystemErrorText(error);
    return result;
}

} // namespace

int LinuxSerialDevice::wakeSignal()
{
    return SIGRTMAX - 3;
}

LinuxSerialDevice::LinuxSerialDevice()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action = {};
        action.sa_handler = ignoreWake;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the interrupted ioctl must return
        sigaction(wakeSignal(), &action, nullptr);
    });
}

LinuxSerialDevice::~LinuxSerialDevice()
{
    dropSettleTimer();
    close();
}

void LinuxSerialDevice::open(const QString& path, const LineSettings& settings)
{
    close();
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        throw EComHandle(QStringLiteral("Unable to open com port: ") + SystemErrorText(error),
                         error);
    }

    // Keeps other programs off the line. Not checked: a device that is no
    // terminal at all fails the line set-up next with a clearer reason.
    ioctl(fd, TIOCEXCL);
    int error = LinuxLineSetup::apply(fd, settings);
    if (error == 0)
        error = setLine(fd, TIOCM_DTR, settings.dtr);
    if (error == 0 && settings.flowControl != fcRtsCts)
        error = setLine(fd, TIOCM_RTS, false);
    if (error != 0) {
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        throw EComState(QStringLiteral("Unable to set com state: ") + SystemErrorText(error));
    }
    m_fd = fd;
    m_dtrRaised = settings.dtr;
}

void LinuxSerialDevice::close()
{
    if (m_fd < 0)
        return;
    // Drop DTR ourselves: with a line still open elsewhere the driver would
    // not, and a barrier must not look alive after we let go.
    if (m_dtrRaised)
        setLine(m_fd, TIOCM_DTR, false);
    // The exclusive flag outlives our descriptor while anyone else holds the
    // line, so hand it back.
    ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
    m_dtrRaised = false;
}

std::uint32_t LinuxSerialDevice::modemStatus()
{
    int bits = 0;
    if (m_fd < 0 || ioctl(m_fd, TIOCMGET, &bits) != 0)
        return 0;
    return windowsStatus(bits);
}

std::int32_t LinuxSerialDevice::inputCount()
{
    int count = 0;
    if (m_fd < 0 || ioctl(m_fd, FIONREAD, &count) != 0)
        return 0;
    return count;
}

void LinuxSerialDevice::setEventMask(std::uint32_t mask)
{
    m_mask = mask;
    m_kernelMask = kernelMask(mask);
    if ((mask & ~ComMask::ModemLines) != 0)
        m_block = Block::Sampling; // data-stream events: TIOCMIWAIT does not see them
    else if (m_kernelMask != 0)
        m_block = Block::Kernel;
    else
        m_block = Block::Idle;
    m_countersValid = true;
    m_last = LineSample{};
    LineSample start;
    if (takeSample(start) == 0)
        m_last = start;
}

int LinuxSerialDevice::readCounters(LineSample& sample)
{
    if (!m_countersValid)
        return 0;
    struct serial_icounter_struct counters = {};
    if (ioctl(m_fd, TIOCGICOUNT, &counters) != 0) {
        if (!notSupported(errno))
            return errno;
        m_countersValid = false;
        return 0;
    }
    sample.cts = static_cast<std::uint32_t>(counters.cts);
    sample.dsr = static_cast<std::uint32_t>(counters.dsr);
    sample.rng = static_cast<std::uint32_t>(counters.rng);
    sample.dcd = static_cast<std::uint32_t>(counters.dcd);
    sample.rx = static_cast<std::uint32_t>(counters.rx);
    sample.brk = static_cast<std::uint32_t>(counters.brk);
    sample.errors = static_cast<std::uint32_t>(counters.frame + counters.overrun + counters.parity +
                                               counters.buf_overrun);
    return 0;
}

int LinuxSerialDevice::takeSample(LineSample& sample)
{
    // Status and counters come from two ioctls. An edge between them would
    // pair a status with the wrong count, and the next look would take the
    // mismatch for an edge of its own. So the counters are read on both sides
    // of the status and the look is repeated until they agree.
    if (const int error = readCounters(sample))
        return error;
    for (int attempt = 0;; ++attempt) {
        int bits = 0;
        if (ioctl(m_fd, TIOCMGET, &bits) != 0) {
            if (!notSupported(errno))
                return errno;
            bits = 0;
        }
        sample.status = windowsStatus(bits);
        if (!m_countersValid)
            break;
        LineSample again = sample;
        if (const int error = readCounters(again))
            return error;
        const bool steady = again.cts == sample.cts && again.dsr == sample.dsr &&
                            again.rng == sample.rng && again.dcd == sample.dcd;
        sample = again;
        if (steady || attempt == 7)
            break;
    }

    int count = 0;
    if ((m_mask & (ComMask::RxChar | ComMask::RxFlag)) && ioctl(m_fd, FIONREAD, &count) == 0)
        sample.inQue = static_cast<std::uint32_t>(count);
    count = 0;
    if ((m_mask & ComMask::TxEmpty) && ioctl(m_fd, TIOCOUTQ, &count) == 0)
        sample.outQue = static_cast<std::uint32_t>(count);
    return 0;
}

int LinuxSerialDevice::blockOnce()
{
    switch (m_block) {
    case Block::Kernel:
        return ioctl(m_fd, TIOCMIWAIT, m_kernelMask) == 0 ? 0 : errno;
    case Block::Sampling: {
        const struct timespec pause = {0, 1'000'000};
        return nanosleep(&pause, nullptr) == 0 ? 0 : errno;
    }
    case Block::Idle: {
        const struct timespec pause = {1, 0};
        return nanosleep(&pause, nullptr) == 0 ? 0 : errno;
    }
    }
    return 0;
}

WaitResult LinuxSerialDevice::waitEvents(const Clock& clock)
{
    // Threads inherit the creator's signal mask; the wake signal must get
    // through to this one.
    thread_local bool unblocked = false;
    if (!unblocked) {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, wakeSignal());
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        unblocked = true;
    }
    m_waiter.store(pthread_self());
    m_inWait.store(true);

    auto reported = [this](std::vector<ComEdge> edges, std::int64_t ticks) {
        m_settleMs = 1; // activity: more edges may follow closely
        WaitResult result;
        result.kind = WaitResult::Kind::Events;
        result.ticks = ticks;
        result.edges = std::move(edges);
        return leaveWait(std::move(result));
    };

    for (;;) {
        // Edges since the last look, also those that came while nobody was
        // waiting, are counted before going to sleep again.
        LineSample now;
        if (const int error = takeSample(now))
            return leaveWait(failed(error));
        std::vector<ComEdge> edges = LineEdges::split(m_last, now, m_mask, m_countersValid);
        m_last = now;
        if (!edges.empty())
            return reported(std::move(edges), clock());
        if (m_wakePending.exchange(false)) {
            m_settleMs = 1; // a hand-over ended, right after an edge
            return leaveWait(WaitResult{});
        }

        armSettleCheck();
        const int error = blockOnce();
        if (error == 0) {
            // Read the counter before anything else: this is the edge's time.
            const std::int64_t ticks = clock();
            LineSample after;
            if (const int sampleError = takeSample(after))
                return leaveWait(failed(sampleError));
            edges = LineEdges::split(m_last, after, m_mask, m_countersValid);
            if (edges.empty() && m_block == Block::Kernel && !m_countersValid)
                edges = LineEdges::hiddenPulse(after.status, m_mask);
            m_last = after;
            if (!edges.empty())
                return reported(std::move(edges), ticks);
            continue;
        }
        if (error == EINTR) {
            // Quiet so far: look again later, and past the longest step not at all.
            if (m_settleMs <= kLongestSettleMs)
                m_settleMs *= 2;
            continue;
        }
        if (m_block == Block::Kernel && notSupported(error)) {
            m_block = Block::Sampling;
            continue;
        }
        return leaveWait(failed(error));
    }
}

WaitResult LinuxSerialDevice::leaveWait(WaitResult result)
{
    {
        std::lock_guard lock(m_ackMutex);
        m_inWait.store(false);
    }
    m_ackCv.notify_all();
    return result;
}

void LinuxSerialDevice::wake()
{
    m_wakePending.store(true);
    std::unique_lock lock(m_ackMutex);
    // Repeat until the waiter took the wake or left: one signal may land just
    // before it enters the ioctl and be lost.
    while (m_wakePending.load() && m_inWait.load()) {
        pthread_kill(m_waiter.load(), wakeSignal());
        m_ackCv.wait_for(lock, std::chrono::microseconds(200));
    }
}

void LinuxSerialDevice::armSettleCheck()
{
    if (m_block != Block::Kernel)
        return;
    if (!m_haveTimer) {
        struct sigevent event = {};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = wakeSignal();
        event._sigev_un._tid = gettid(); // sigev_notify_thread_id before glibc 2.38
        m_haveTimer = timer_create(CLOCK_MONOTONIC, &event, &m_settleTimer) == 0;
        if (!m_haveTimer)
            return;
    }
    struct itimerspec when = {};
    if (m_settleMs <= kLongestSettleMs) {
        when.it_value.tv_sec = m_settleMs / 1000;
        when.it_value.tv_nsec = (m_settleMs % 1000) * 1'000'000;
    }
    timer_settime(m_settleTimer, 0, &when, nullptr); // all zero disarms
}

void LinuxSerialDevice::dropSettleTimer()
{
    if (m_haveTimer)
        timer_delete(m_settleTimer);
    m_haveTimer = false;
}

void LinuxSerialDevice::endWatch()
{
    // The timer signals the event thread, which is about to end.
    dropSettleTimer();
    if (m_fd >= 0)
        tcflush(m_fd, TCIFLUSH);
}
