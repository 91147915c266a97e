#pragma once

#include "comm/ComTypes.h"

// termios for a serial line. Kept apart from the device class because the
// kernel's termios2 (any bit rate, not just the B-constants) cannot share a
// translation unit with the C library's <termios.h>.
namespace LinuxLineSetup {

// Raw line, no echo, reads return at once with what is there, receiver on,
// modem-control lines ignored for carrier (so a dropping DCD never hangs the
// line up), DTR/RTS dropped on the last close. Returns 0 or an errno value;
// EINVAL also when the driver settled on a bit rate more than 3 % off, or for
// stop bits a UART cannot produce with that character size.
int apply(int fd, const LineSettings& settings);

// The output bit rate the driver reports; -1 on failure.
long currentSpeed(int fd);

} // namespace LinuxLineSetup
