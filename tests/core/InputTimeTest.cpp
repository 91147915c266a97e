// SPDX-License-Identifier: GPL-3.0-or-later
// A hand time from the stamp the display server put on the key press.

#include "core/InputTime.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t kNsPerMs = 1'000'000;
constexpr double kNanoseconds = 1000.0; // ticks per microsecond

} // namespace

TEST(CoreInputTime, PressIsDatedBackByItsAgeOnTheDisplayClockAlsoAcrossTheWrap)
{
    const std::int64_t counterNow = 50'000'000'000;
    // 500 ms old, read at the start of a millisecond: the press fell into
    // the stamp's millisecond, so its middle is taken.
    EXPECT_EQ(InputTime::pressTicks(1'000, 1'500 * kNsPerMs, counterNow, kNanoseconds),
              counterNow - 499'500'000);
    // The 32-bit stamp wrapped between the press and now.
    const std::uint64_t afterWrap = (std::uint64_t{1} << 32) + 0x100;
    EXPECT_EQ(InputTime::pressTicks(0xFFFF'FF00u, afterWrap * kNsPerMs + 250'000, counterNow,
                                    kNanoseconds),
              counterNow - 0x200 * std::int64_t{kNsPerMs} + 250'000);
    // A counter at another rate is moved by the same time.
    EXPECT_EQ(InputTime::pressTicks(1'000, 1'500 * kNsPerMs + 500'000, 1'000'000, 3.0),
              1'000'000 - 1'500'000);
}

TEST(CoreInputTime, StampThatCannotBeFromTheClockIsRefused)
{
    const std::uint64_t now = 3'600'000 * kNsPerMs;
    EXPECT_FALSE(InputTime::pressTicks(3'600'001, now, 0, kNanoseconds)) << "ahead of the clock";
    EXPECT_FALSE(InputTime::pressTicks(3'600'000 - InputTime::kMaxAgeMs - 1, now, 0, kNanoseconds));
    EXPECT_TRUE(InputTime::pressTicks(3'600'000 - InputTime::kMaxAgeMs, now, 0, kNanoseconds));
    // Pressed in the millisecond that has just begun: never later than now.
    EXPECT_EQ(InputTime::pressTicks(3'600'000, now + 100'000, 7, kNanoseconds), 7);
}
