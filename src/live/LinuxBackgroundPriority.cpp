// SPDX-License-Identifier: GPL-3.0-or-later
#include "live/BackgroundPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace BackgroundPriority {

void lowerCurrentThread()
{
    // On Linux the nice value belongs to the thread, not the process.
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    (void)::setpriority(PRIO_PROCESS, thread, 10);
}

} // namespace BackgroundPriority
