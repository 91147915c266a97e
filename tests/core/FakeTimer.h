#pragma once

#include "core/ITimer.h"

class FakeTimer : public ITimer
{
public:
    bool enabled = false;
    int intervalMs = 0;
    int starts = 0; // times it went from stopped to running

    void setEnabled(bool value) override
    {
        if (value && !enabled) {
            ++starts;
        }
        enabled = value;
    }
    bool isEnabled() const override { return enabled; }
    void setInterval(int milliseconds) override { intervalMs = milliseconds; }
    int interval() const override { return intervalMs; }
};
