#pragma once

#include <cstdint>
#include <initializer_list>

// Line parameters and line events of a serial port. The enumerators keep the
// ordinal values of the component's published properties, so stored settings
// and callers that count on them stay valid.

enum TBaudRate
{
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    brUser
};

enum TParity
{
    prNone,
    prOdd,
    prEven,
    prMark,
    prSpace
};

enum TStopBits
{
    sbOneStopBit,
    sbOne5StopBits,
    sbTwoStopBits
};

enum TFlowControl
{
    fcNone,
    fcRtsCts,
    fcXonXoff
};

enum TEvent
{
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD
};

// A set of TEvent, one bit per ordinal.
class TEvents
{
public:
    constexpr TEvents() = default;
    constexpr TEvents(std::initializer_list<TEvent> events)
    {
        for (TEvent e : events)
            m_bits |= bit(e);
    }
    static constexpr TEvents all()
    {
        TEvents s;
        s.m_bits = 0x1FF;
        return s;
    }
    constexpr bool contains(TEvent e) const { return (m_bits & bit(e)) != 0; }
    constexpr TEvents& include(TEvent e)
    {
        m_bits |= bit(e);
        return *this;
    }
    constexpr TEvents& exclude(TEvent e)
    {
        m_bits &= static_cast<std::uint16_t>(~bit(e));
        return *this;
    }
    constexpr bool empty() const { return m_bits == 0; }
    constexpr bool operator==(const TEvents&) const = default;

private:
    static constexpr std::uint16_t bit(TEvent e) { return static_cast<std::uint16_t>(1u << e); }
    std::uint16_t m_bits = 0;
};

// Event bits of a wait mask, in the layout of the Windows communications API so
// that a future Windows backend passes them through unchanged.
namespace ComMask {
constexpr std::uint32_t RxChar = 0x0001;
constexpr std::uint32_t RxFlag = 0x0002;
constexpr std::uint32_t TxEmpty = 0x0004;
constexpr std::uint32_t Cts = 0x0008;
constexpr std::uint32_t Dsr = 0x0010;
constexpr std::uint32_t Rlsd = 0x0020;
constexpr std::uint32_t Break = 0x0040;
constexpr std::uint32_t Error = 0x0080;
constexpr std::uint32_t Ring = 0x0100;
// Events that come from the modem-status lines; the rest concern the data stream.
constexpr std::uint32_t ModemLines = Cts | Dsr | Rlsd | Ring;
} // namespace ComMask

// Modem status word, Windows layout.
namespace ModemBits {
constexpr std::uint32_t Cts = 0x10;
constexpr std::uint32_t Dsr = 0x20;
constexpr std::uint32_t Ring = 0x40;
constexpr std::uint32_t Rlsd = 0x80;
} // namespace ModemBits

// The wait mask selected by a set of events.
constexpr std::uint32_t EventMask(TEvents events)
{
    constexpr std::uint32_t bits[] = {ComMask::RxChar, ComMask::TxEmpty, ComMask::RxFlag,
                                      ComMask::Ring,   ComMask::Break,   ComMask::Cts,
                                      ComMask::Dsr,    ComMask::Error,   ComMask::Rlsd};
    std::uint32_t mask = 0;
    for (int e = evRxChar; e <= evRLSD; ++e)
        if (events.contains(static_cast<TEvent>(e)))
            mask |= bits[e];
    return mask;
}

// Bit rate in bit/s of a named TBaudRate member; 0 for brUser.
constexpr std::int32_t BaudRateValue(TBaudRate rate)
{
    constexpr std::int32_t values[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                       19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return rate >= br110 && rate < brUser ? values[rate] : 0;
}

// One line event as reported by a device: the event bits and the modem status
// word as it was right after those edges.
struct ComEdge
{
    std::uint32_t mask = 0;
    std::uint32_t status = 0;
    bool operator==(const ComEdge&) const = default;
};

// A line event on its way to the handlers, with the counter reading taken when
// the event thread saw it.
struct ComEvent
{
    std::uint32_t mask = 0;
    std::uint32_t status = 0;
    std::int64_t ticks = 0;
};

// Everything a device needs to configure the line. The fields follow the
// Windows device control block so a Windows backend can fill one directly;
// the Linux backend maps what termios can express.
struct LineSettings
{
    // DCB flag bits that the port sets.
    static constexpr std::uint32_t fBinary = 0x0001;
    static constexpr std::uint32_t fOutxCtsFlow = 0x0004;
    static constexpr std::uint32_t fDtrControlEnable = 0x0010;
    static constexpr std::uint32_t fOutX = 0x0100;
    static constexpr std::uint32_t fInX = 0x0200;
    static constexpr std::uint32_t fRtsControlHandshake = 0x2000;

    std::int32_t baudRate = 9600;
    int dataBits = 8;
    TParity parity = prNone;
    TStopBits stopBits = sbOneStopBit;
    TFlowControl flowControl = fcNone;
    bool dtr = true;
    std::uint32_t flags = fBinary;
    int xonLim = 0;
    int xoffLim = 1;
    char xonChar = 0x11;
    char xoffChar = 0x13;
    std::int32_t readBufSize = 2048;
    std::int32_t writeBufSize = 2048;
};
