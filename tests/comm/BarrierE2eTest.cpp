// The real tty backend end to end: pseudo-terminals with modem lines from the
// barrier preload library stand in for a port with a light barrier on it.
#include "CommTestSupport.h"

#include "comm/LinuxLineSetup.h"
#include "comm/PortProbe.h"
#include "comm/TComPort.h"
#include "harness/BarrierLine.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using TestSupport::monotonicNs;

// Scheduling on a loaded two-core machine under sanitizers: an edge is still
// "on time" this long after it happened.
constexpr std::int64_t kPromptNs = 150'000'000;
// How long the window plays busy.
constexpr unsigned long kStallMs = 200;

class CommBarrier : public ::testing::Test
{
protected:
    void SetUp() override
    {
        board = BarrierBoard::attach(std::getenv("KELVATRON_BARRIER_STATE"));
        line = BarrierLine::create(*board, "ttyS0");
        line->linkAs(dir.filePath(QStringLiteral("ttyS0")).toStdString());
        // The main window's configuration of its port.
        port.setDeviceFolder(dir.path());
        port.setPort(1);
        port.setEvents({evDSR});
        port.setDataBits(5);
        port.setWriteBufSize(64);
        port.setReadBufSize(64);
        port.setCounter(monotonicNs);
        QObject::connect(&port, &TComPort::OnDSR, [this](TComPort* sender) {
            seen.push_back({sender->ModemStatus(), sender->LastEventTicks(), monotonicNs()});
            if (onDsr)
                onDsr(seen.size());
        });
    }

    void TearDown() override { port.Close(); }

    bool dsrOn(std::size_t i) const { return (seen.at(i).status & ModemBits::Dsr) != 0; }
    bool awaitEvents(std::size_t n)
    {
        return QTest::qWaitFor([&] { return seen.size() >= n; }, kWaitMs);
    }

    struct Seen
    {
        std::uint32_t status;
        std::int64_t ticks;
        std::int64_t handledAt;
    };

    QTemporaryDir dir;
    std::unique_ptr<BarrierBoard> board;
    std::unique_ptr<BarrierLine> line;
    std::vector<Seen> seen;
    std::function<void(std::size_t)> onDsr;
    TComPort port;
};

TEST_F(CommBarrier, EdgesArriveWithTheirStatusAndTime)
{
    port.Open();
    EXPECT_TRUE(line->dtr());
    EXPECT_FALSE(line->rts());

    const std::int64_t closedAt = line->setContact(true);
    ASSERT_TRUE(awaitEvents(1));
    const std::int64_t openedAt = line->setContact(false);
    ASSERT_TRUE(awaitEvents(2));

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].status, ModemBits::Dsr);
    EXPECT_EQ(seen[1].status, 0u);
    EXPECT_GE(seen[0].ticks, closedAt);
    EXPECT_LT(seen[0].ticks - closedAt, kPromptNs);
    EXPECT_GE(seen[1].ticks, openedAt);
    EXPECT_LT(seen[1].ticks - openedAt, kPromptNs);

    port.Close();
    EXPECT_FALSE(line->dtr());
}

TEST_F(CommBarrier, WithoutDtrTheContactIsDead)
{
    port.setEnableDTR(false);
    port.Open();
    line->setContact(true);
    line->setContact(false);
    port.Close();
    TestSupport::drainEvents();
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(line->dsrEdges(), 0u);
}

