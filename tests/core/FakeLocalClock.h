#pragma once

#include "FakeCounter.h"
#include "core/ILocalClock.h"
#include "core/TimeBase.h"

// Local time that runs with a FakeCounter: the time of day at counter zero
// plus the counter's reading, so times of day follow from race times.
class FakeLocalClock : public ILocalClock
{
public:
    explicit FakeLocalClock(const FakeCounter& counter) : m_counter(counter) {}

    TSystemTime atZero{2009, 1, 0, 4, 14, 5, 3, 70};

    TSystemTime now() const override
    {
        const auto elapsedMs = static_cast<std::int64_t>(static_cast<double>(m_counter.ticks) /
                                                         m_counter.speed / 1000.0);
        return TimeBase::subtractMilliseconds(atZero, -elapsedMs);
    }

private:
    const FakeCounter& m_counter;
};
