#pragma once

#include "core/ICounter.h"

#include <cstdint>

// A counter that only moves when a test moves it. The default rate of 1000
// ticks per microsecond matches the monotonic clock in nanoseconds.
class FakeCounter : public ICounter
{
public:
    std::int64_t ticks = 0;
    double speed = 1000.0;
    int reads = 0;

    std::int64_t read() override
    {
        ++reads;
        return ticks;
    }
    double countSpeed() const override { return speed; }

    std::int64_t ticksForMs(std::int64_t ms) const
    {
        return static_cast<std::int64_t>(static_cast<double>(ms) * speed * 1000.0);
    }
    void advanceMs(std::int64_t ms) { ticks += ticksForMs(ms); }
};
