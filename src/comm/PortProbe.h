#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <sys/types.h>

// Which of the ports COM1..COM16 this machine offers.
namespace PortProbe {

// Looks at COM1..COM16 in `deviceFolder` ("/dev" in the program) and returns
// the AvailablePorts word: bit n-1 set for every COMn found, bits 16..31 the
// highest n found (0 when none). A port counts when its device file is a
// character device, opens (so no other program holds it exclusively), is a
// terminal, and, where the driver describes its UART, has one: on-board
// ttyS nodes exist for every possible UART, present or not. Every descriptor
// is closed right away.
std::uint32_t ProbePorts(const QString& deviceFolder);
// The same, passing over the devices in `skipped` without opening them. The
// plain form skips the kernel's console lines (ConsoleDevices): opening and
// closing a serial console would drop DTR under whoever is logged in there.
std::uint32_t ProbePorts(const QString& deviceFolder, const QSet<dev_t>& skipped);
QSet<dev_t> ConsoleDevices();
// Whether `path` (links followed) is the character device of one of `consoles`.
bool IsConsoleLine(const QString& path, const QSet<dev_t>& consoles);

// The texts of the port list: "COM" + n for every port found, ascending.
QStringList PortListTexts(std::uint32_t availablePorts);

} // namespace PortProbe
