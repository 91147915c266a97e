#pragma once

#include "core/IDigitDisplay.h"
#include "core/SystemTime.h"

#include <cstdint>
#include <string>

// Race time arithmetic and the texts made from it. Pure functions, so every
// rounding and formatting rule can be checked without a window or a counter.
namespace TimeBase {

struct RaceTimeFields
{
    std::int64_t hours = 0; // modulo 100
    std::int64_t minutes = 0;
    std::int64_t seconds = 0;
    std::int64_t hundredths = 0;

    friend bool operator==(const RaceTimeFields&, const RaceTimeFields&) = default;
};

// Counter ticks to whole milliseconds, halves to even, wrapped to 32 bits.
std::int32_t CalcMS(std::int64_t ticks, double countSpeed);

// The last millisecond digit is dropped, never rounded: 1009 ms is 1 s 00.
RaceTimeFields splitRaceTime(std::int32_t ms);

// Protocol text of a race time: "hh:mm.ss,ff" with the leading zeros and
// separators stripped up to the units digit of the seconds.
std::string FormatRaceTime(std::int32_t ms, int resolution);

// "h:mm.ss,cc" of a time of day, always with hundredths.
std::string FormatTimeOfDay(const TSystemTime& time);

// "yyyy-mm-dd-hh-mm" for file names.
std::string FileTimestamp(const TSystemTime& time);

ResolutionLayout computeResolutionLayout(int resolution);

// Calendar arithmetic on a broken-down local time; the day of week follows.
TSystemTime subtractMilliseconds(const TSystemTime& time, std::int64_t milliseconds);

} // namespace TimeBase
