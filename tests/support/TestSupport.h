#pragma once

// Helpers the tests of every folder share.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <ostream>

// Scheduling slack of a loaded two-core machine under sanitizers: the limit
// for QTest::qWaitFor, never a time a test expects anything to take.
inline constexpr int kWaitMs = 20000;

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace TestSupport {

// Handles everything already queued, without waiting for more.
inline void drainEvents()
{
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// QTest::qWaitFor, but asleep in the event loop until the next event comes
// instead of a blind 10 ms between passes. The serial port hands its edges
// over one at a time, each once the one before was taken; a flood of them
// outruns a loop that naps, and the backlog never drains.
template <typename Predicate> bool waitAwake(Predicate done, int timeoutMs = kWaitMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

// The clock the serial backend stamps its edges with.
inline std::int64_t monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace TestSupport
