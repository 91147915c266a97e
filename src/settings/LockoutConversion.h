#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// The lock-out time is edited in seconds with one decimal and kept in
// milliseconds. Halves round to even, so a value and its display agree with
// the program's earlier releases.
namespace LockoutConversion {

inline std::int32_t secondsToMs(double seconds)
{
    const double ms = seconds * 1000.0;
    if (std::isnan(ms))
        return 0;
    if (ms <= std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    if (ms >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    double rounded = std::round(ms);
    // std::round takes halves away from zero; step back to the even neighbour.
    if (std::fabs(ms - std::trunc(ms)) == 0.5 && std::fmod(rounded, 2.0) != 0.0)
        rounded -= std::copysign(1.0, ms);
    return static_cast<std::int32_t>(rounded);
}

inline double msToSeconds(std::int32_t ms)
{
    return ms / 1000.0;
}

} // namespace LockoutConversion
