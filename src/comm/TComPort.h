#pragma once

#include "comm/ComTypes.h"
#include "comm/ISerialDevice.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <sys/types.h>

class QSocketNotifier;
class TComThread;

// A serial port as a non-visual component. Property changes are plain stores
// that take effect at the next Open. Every signal is raised on the thread the
// port lives on (the GUI thread); line events arrive there from the port's
// event thread, one at a time, in the order OnRxChar, OnTxEmpty, OnBreak,
// OnRing, OnCTS, OnDSR, OnRxFlag, OnRLSD, OnError.
//
// Each line event carries the counter reading taken by the event thread the
// moment it saw the edge (LastEventTicks) and the modem status word right
// after that edge (what ModemStatus returns inside the handlers), so neither
// depends on how long the window took to get to the event.
class TComPort : public QObject
{
    Q_OBJECT

public:
    using DeviceFactory = std::function<std::unique_ptr<ISerialDevice>()>;
    using Counter = std::function<std::int64_t()>;
    using ConsoleLookup = std::function<QSet<dev_t>()>;

    explicit TComPort(QObject* owner = nullptr);
    ~TComPort() override;

    TBaudRate BaudRate() const { return m_baudRate; }
    void setBaudRate(TBaudRate value) { m_baudRate = value; }
    std::int32_t BaudRateUser() const { return m_baudRateUser; }
    void setBaudRateUser(std::int32_t value) { m_baudRateUser = value; }
    int Port() const { return m_port; }
    void setPort(int value) { m_port = static_cast<std::uint8_t>(value); }
    TParity Parity() const { return m_parity; }
    void setParity(TParity value) { m_parity = value; }
    TStopBits StopBits() const { return m_stopBits; }
    void setStopBits(TStopBits value) { m_stopBits = value; }
    TFlowControl FlowControl() const { return m_flowControl; }
    void setFlowControl(TFlowControl value) { m_flowControl = value; }
    int DataBits() const { return m_dataBits; }
    // Clamped to 5..8.
    void setDataBits(int value);
    TEvents Events() const { return m_events; }
    void setEvents(TEvents value) { m_events = value; }
    bool EnableDTR() const { return m_enableDTR; }
    void setEnableDTR(bool value) { m_enableDTR = value; }
    std::int32_t WriteBufSize() const { return m_writeBufSize; }
    void setWriteBufSize(std::int32_t value) { m_writeBufSize = value; }
    std::int32_t ReadBufSize() const { return m_readBufSize; }
    void setReadBufSize(std::int32_t value) { m_readBufSize = value; }
    // Free for the owner.
    int Tag() const { return m_tag; }
    void setTag(int value) { m_tag = value; }

    bool Connected() const { return m_connected; }

    // Closes first if open. Throws EComHandle or EComState; the port then
    // stays closed and nothing of the attempt stays open. A device that is
    // one of the kernel's console lines is never opened (EComHandle, busy).
    void Open();
    // Stops the event thread and closes the device; a closed port does nothing.
    void Close();
    // Modem status (ModemBits). Inside a line-event handler: the status the
    // line had right after the edge being dispatched.
    std::uint32_t ModemStatus();
    int InputCount();
    // Counter reading of the edge being (or last) dispatched.
    std::int64_t LastEventTicks() const { return m_current.ticks; }

    // The line settings Open hands to the device.
    LineSettings lineSettings() const;
    // Device file Open will use: the device folder joined to the name of Port.
    QString deviceFileName() const;

    // Folder holding the serial devices ("/dev"); tests and the barrier
    // harness point it elsewhere.
    QString deviceFolder() const { return m_deviceFolder; }
    void setDeviceFolder(const QString& folder) { m_deviceFolder = folder; }
    // Where devices come from; the platform's backend by default.
    void setDeviceFactory(DeviceFactory factory);
    // Counter read by the event thread when an edge arrives; it must be safe to
    // call from that thread. CLOCK_MONOTONIC in nanoseconds by default.
    void setCounter(Counter counter);
    // Which devices are the kernel's console lines; PortProbe::ConsoleDevices
    // by default.
    void setConsoleLookup(ConsoleLookup lookup);

signals:
    void OnRxChar(TComPort* Sender, int InQue);
    void OnTxEmpty(TComPort* Sender);
    void OnBreak(TComPort* Sender);
    void OnRing(TComPort* Sender);
    void OnCTS(TComPort* Sender);
    void OnDSR(TComPort* Sender);
    void OnRxFlag(TComPort* Sender);
    void OnRLSD(TComPort* Sender);
    void OnError(TComPort* Sender);
    void OnOpen(TComPort* Sender);
    void OnClose(TComPort* Sender);
    // The event thread ended because the device failed (adapter pulled out,
    // line hung up). Raised once per open; the port stays formally open until
    // Close.
    void OnDeviceLost(TComPort* Sender, const QString& reason);

private:
    void takeHandover();
    void dispatch(const ComEvent& event);
    void raise(std::uint32_t eventBit);

    TBaudRate m_baudRate = br9600;
    std::int32_t m_baudRateUser = 9600;
    std::uint8_t m_port = 1;
    TParity m_parity = prNone;
    TStopBits m_stopBits = sbOneStopBit;
    TFlowControl m_flowControl = fcNone;
    int m_dataBits = 8;
    TEvents m_events = TEvents::all();
    bool m_enableDTR = true;
    std::int32_t m_writeBufSize = 2048;
    std::int32_t m_readBufSize = 2048;
    int m_tag = 0;

    QString m_deviceFolder = QStringLiteral("/dev");
    DeviceFactory m_factory;
    Counter m_counter;
    ConsoleLookup m_consoleLookup;

    bool m_connected = false;
    bool m_lostReported = false;
    // Changes with every open and close, so a hand-over from an earlier
    // session is recognised when its handlers return.
    std::uint64_t m_session = 0;
    int m_dispatchDepth = 0;
    std::uint64_t m_dispatchSession = 0;
    ComEvent m_current;
    std::unique_ptr<ISerialDevice> m_device;
    std::unique_ptr<TComThread> m_thread;
    QSocketNotifier* m_notifier = nullptr;
};
