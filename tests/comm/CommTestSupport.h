#pragma once

// Helpers of the serial tests; what all tests share is in support/TestSupport.h.

#include "support/TestSupport.h"

#include <QDir>
#include <QString>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace CommTest {

// Descriptors this process holds: a failed open must not leave one behind.
inline int openDescriptors()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// A pseudo-terminal stands in for a serial line: a terminal character device.
class Pty
{
public:
    Pty()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[64] = {};
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0 &&
            ptsname_r(m_master, name, sizeof name) == 0)
            m_slave = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        if (m_master >= 0)
            close(m_master);
    }
    QString slave() const { return m_slave; }

private:
    int m_master = -1;
    QString m_slave;
};

} // namespace CommTest
