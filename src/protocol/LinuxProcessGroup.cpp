// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/ProcessGroup.h"

#include <QProcess>

#include <csignal>
#include <unistd.h>

void ProcessGroup::startsOwnGroup(QProcess& process)
{
    process.setChildProcessModifier([] { ::setsid(); });
}

void ProcessGroup::killGroup(const QProcess& process)
{
    const auto pid = static_cast<pid_t>(process.processId());
    if (pid > 0)
        ::kill(-pid, SIGKILL);
}
