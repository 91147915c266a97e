#pragma once

#include <cstdint>

// The free-running counter that race times are measured with.
class ICounter
{
public:
    virtual ~ICounter() = default;
    virtual std::int64_t read() = 0;
    // Ticks per microsecond.
    virtual double countSpeed() const = 0;
};
