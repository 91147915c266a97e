#include "comm/TComPort.h"
#include "comm/ComDeviceMap.h"
#include "comm/ComErrors.h"
#include "comm/LinuxSerialDevice.h"
#include "comm/PortProbe.h"
#include "comm/TComThread.h"

#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <ctime>

namespace {

std::int64_t monotonicNanoseconds()
{
    struct timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The order in which the handlers of one event run.
constexpr std::uint32_t kDispatchOrder[] = {
    ComMask::RxChar, ComMask::TxEmpty, ComMask::Break, ComMask::Ring,  ComMask::Cts,
    ComMask::Dsr,    ComMask::RxFlag,  ComMask::Rlsd,  ComMask::Error,
};

} // namespace

TComPort::TComPort(QObject* owner) : QObject(owner) {}

TComPort::~TComPort()
{
    Close();
}

void TComPort::setDataBits(int value)
{
    if (value > 8)
        value = 8;
    else if (value < 5)
        value = 5;
    m_dataBits = value;
}

void TComPort::setDeviceFactory(DeviceFactory factory)
{
    m_factory = std::move(factory);
}

void TComPort::setCounter(Counter counter)
{
    m_counter = std::move(counter);
}

void TComPort::setConsoleLookup(ConsoleLookup lookup)
{
    m_consoleLookup = std::move(lookup);
}

LineSettings TComPort::lineSettings() const
{
    LineSettings s;
    s.baudRate = m_baudRate == brUser ? m_baudRateUser : BaudRateValue(m_baudRate);
    s.dataBits = m_dataBits;
    s.parity = m_parity;
    s.stopBits = m_stopBits;
    s.flowControl = m_flowControl;
    s.dtr = m_enableDTR;
    s.flags = LineSettings::fBinary;
    if (m_enableDTR)
        s.flags |= LineSettings::fDtrControlEnable;
    if (m_flowControl == fcRtsCts)
        s.flags |= LineSettings::fOutxCtsFlow | LineSettings::fRtsControlHandshake;
    else if (m_flowControl == fcXonXoff)
        s.flags |= LineSettings::fOutX | LineSettings::fInX;
    s.xonLim = m_writeBufSize / 4;
    s.xoffLim = 1;
    s.xonChar = 0x11;
    s.xoffChar = 0x13;
    s.readBufSize = m_readBufSize;
    s.writeBufSize = m_writeBufSize;
    return s;
}

QString TComPort::deviceFileName() const
{
    return ComDeviceMap::devicePath(m_deviceFolder, m_port);
}

void TComPort::Open()
{
    Close();
    const QString path = deviceFileName();
    if (path.isEmpty())
        throw EComHandle(QStringLiteral("Unable to open com port: ") + SystemErrorText(ENOENT));
    // Setting a serial console to the barrier's line parameters, or only
    // dropping DTR when we let go, breaks it for whoever is logged in there;
    // whatever number the settings hold, that line is not ours to open.
    const QSet<dev_t> consoles = m_consoleLookup ? m_consoleLookup() : PortProbe::ConsoleDevices();
    if (PortProbe::IsConsoleLine(path, consoles))
        throw EComHandle(QStringLiteral("Unable to open com port: ") + SystemErrorText(EBUSY));

    std::unique_ptr<ISerialDevice> device =
        m_factory ? m_factory() : std::make_unique<LinuxSerialDevice>();
    device->open(path, lineSettings());

    auto thread = std::make_unique<TComThread>(*device, EventMask(m_events),
                                               m_counter ? m_counter : monotonicNanoseconds);
    if (thread->notifyFd() < 0) {
        const int error = errno;
        device->close();
        throw EComHandle(QStringLiteral("Unable to open com port: ") + SystemErrorText(error));
    }
    m_device = std::move(device);
    m_thread = std::move(thread);
    m_notifier = new QSocketNotifier(m_thread->notifyFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TComPort::takeHandover);
    m_thread->start();

    ++m_session;
    m_connected = true;
    m_lostReported = false;
    emit OnOpen(this);
}

void TComPort::Close()
{
    if (!m_connected)
        return;
    m_thread->stop();
    // Closing may come from inside the notifier's own signal; let it finish.
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
    m_thread.reset();
    m_device->close();
    m_device.reset();

    ++m_session;
    m_connected = false;
    emit OnClose(this);
}

std::uint32_t TComPort::ModemStatus()
{
    if (m_dispatchDepth > 0 && m_dispatchSession == m_session)
        return m_current.status;
    return m_device ? m_device->modemStatus() : 0;
}

int TComPort::InputCount()
{
    return m_device ? m_device->inputCount() : 0;
}

void TComPort::takeHandover()
{
    if (!m_thread)
        return;
    const std::uint64_t session = m_session;
    TComThread::Handover handover = m_thread->take();
    QPointer<TComPort> alive(this);
    if (handover.event)
        dispatch(*handover.event);
    if (!alive || session != m_session || !handover.lost || m_lostReported)
        return;
    m_lostReported = true;
    emit OnDeviceLost(this, *handover.lost);
}

void TComPort::dispatch(const ComEvent& event)
{
    const std::uint64_t session = m_session;
    QPointer<TComPort> alive(this);
    m_current = event;
    m_dispatchSession = session;
    ++m_dispatchDepth;

    // Whatever a handler does, even throw, the event thread must learn that
    // this hand-over is over, or it would never hand over the next one.
    struct Finish
    {
        TComPort* port;
        QPointer<TComPort>& alive;
        std::uint64_t session;
        ~Finish()
        {
            if (!alive)
                return;
            --port->m_dispatchDepth;
            if (session == port->m_session && port->m_thread)
                port->m_thread->dispatchDone();
        }
    } finish{this, alive, session};

    for (const std::uint32_t bit : kDispatchOrder) {
        if ((event.mask & bit) == 0)
            continue;
        raise(bit);
        // A handler that closed or reopened the port ends this event.
        if (!alive || session != m_session)
            return;
    }
}

void TComPort::raise(std::uint32_t eventBit)
{
    switch (eventBit) {
    case ComMask::RxChar:
        emit OnRxChar(this, InputCount());
        break;
    case ComMask::TxEmpty:
        emit OnTxEmpty(this);
        break;
    case ComMask::Break:
        emit OnBreak(this);
        break;
    case ComMask::Ring:
        emit OnRing(this);
        break;
    case ComMask::Cts:
        emit OnCTS(this);
        break;
    case ComMask::Dsr:
        emit OnDSR(this);
        break;
    case ComMask::RxFlag:
        emit OnRxFlag(this);
        break;
    case ComMask::Rlsd:
        emit OnRLSD(this);
        break;
    case ComMask::Error:
        emit OnError(this);
        break;
    default:
        break;
    }
}
