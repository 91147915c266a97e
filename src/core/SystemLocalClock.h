#pragma once

#include "core/ILocalClock.h"

// The local time of the machine, as the operator's watch shows it.
class SystemLocalClock : public ILocalClock
{
public:
    TSystemTime now() const override;
};
