#pragma once

#include "core/ITimer.h"

#include <QTimer>

// A window timer for the race core. QTimer::start() on a running timer starts
// it over; the lock-out must not be extended by a second trigger, so enabling
// a running timer leaves it alone.
class QtWindowTimer : public ITimer
{
public:
    explicit QtWindowTimer(QTimer& timer) : m_timer(timer) {}

    void setEnabled(bool enabled) override
    {
        if (!enabled)
            m_timer.stop();
        else if (!m_timer.isActive())
            m_timer.start();
    }
    bool isEnabled() const override { return m_timer.isActive(); }
    // QTimer starts a running timer over on every new interval, even an equal
    // one; confirming the settings must not lengthen a running lock-out.
    void setInterval(int milliseconds) override
    {
        if (milliseconds != m_timer.interval())
            m_timer.setInterval(milliseconds);
    }
    int interval() const override { return m_timer.interval(); }

private:
    QTimer& m_timer;
};
