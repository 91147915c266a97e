#pragma once

// A message-driven window timer. Enabling a timer that already runs must not
// restart it: the lock-out relies on that.
class ITimer
{
public:
    virtual ~ITimer() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
};
