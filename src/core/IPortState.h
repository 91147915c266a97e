#pragma once

#include <cstdint>

// What the race control needs to know about the light-barrier port.
class IPortState
{
public:
    static constexpr std::uint32_t kDsrOn = 0x20;

    virtual ~IPortState() = default;
    // Configured port number, 0 when none is configured.
    virtual int portNumber() const = 0;
    virtual bool isOpen() const = 0;
    // Modem status bits in the Windows layout (CTS 0x10, DSR 0x20, RING 0x40, RLSD 0x80).
    virtual std::uint32_t ModemStatus() = 0;
    // Auto mode was asked for while the configured port is not open; the
    // window stays in Hand mode and the port tells the operator why, once.
    virtual void autoModeRefused() = 0;
};
