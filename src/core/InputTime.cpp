// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/InputTime.h"

namespace InputTime {

std::optional<std::int64_t> pressTicks(std::uint32_t eventMs, std::uint64_t clockNowNs,
                                       std::int64_t counterNow, double countSpeed)
{
    constexpr std::uint64_t kNsPerMs = 1'000'000;
    const auto nowMs = static_cast<std::uint32_t>(clockNowNs / kNsPerMs);
    // Unsigned, so a stamp across the clock's wrap still gives its age and a
    // stamp ahead of the clock gives a huge one.
    const std::uint32_t ageMs = nowMs - eventMs;
    if (ageMs > kMaxAgeMs) {
        return std::nullopt;
    }
    // The stamp is the millisecond the press fell into; its middle is the
    // best guess, and never later than now.
    const std::int64_t ageNs =
        static_cast<std::int64_t>(ageMs) * static_cast<std::int64_t>(kNsPerMs) +
        static_cast<std::int64_t>(clockNowNs % kNsPerMs) - static_cast<std::int64_t>(kNsPerMs / 2);
    if (ageNs <= 0) {
        return counterNow;
    }
    const auto ageTicks =
        static_cast<std::int64_t>(static_cast<long double>(ageNs) * countSpeed / 1000.0L);
    return counterNow - ageTicks;
}

} // namespace InputTime
