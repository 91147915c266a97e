#include "comm/ComDeviceMap.h"
#include "comm/ComErrors.h"

#include <cstring>

namespace ComDeviceMap {

QString deviceName(int port)
{
    if (port >= 1 && port <= 4)
        return QStringLiteral("ttyS%1").arg(port - 1);
    if (port >= 5 && port <= 12)
        return QStringLiteral("ttyUSB%1").arg(port - 5);
    if (port >= 13 && port <= kLastPort)
        return QStringLiteral("ttyACM%1").arg(port - 13);
    return {};
}

QString devicePath(const QString& folder, int port)
{
    const QString name = deviceName(port);
    if (name.isEmpty())
        return {};
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

} // namespace ComDeviceMap

QString SystemErrorText(int error)
{
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not live in buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}
