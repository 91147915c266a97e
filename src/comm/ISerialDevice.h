#pragma once

#include "comm/ComTypes.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// What a finished wait of the event thread brought.
struct WaitResult
{
    enum class Kind
    {
        Events, // edges happened; ticks is the counter reading when the wait completed
        Woken,  // wake() was called
        Failed  // the device is gone; error holds the system's text
    };
    Kind kind = Kind::Woken;
    std::vector<ComEdge> edges;
    std::int64_t ticks = 0;
    QString error;
};

// One serial device. A port owns one per open; the platform decides which
// class. open/close/modemStatus/inputCount run on the port's (GUI) thread;
// setEventMask runs there before the event thread starts; waitEvents and
// endWatch run only on the event thread; wake may be called from any thread.
class ISerialDevice
{
public:
    using Clock = std::function<std::int64_t()>;

    virtual ~ISerialDevice() = default;

    // Opens and configures the line. Throws EComHandle when the device does
    // not open and EComState when a setting is refused; after a throw nothing
    // of the device stays open.
    virtual void open(const QString& path, const LineSettings& settings) = 0;
    virtual void close() = 0;

    // Modem status word (Windows layout); 0 when it cannot be read.
    virtual std::uint32_t modemStatus() = 0;
    // Bytes waiting in the input queue; 0 when unknown.
    virtual std::int32_t inputCount() = 0;

    // Selects the events (ComMask bits) that waitEvents reports and takes the
    // starting point: edges after this call are reported, none before it.
    virtual void setEventMask(std::uint32_t mask) = 0;
    // Blocks until at least one selected event happened, wake() was called,
    // or the device failed. `clock` is read the moment the device reports,
    // before anything else is done with the report.
    virtual WaitResult waitEvents(const Clock& clock) = 0;
    // Makes the current waitEvents return Woken, or the next one if none is
    // running. Safe from any thread.
    virtual void wake() = 0;
    // Called once by the event thread when it ends: drop unread input.
    virtual void endWatch() = 0;
};
