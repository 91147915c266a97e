#pragma once

#include <functional>
#include <memory>

// The repeat timer of an arrow button. It is an interface so that a held
// button can be driven by a clock the caller controls: the repeat counts of a
// spin edit are then checked without waiting for real time to pass.
// Semantics follow QTimer: changing the interval of a running timer restarts
// its period.
class TTimerSpeedButtonTimer
{
public:
    virtual ~TTimerSpeedButtonTimer() = default;

    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    void setCallback(std::function<void()> callback) { m_callback = std::move(callback); }

    // The timer used when nobody injected one: a QTimer on the GUI thread.
    static std::unique_ptr<TTimerSpeedButtonTimer> create();

protected:
    void fire()
    {
        if (m_callback)
            m_callback();
    }

private:
    std::function<void()> m_callback;
};
