#include "comm/PortProbe.h"
#include "comm/ComDeviceMap.h"

#include <QFile>
#include <QSet>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PortProbe {

// Devices the kernel writes its console to (a serial console on a server or
// virtual machine). Such a line is never a free barrier port, and opening and
// closing it drops DTR under whoever is logged in there, so it is not even
// opened.
QSet<dev_t> ConsoleDevices()
{
    QSet<dev_t> devices;
    QFile active(QStringLiteral("/sys/class/tty/console/active"));
    if (!active.open(QIODevice::ReadOnly))
        return devices;
    const QList<QByteArray> names = active.readAll().simplified().split(' ');
    for (const QByteArray& name : names) {
        struct stat info = {};
        if (!name.isEmpty() && stat(("/dev/" + name).constData(), &info) == 0 &&
            S_ISCHR(info.st_mode))
            devices.insert(info.st_rdev);
    }
    return devices;
}

bool IsConsoleLine(const QString& path, const QSet<dev_t>& consoles)
{
    struct stat info = {};
    return !consoles.isEmpty() && stat(QFile::encodeName(path).constData(), &info) == 0 &&
           S_ISCHR(info.st_mode) && consoles.contains(info.st_rdev);
}

namespace {

bool isSerialLine(const QString& path, const QSet<dev_t>& consoles)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (stat(name.constData(), &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    if (IsConsoleLine(path, consoles))
        return false;
    const int fd = open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool usable = isatty(fd) != 0;
    if (usable) {
        // Drivers that cannot describe their UART (pseudo-terminals, some USB
        // adapters) are taken at their word; a described UART of type
        // "unknown" is a node without hardware behind it.
        struct serial_struct serial = {};
        if (ioctl(fd, TIOCGSERIAL, &serial) == 0 && serial.type == PORT_UNKNOWN)
            usable = false;
    }
    close(fd);
    return usable;
}

} // namespace

std::uint32_t ProbePorts(const QString& deviceFolder)
{
    return ProbePorts(deviceFolder, ConsoleDevices());
}

std::uint32_t ProbePorts(const QString& deviceFolder, const QSet<dev_t>& consoles)
{
    std::uint32_t ports = 0;
    for (int n = ComDeviceMap::kFirstPort; n <= ComDeviceMap::kLastPort; ++n) {
        if (!isSerialLine(ComDeviceMap::devicePath(deviceFolder, n), consoles))
            continue;
        ports |= 1u << (n - 1);
        ports = (ports & 0xFFFFu) | (static_cast<std::uint32_t>(n) << 16);
    }
    return ports;
}

QStringList PortListTexts(std::uint32_t availablePorts)
{
    QStringList texts;
    const std::uint32_t highest = availablePorts >> 16;
    for (std::uint32_t i = 0; i < highest && i < 16; ++i)
        if (availablePorts & (1u << i))
            texts << QStringLiteral("COM%1").arg(i + 1);
    return texts;
}

} // namespace PortProbe
