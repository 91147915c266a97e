#include "core/TimeBase.h"

#include "core/DisplayLayout.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace TimeBase {

std::int32_t CalcMS(std::int64_t ticks, double countSpeed)
{
    const long double ms = static_cast<long double>(ticks) / countSpeed / 1000.0L;
    // nearbyint honours the default rounding mode, which rounds halves to even.
    const long double rounded = std::nearbyint(ms);
    if (!std::isfinite(rounded)) {
        return 0;
    }
    // Only the low 32 bits survive. Reducing modulo 2^32 in long double is
    // exact for any integral value and avoids an undefined conversion of a
    // quotient that does not fit into 64 bits (a tiny CountSpeed).
    long double low = std::fmod(rounded, 4294967296.0L);
    if (low < 0) {
        low += 4294967296.0L;
    }
    const auto bits = static_cast<std::uint32_t>(low);
    return static_cast<std::int32_t>(bits);
}

RaceTimeFields splitRaceTime(std::int32_t ms)
{
    const std::int64_t cs = static_cast<std::int64_t>(ms) / 10;
    RaceTimeFields f;
    f.hundredths = cs % 100;
    f.seconds = (cs / 100) % 60;
    f.minutes = (cs / 6000) % 60;
    f.hours = (cs / 360000) % 100;
    return f;
}

namespace {

std::string decimal(std::int64_t value)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(value));
    return buf;
}

std::string twoCharacters(std::int64_t value)
{
    std::string text = decimal(value);
    if (text.size() == 1) {
        text.insert(0, 1, '0');
    }
    return text;
}

} // namespace

std::string FormatRaceTime(std::int32_t ms, int resolution)
{
    const std::int64_t cs = static_cast<std::int64_t>(ms) / 10;
    std::string fraction;
    if (resolution == 2) {
        fraction = twoCharacters(cs % 100);
    } else if (resolution == 1) {
        fraction = decimal((cs / 10) % 10);
    }
    std::string text = twoCharacters((cs / 100) % 60);
    if (resolution > 0) {
        text += ',';
        text += fraction;
    }
    text = twoCharacters((cs / 6000) % 60) + '.' + text;
    text = twoCharacters((cs / 360000) % 100) + ':' + text;

    // Never more than 7 characters go, so the units digit of the seconds stays.
    std::size_t strip = 0;
    while (strip < text.size() && !(text[strip] >= '1' && text[strip] <= '9')) {
        ++strip;
    }
    if (strip > 7) {
        strip = 7;
    }
    return text.substr(strip);
}

std::string FormatTimeOfDay(const TSystemTime& time)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%2d.%2d,%2d", time.hour, time.minute, time.second,
                  time.milliseconds / 10);
    std::string text = buf;
    for (char& c : text) {
        if (c == ' ') {
            c = '0';
        }
    }
    return text;
}

std::string FileTimestamp(const TSystemTime& time)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d-%02d-%02d", time.year, time.month, time.day,
                  time.hour, time.minute);
    return buf;
}

ResolutionLayout computeResolutionLayout(int resolution)
{
    ResolutionLayout layout;
    layout.hundredthsVisible = resolution == 2;
    layout.tenthsVisible = resolution > 0;
    if (resolution == 0) {
        layout.panelTimerWidth = DisplayLayout::kLabSecLeft + DisplayLayout::kBevelWidth;
    } else if (resolution == 1) {
        layout.panelTimerWidth = DisplayLayout::kDigit8Left + DisplayLayout::kBevelWidth;
    } else {
        layout.panelTimerWidth = DisplayLayout::kOwnerWidth;
    }
    layout.panelTimerLeft = (DisplayLayout::kOwnerWidth - layout.panelTimerWidth) / 2;
    layout.lab100Left = resolution * 20 + 372;
    layout.lab100Caption = "1/" + decimal(static_cast<std::int64_t>(resolution) * 90 - 80);
    layout.lab100Visible = resolution > 0;
    layout.commasVisible = resolution > 0;
    return layout;
}

TSystemTime subtractMilliseconds(const TSystemTime& time, std::int64_t milliseconds)
{
    using namespace std::chrono;
    const year_month_day date{year{time.year}, month{time.month}, day{time.day}};
    const sys_time<std::chrono::milliseconds> stamp =
        sys_days{date} + hours{time.hour} + minutes{time.minute} + seconds{time.second} +
        std::chrono::milliseconds{time.milliseconds} - std::chrono::milliseconds{milliseconds};

    const sys_days dayPoint = floor<days>(stamp);
    const year_month_day newDate{dayPoint};
    const hh_mm_ss<std::chrono::milliseconds> clock{stamp - dayPoint};

    TSystemTime result;
    result.year = static_cast<std::uint16_t>(static_cast<int>(newDate.year()));
    result.month = static_cast<std::uint16_t>(static_cast<unsigned>(newDate.month()));
    result.day = static_cast<std::uint16_t>(static_cast<unsigned>(newDate.day()));
    result.dayOfWeek = static_cast<std::uint16_t>(weekday{dayPoint}.c_encoding());
    result.hour = static_cast<std::uint16_t>(clock.hours().count());
    result.minute = static_cast<std::uint16_t>(clock.minutes().count());
    result.second = static_cast<std::uint16_t>(clock.seconds().count());
    result.milliseconds = static_cast<std::uint16_t>(clock.subseconds().count());
    return result;
}

} // namespace TimeBase
