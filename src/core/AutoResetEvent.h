#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An event that releases one waiter per set() and then resets itself, like
// an auto-reset event object. A set() with nobody waiting is kept until the
// next wait.
class AutoResetEvent
{
public:
    void set();
    void reset();
    void wait();
    // False when the time ran out without the event being set.
    bool waitFor(std::chrono::milliseconds timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_cond;
    bool m_signalled = false;
};
