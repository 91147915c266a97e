#pragma once

// Priority class meant for the periodic worker, with the Windows class value.
enum class TThreadClass
{
    tcIdle = 0x40,
    tcNormal = 0x20,
    tcHigh = 0x80,
    tcRealTime = 0x100,
};

// Thread priorities with the Windows priority value of each.
enum class TThreadPriority
{
    tpIdle = -15,
    tpLowest = -2,
    tpLower = -1,
    tpNormal = 0,
    tpHigher = 1,
    tpHighest = 2,
    tpTimeCritical = 15,
};