TEST_F(CommBarrier, LineSettingsReachTheTerminal)
{
    // A second descriptor opened first sees what the port configures.
    const int monitor = ::open(line->slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(monitor, 0);
    port.setBaudRate(brUser);
    port.setBaudRateUser(28800);
    port.Open();
    EXPECT_EQ(LinuxLineSetup::currentSpeed(monitor), 28800);
    port.setBaudRate(br56000);
    port.Open();
    EXPECT_EQ(LinuxLineSetup::currentSpeed(monitor), 56000);
    port.setBaudRate(br9600);
    port.Open();
    EXPECT_EQ(LinuxLineSetup::currentSpeed(monitor), 9600);
    ::close(monitor);
}

TEST_F(CommBarrier, APulseTooShortToSeeStillGivesBothEdges)
{
    port.Open();
    line->setContact(true);
    line->setContact(false);
    ASSERT_TRUE(awaitEvents(2));
    EXPECT_TRUE(dsrOn(0));
    EXPECT_FALSE(dsrOn(1));
}

TEST_F(CommBarrier, EdgesDuringABusyHandlerKeepTheirOwnTimeAndStatus)
{
    std::int64_t openedAt = 0;
    std::int64_t closedAgainAt = 0;
    std::int64_t busyUntil = 0;
    onDsr = [&](std::size_t n) {
        if (n != 1)
            return;
        // The window is busy with the first edge while the car leaves the
        // beam and the next one arrives.
        openedAt = line->setContact(false);
        closedAgainAt = line->setContact(true);
        QThread::msleep(kStallMs);
        busyUntil = monotonicNs();
    };
    port.Open();
    line->setContact(true);
    ASSERT_TRUE(awaitEvents(3));

    EXPECT_TRUE(dsrOn(0));
    EXPECT_FALSE(dsrOn(1));
    EXPECT_TRUE(dsrOn(2));
    // Timed at the edges, while the window was still busy.
    EXPECT_GE(seen[1].ticks, openedAt);
    EXPECT_LT(seen[1].ticks, busyUntil);
    EXPECT_GE(seen[2].ticks, closedAgainAt);
    EXPECT_LT(seen[2].ticks, busyUntil);
}

TEST_F(CommBarrier, AStalledWindowDoesNotMoveTheEdgeTime)
{
    port.Open();
    const std::int64_t closedAt = line->setContact(true);
    QThread::msleep(kStallMs); // the window is busy before the hand-over
    const std::int64_t busyUntil = monotonicNs();
    ASSERT_TRUE(awaitEvents(1));
    EXPECT_GE(seen[0].ticks, closedAt);
    EXPECT_LT(seen[0].ticks, busyUntil);
    EXPECT_GE(seen[0].handledAt, busyUntil);
}

TEST_F(CommBarrier, AnEdgeJustBeforeTheKernelLooksIsNotLeftAsleep)
{
    onDsr = [&](std::size_t n) {
        // The wait after this hand-over misses the edge that comes as it starts.
        if (n == 1)
            line->setFlags(KB_EDGE_AT_WAIT, true);
    };
    port.Open();
    line->setContact(true);
    ASSERT_TRUE(awaitEvents(1));
    // Nothing else moves the line; only the thread's own second look finds it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 2; }, 5000));
    EXPECT_FALSE(dsrOn(1));
    EXPECT_FALSE(line->contactClosed());
    EXPECT_LT(seen[1].ticks - line->lastChangeNs(), kPromptNs);
}

TEST_F(CommBarrier, UnpluggingIsReportedOnceAndThePortStillCloses)
{
    std::vector<QString> lost;
    int closes = 0;
    QObject::connect(&port, &TComPort::OnDeviceLost,
                     [&](TComPort*, const QString& reason) { lost.push_back(reason); });
    QObject::connect(&port, &TComPort::OnClose, [&](TComPort*) { ++closes; });
    port.Open();
    line->setContact(true);
    ASSERT_TRUE(awaitEvents(1));
    line->setContact(false);
    line->unplug();

    ASSERT_TRUE(QTest::qWaitFor([&] { return !lost.empty(); }, kWaitMs));
    TestSupport::drainEvents();
    EXPECT_EQ(lost, (std::vector<QString>{QStringLiteral("Input/output error")}));
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.ModemStatus(), 0u);

    port.Close();
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(closes, 1);
    TestSupport::drainEvents();
    EXPECT_EQ(lost.size(), 1u);
}

TEST_F(CommBarrier, CloseWithAHandoverPendingDoesNotHang)
{
    port.Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return line->waits() >= 1; }, kWaitMs));
    line->setContact(true);
    // Waiting again means the edge was handed over; nobody has taken it.
    const auto deadline = monotonicNs() + 20'000'000'000;
    while (line->waits() < 2 && monotonicNs() < deadline)
        std::this_thread::yield();
    ASSERT_GE(line->waits(), 2u);

    port.Close();
    TestSupport::drainEvents();
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(line->dtr());
}

// Drivers that lack the modem wait, the edge counters, or both.
class CommBarrierFallback : public CommBarrier, public ::testing::WithParamInterface<std::uint32_t>
{
};

TEST_P(CommBarrierFallback, EdgesStillArrive)
{
    line->setFlags(GetParam(), true);
    port.Open();
    for (std::size_t i = 0; i < 4; ++i) {
        const std::int64_t at = line->setContact(i % 2 == 0);
        ASSERT_TRUE(awaitEvents(i + 1));
        EXPECT_EQ(dsrOn(i), i % 2 == 0);
        EXPECT_LT(seen[i].ticks - at, kPromptNs);
    }
    if ((GetParam() & KB_NO_ICOUNT) == 0) {
        // With counters even a pulse shorter than the polling step counts.
        line->setContact(true);
        line->setContact(false);
        ASSERT_TRUE(awaitEvents(6));
        EXPECT_TRUE(dsrOn(4));
        EXPECT_FALSE(dsrOn(5));
    }
}

INSTANTIATE_TEST_SUITE_P(Drivers, CommBarrierFallback,
                         ::testing::Values(KB_NO_MIWAIT, KB_NO_ICOUNT,
                                           KB_NO_MIWAIT | KB_NO_ICOUNT));

TEST(CommBarrierProbe, NodesWithoutAUartAreNotOffered)
{
    auto board = BarrierBoard::attach(std::getenv("KELVATRON_BARRIER_STATE"));
    auto first = BarrierLine::create(*board, "ttyS0");
    auto empty = BarrierLine::create(*board, "ttyS1");
    auto adapter = BarrierLine::create(*board, "ttyUSB0");
    empty->setFlags(KB_NO_UART, true);
    QTemporaryDir dir;
    first->linkAs(dir.filePath(QStringLiteral("ttyS0")).toStdString());
    empty->linkAs(dir.filePath(QStringLiteral("ttyS1")).toStdString());
    adapter->linkAs(dir.filePath(QStringLiteral("ttyUSB0")).toStdString());

    EXPECT_EQ(PortProbe::ProbePorts(dir.path()), 0x00050011u);
}

} // namespace
