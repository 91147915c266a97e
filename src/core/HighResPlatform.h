#pragma once

#include "core/ThreadPriority.h"

#include <cstdint>
#include <functional>
#include <sys/types.h>

// A raw counter: one call of a plain function with an opaque pointer, so the
// hot path has no lock, no allocation and no std::function in between.
struct CounterSource
{
    std::int64_t (*read)(void* context) = nullptr;
    void* context = nullptr;

    std::int64_t operator()() const { return read(context); }
};

// The thread priority the calibration raises and restores.
struct SavedPriority
{
    int processNice = 0;
    int threadPolicy = 0;
    int threadSchedPriority = 0;
};

// Everything the high-resolution counter takes from the operating system and
// the processor. system() gives the real facilities; tests replace single
// members so they never wait through a real calibration.
struct HighResPlatform
{
    // Processor time-stamp counter (RDTSC).
    CounterSource tsc;
    // The "performance counter": CLOCK_MONOTONIC in nanoseconds.
    CounterSource performance;
    // Rate of the performance counter in Hz.
    std::function<std::int64_t()> performanceFrequency;
    // CPUID: does the processor have a time-stamp counter?
    std::function<bool()> cpuHasTsc;
    std::function<void(std::uint32_t milliseconds)> sleep;
    // Best effort, results unchecked: raising needs privileges we may lack.
    std::function<SavedPriority()> saveCallerPriority;
    std::function<void()> raiseCallerToRealtime;
    std::function<void(const SavedPriority&)> restoreCallerPriority;
    std::function<void(pid_t threadId, TThreadPriority priority)> setThreadPriority;

    static HighResPlatform system();
};

namespace HighResSystem {
std::int64_t readTsc(void*);
std::int64_t readMonotonicNs(void*);
bool cpuHasTsc();
} // namespace HighResSystem
