#pragma once

#include "core/SystemTime.h"

// Local wall-clock time; only used for time-of-day texts, never for race times.
class ILocalClock
{
public:
    virtual ~ILocalClock() = default;
    virtual TSystemTime now() const = 0;
};
