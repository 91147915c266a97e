#pragma once

#include "comm/ISerialDevice.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// A device whose line events a test scripts. The script outlives the device,
// which the port owns and replaces on every open.
struct FakeLine
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<WaitResult> script;
    bool woken = false;

    // What the port did to it.
    QString path;
    LineSettings settings;
    std::uint32_t mask = 0;
    int opens = 0;
    int closes = 0;
    int waits = 0;
    // sched_getscheduler() of the thread that waited last.
    int waitPolicy = -1;

    // What it answers.
    std::function<void()> openError;
    std::uint32_t status = 0;
    std::int32_t inQue = 0;

    void push(std::vector<ComEdge> edges, std::int64_t ticks);
    void fail(const QString& error);
    // Blocks until the event thread entered its wait at least `n` times.
    bool awaitWaits(int n);
    int waitCount();
};

class FakeSerialDevice : public ISerialDevice
{
public:
    explicit FakeSerialDevice(std::shared_ptr<FakeLine> line) : m_line(std::move(line)) {}

    void open(const QString& path, const LineSettings& settings) override;
    void close() override;
    std::uint32_t modemStatus() override;
    std::int32_t inputCount() override;
    void setEventMask(std::uint32_t mask) override;
    WaitResult waitEvents(const Clock& clock) override;
    void wake() override;
    void endWatch() override {}

private:
    std::shared_ptr<FakeLine> m_line;
    bool m_open = false;
};
