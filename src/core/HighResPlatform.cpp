#include "core/HighResPlatform.h"

#include <cerrno>
#include <ctime>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define KELVATRON_HAS_X86 1
#endif

namespace HighResSystem {

std::int64_t readMonotonicNs(void*)
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::int64_t readTsc(void* context)
{
#ifdef KELVATRON_HAS_X86
    (void)context;
    return static_cast<std::int64_t>(__rdtsc());
#else
    // Never selected: TSC reports false on this processor.
    return readMonotonicNs(context);
#endif
}

bool cpuHasTsc()
{
#ifdef KELVATRON_HAS_X86
    // __get_cpuid_max performs the ID-flag toggle test where CPUID may be
    // missing (32-bit) and returns 0 then.
    const auto highest = static_cast<int>(__get_cpuid_max(0, nullptr));
    if (highest <= 0) {
        return false;
    }
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid(1, eax, ebx, ecx, edx);
    return (edx & 0x10u) != 0;
#else
    return false;
#endif
}

} // namespace HighResSystem

namespace {

void sleepMs(std::uint32_t milliseconds)
{
    timespec ts{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

SavedPriority saveCaller()
{
    SavedPriority saved;
    errno = 0;
    saved.processNice = getpriority(PRIO_PROCESS, 0);
    sched_param param{};
    pthread_getschedparam(pthread_self(), &saved.threadPolicy, &param);
    saved.threadSchedPriority = param.sched_priority;
    return saved;
}

void raiseCaller()
{
    setpriority(PRIO_PROCESS, 0, -20);
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

void restoreCaller(const SavedPriority& saved)
{
    sched_param param{};
    param.sched_priority = saved.threadSchedPriority;
    pthread_setschedparam(pthread_self(), saved.threadPolicy, &param);
    setpriority(PRIO_PROCESS, 0, saved.processNice);
}

// Linux keeps a nice value per thread; the two extremes map to the idle and
// the real-time scheduling classes.
void setLinuxThreadPriority(pid_t threadId, TThreadPriority priority)
{
    const int value = static_cast<int>(priority);
    sched_param param{};
    if (priority == TThreadPriority::tpTimeCritical) {
        param.sched_priority = sched_get_priority_min(SCHED_FIFO);
        sched_setscheduler(threadId, SCHED_FIFO, &param);
        return;
    }
    if (priority == TThreadPriority::tpIdle) {
        sched_setscheduler(threadId, SCHED_IDLE, &param);
        return;
    }
    sched_setscheduler(threadId, SCHED_OTHER, &param);
    setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), -5 * value);
}

} // namespace

HighResPlatform HighResPlatform::system()
{
    HighResPlatform p;
    p.tsc = CounterSource{&HighResSystem::readTsc, nullptr};
    p.performance = CounterSource{&HighResSystem::readMonotonicNs, nullptr};
    p.performanceFrequency = [] { return std::int64_t{1000000000}; };
    p.cpuHasTsc = &HighResSystem::cpuHasTsc;
    p.sleep = &sleepMs;
    p.saveCallerPriority = &saveCaller;
    p.raiseCallerToRealtime = &raiseCaller;
    p.restoreCallerPriority = &restoreCaller;
    p.setThreadPriority = &setLinuxThreadPriority;
    return p;
}
