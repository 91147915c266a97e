// SPDX-License-Identifier: GPL-3.0-or-later
#include "comm/RealtimeScheduling.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

bool tryFifo(int priority)
{
    sched_param param{};
    param.sched_priority = priority;
    // A process started from this thread must not inherit the right to starve
    // the machine.
    return sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0;
}

} // namespace

bool RealtimeScheduling::raiseCurrentThread()
{
    // Root and CAP_SYS_NICE may use any priority; everyone else only up to
    // their RLIMIT_RTPRIO, which an administrator grants in limits.d.
    if (tryFifo(kPriority))
        return true;
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur > 0 &&
        limit.rlim_cur < static_cast<rlim_t>(kPriority) &&
        tryFifo(static_cast<int>(limit.rlim_cur)))
        return true;
    favourCurrentThread();
    return false;
}

void RealtimeScheduling::favourCurrentThread()
{
    // Lets the thread go before the window's when both want a core, if
    // RLIMIT_NICE permits it; a thread that never stops still wins often.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), -10);
}
