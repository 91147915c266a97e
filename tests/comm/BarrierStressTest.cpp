// Thousands of barrier edges while the port opens and closes under them:
// no hang, no race (run it under ThreadSanitizer too), no edge lost while open.
#include "CommTestSupport.h"

#include "comm/TComPort.h"
#include "harness/BarrierLine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kCycles = 30;
constexpr std::uint64_t kEventsPerSession = 200;
constexpr int kDeadlineMs = 120000;

// Flips the contact in short bursts from its own thread, pacing itself on
// the events the window has handled so the backlog stays bounded.
class Toggler
{
public:
    Toggler(BarrierLine& line, const std::atomic<std::uint64_t>& handled)
        : m_line(line), m_handled(handled), m_thread([this] { run(); })
    {
    }
    ~Toggler()
    {
        m_quit = true;
        m_thread.join();
    }
    // Returns once the thread has finished its burst and stands still.
    void pause()
    {
        const unsigned request = ++m_pauseRequest;
        m_pause = true;
        while (m_pauseAck != request)
            std::this_thread::yield();
    }
    void resume() { m_pause = false; }

private:
    void run()
    {
        std::mt19937 random(12345);
        bool closed = false;
        while (!m_quit) {
            if (m_pause) {
                m_pauseAck = m_pauseRequest.load();
                std::this_thread::yield();
                continue;
            }
            const int burst = 1 + static_cast<int>(random() % 8);
            for (int i = 0; i < burst; ++i) {
                closed = !closed;
                m_line.setContact(closed);
            }
            const std::uint64_t seen = m_handled.load();
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1);
            while (m_handled.load() == seen && std::chrono::steady_clock::now() < until && !m_pause)
                std::this_thread::yield();
        }
    }

    BarrierLine& m_line;
    const std::atomic<std::uint64_t>& m_handled;
    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_pause{false};
    std::atomic<unsigned> m_pauseRequest{0};
    std::atomic<unsigned> m_pauseAck{0};
    std::thread m_thread;
};

TEST(CommStress, EdgesWhileOpeningAndClosingAreAllHandedOver)
{
    auto board = BarrierBoard::attach(std::getenv("KELVATRON_BARRIER_STATE"));
    auto line = BarrierLine::create(*board, "ttyS0");
    QTemporaryDir dir;
    line->linkAs(dir.filePath(QStringLiteral("ttyS0")).toStdString());

    std::atomic<std::uint64_t> handled{0};
    std::vector<std::uint32_t> statuses; // of the current session
    TComPort port;
    port.setDeviceFolder(dir.path());
    port.setPort(1);
    port.setEvents({evDSR});
    port.setDataBits(5);
    QObject::connect(&port, &TComPort::OnDSR, [&](TComPort* sender) {
        statuses.push_back(sender->ModemStatus());
        ++handled;
    });

    Toggler toggler(*line, handled);
    std::uint64_t total = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        // Every third session is counted exactly: it starts and ends with the
        // contact still. The others open and close while edges pour in.
        const bool counted = cycle % 3 == 0;
        if (counted)
            toggler.pause();
        port.Open();
        const std::uint32_t baseEdges = line->dsrEdges();
        const std::uint64_t baseHandled = handled.load();
        statuses.clear();
        toggler.resume();

        ASSERT_TRUE(TestSupport::waitAwake(
            [&] { return handled - baseHandled >= kEventsPerSession; }, kDeadlineMs))
            << "cycle " << cycle;
        if (counted) {
            toggler.pause();
            const std::uint64_t edges = line->dsrEdges() - baseEdges;
            ASSERT_TRUE(
                TestSupport::waitAwake([&] { return handled - baseHandled >= edges; }, kDeadlineMs))
                << "cycle " << cycle << ": " << handled - baseHandled << " of " << edges;
            TestSupport::drainEvents();
            EXPECT_EQ(handled - baseHandled, edges) << "cycle " << cycle;
            EXPECT_EQ((statuses.back() & ModemBits::Dsr) != 0, line->contactClosed());
        }
        port.Close();
        total += handled - baseHandled;

        // Every edge flips DSR: two equal statuses in a row mean one was lost.
        for (std::size_t i = 1; i < statuses.size(); ++i)
            ASSERT_NE(statuses[i] & ModemBits::Dsr, statuses[i - 1] & ModemBits::Dsr)
                << "cycle " << cycle << ", event " << i;
        toggler.resume();
    }
    toggler.pause();
    EXPECT_GE(total, kCycles * kEventsPerSession);
    std::printf("%llu edges handed over in %d sessions\n", static_cast<unsigned long long>(total),
                kCycles);
}

} // namespace
