#include "comm/LinuxLineSetup.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdlib>

namespace LinuxLineSetup {

namespace {

tcflag_t characterSize(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t parityFlags(TParity parity)
{
    switch (parity) {
    case prOdd:
        return PARENB | PARODD;
    case prEven:
        return PARENB;
    case prMark:
        return PARENB | PARODD | CMSPAR;
    case prSpace:
        return PARENB | CMSPAR;
    case prNone:
        break;
    }
    return 0;
}

} // namespace

int apply(int fd, const LineSettings& s)
{
    if (s.baudRate <= 0 || s.dataBits < 5 || s.dataBits > 8)
        return EINVAL;
    // A UART sends 1.5 stop bits only with 5-bit characters, and then
    // instead of 2; anything else is a request it cannot honour.
    if ((s.stopBits == sbOne5StopBits && s.dataBits != 5) ||
        (s.stopBits == sbTwoStopBits && s.dataBits == 5))
        return EINVAL;

    struct termios2 t = {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;

    t.c_iflag = s.flowControl == fcXonXoff ? (IXON | IXOFF) : 0;
    t.c_oflag = 0;
    t.c_lflag = 0;
    t.c_cflag = CREAD | CLOCAL | HUPCL | BOTHER | characterSize(s.dataBits) | parityFlags(s.parity);
    if (s.stopBits != sbOneStopBit)
        t.c_cflag |= CSTOPB;
    if (s.flowControl == fcRtsCts)
        t.c_cflag |= CRTSCTS;
    t.c_ispeed = static_cast<speed_t>(s.baudRate);
    t.c_ospeed = static_cast<speed_t>(s.baudRate);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    t.c_cc[VSTART] = static_cast<cc_t>(s.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.xoffChar);
    if (ioctl(fd, TCSETS2, &t) != 0)
        return errno;

    // The driver takes what it can and says nothing, so look at what it
    // took. Only the speed is held against it: drivers that coerce the
    // character size (FTDI chips, pseudo-terminals) still carry modem lines,
    // and a light barrier never sends a character.
    const long actual = currentSpeed(fd);
    if (actual < 0)
        return errno;
    if (std::labs(actual - s.baudRate) * 100 > 3L * s.baudRate)
        return EINVAL;
    return 0;
}

long currentSpeed(int fd)
{
    struct termios2 t = {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return -1;
    return static_cast<long>(t.c_ospeed);
}

} // namespace LinuxLineSetup
