#pragma once

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// The fade thread of a lit speed button. It only paces the fade: every 30 ms
// it asks the GUI thread to run one step and waits until that step has run,
// so a fade never gets ahead of the painting. It starts suspended and
// suspends itself again whenever the step says the fade is over.
//
// The hand-over is a queued call to this object (which lives on the GUI
// thread) plus a wait that Terminate() also ends: destroying the button
// while the thread waits for the GUI thread therefore cannot deadlock, and a
// step still queued dies with this object. The loop runs on a std::thread,
// whose join the thread sanitizer understands.
class TLbButtonThread : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds Period{30};

    // step runs on the GUI thread; it calls Suspend() when the fade is over.
    explicit TLbButtonThread(std::function<void()> step, QObject* parent = nullptr);
    TLbButtonThread(const TLbButtonThread&) = delete;
    TLbButtonThread& operator=(const TLbButtonThread&) = delete;
    ~TLbButtonThread() override;

    // Starts the loop, suspended; does nothing when it already runs.
    void start();
    // Waits for the loop to end after Terminate().
    void wait();

    void Resume();
    void Suspend();
    bool Suspended() const;
    // Asks the loop to end and wakes it from any wait. Does not block.
    void Terminate();
    // True while a step is queued on the GUI thread and the loop waits for it.
    bool WaitingForStep() const;

private:
    void run();
    void runStep(unsigned ticket);

    std::function<void()> m_step;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_suspended = true;
    bool m_terminated = false;
    bool m_stepPending = false;
    unsigned m_ticket = 0;
    std::thread m_thread;
};
