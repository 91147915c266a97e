#pragma once

#include <cstdint>

// Field order and widths follow the SYSTEMTIME record, so code that fills it
// field by field stays portable between platforms.
struct TSystemTime
{
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0; // 0 = Sunday
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;

    friend bool operator==(const TSystemTime&, const TSystemTime&) = default;
};
