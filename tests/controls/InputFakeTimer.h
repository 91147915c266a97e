#pragma once

#include "controls/TTimerSpeedButtonTimer.h"

// A repeat timer on a clock the test advances by hand. Like QTimer, a new
// interval restarts the running period.
class InputFakeTimer : public TTimerSpeedButtonTimer
{
public:
    void setInterval(int milliseconds) override
    {
        m_interval = milliseconds;
        m_elapsed = 0;
    }
    int interval() const override { return m_interval; }
    void start() override
    {
        m_active = true;
        m_elapsed = 0;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    // Lets the given time pass, firing at every due point.
    void advance(int milliseconds)
    {
        while (m_active && m_interval > 0 && milliseconds > 0) {
            const int due = m_interval - m_elapsed;
            if (milliseconds < due) {
                m_elapsed += milliseconds;
                return;
            }
            milliseconds -= due;
            m_elapsed = 0;
            fire();
        }
    }

private:
    int m_interval = 0;
    int m_elapsed = 0;
    bool m_active = false;
};
