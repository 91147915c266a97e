// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

// When a key or mouse button was pressed, in counter ticks, from the time
// stamp the display server put on the event. A hand time is the moment of the
// press: the window may get round to the event only after a long redraw or a
// loaded protocol, and that delay must not go into the race time.
namespace InputTime {

// Older events are taken as coming from a clock that is not ours.
constexpr std::uint32_t kMaxAgeMs = 60'000;

// `eventMs` is the event's stamp in the display server's milliseconds, a
// 32-bit clock that wraps; `clockNowNs` the same clock read now, in
// nanoseconds; `counterNow` the race counter read at the same moment, at
// `countSpeed` ticks per microsecond. Empty when the stamp cannot be from that
// clock: ahead of it, or older than kMaxAgeMs (another display server, a
// remote one, or a stamp of zero).
std::optional<std::int64_t> pressTicks(std::uint32_t eventMs, std::uint64_t clockNowNs,
                                       std::int64_t counterNow, double countSpeed);

} // namespace InputTime
