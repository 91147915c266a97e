#include "core/SystemLocalClock.h"

#include <ctime>

TSystemTime SystemLocalClock::now() const
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    TSystemTime t;
    t.year = static_cast<std::uint16_t>(local.tm_year + 1900);
    t.month = static_cast<std::uint16_t>(local.tm_mon + 1);
    t.dayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
    t.day = static_cast<std::uint16_t>(local.tm_mday);
    t.hour = static_cast<std::uint16_t>(local.tm_hour);
    t.minute = static_cast<std::uint16_t>(local.tm_min);
    t.second = static_cast<std::uint16_t>(local.tm_sec);
    t.milliseconds = static_cast<std::uint16_t>(ts.tv_nsec / 1000000);
    return t;
}
