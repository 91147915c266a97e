#include "CommTestSupport.h"
#include "FakeSerialDevice.h"

#include "comm/ComDeviceMap.h"
#include "comm/ComErrors.h"
#include "comm/TComPort.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/stat.h>

#include <string>
#include <thread>
#include <vector>

namespace {

class CommPort : public ::testing::Test
{
protected:
    CommPort()
    {
        port.setDeviceFactory([line = line] { return std::make_unique<FakeSerialDevice>(line); });
        port.setDeviceFolder(QStringLiteral("/fake/dev"));
        QObject::connect(&port, &TComPort::OnOpen, [this](TComPort*) { log.push_back("open"); });
        QObject::connect(&port, &TComPort::OnClose, [this](TComPort*) { log.push_back("close"); });
    }

    void recordDsr()
    {
        QObject::connect(&port, &TComPort::OnDSR, [this](TComPort* sender) {
            dsr.push_back({sender->ModemStatus(), sender->LastEventTicks()});
        });
    }

    struct Seen
    {
        std::uint32_t status;
        std::int64_t ticks;
    };

    std::shared_ptr<FakeLine> line = std::make_shared<FakeLine>();
    std::vector<std::string> log;
    std::vector<Seen> dsr;
    // Last, so its closing handlers still find the records above.
    TComPort port;
};

TEST_F(CommPort, WaitMaskFollowsTheSelectedEvents)
{
    EXPECT_EQ(EventMask(TEvents{evDSR}), 0x10u);
    EXPECT_EQ(EventMask(TEvents::all()), 0x1FFu);
    EXPECT_EQ(EventMask(TEvents{evCTS, evRLSD}), 0x28u);

    port.setEvents({evDSR});
    port.Open();
    EXPECT_EQ(line->mask, 0x10u);
    port.setEvents(TEvents::all());
    port.Open();
    EXPECT_EQ(line->mask, 0x1FFu);
}

TEST_F(CommPort, DataBitsAreClampedToFiveThroughEight)
{
    port.setDataBits(9);
    EXPECT_EQ(port.DataBits(), 8);
    port.setDataBits(4);
    EXPECT_EQ(port.DataBits(), 5);
    port.setDataBits(7);
    EXPECT_EQ(port.DataBits(), 7);
}

TEST_F(CommPort, PropertiesReachTheDeviceOnOpen)
{
    port.setPort(3);
    port.setWriteBufSize(64);
    port.setReadBufSize(64);
    port.setBaudRate(brUser);
    port.setBaudRateUser(28800);
    port.setDataBits(5);
    port.setFlowControl(fcRtsCts);
    port.Open();

    EXPECT_EQ(line->path, QStringLiteral("/fake/dev/ttyS2"));
    const LineSettings& s = line->settings;
    EXPECT_EQ(s.baudRate, 28800);
    EXPECT_EQ(s.dataBits, 5);
    EXPECT_EQ(s.xonLim, 16);
    EXPECT_EQ(s.xoffLim, 1);
    EXPECT_EQ(s.xonChar, 0x11);
    EXPECT_EQ(s.xoffChar, 0x13);
    EXPECT_EQ(s.readBufSize, 64);
    EXPECT_TRUE(s.dtr);
    EXPECT_EQ(s.flags, 0x2015u); // binary, DTR enabled, CTS output flow, RTS handshake

    port.setBaudRate(br56000);
    port.setFlowControl(fcNone);
    port.setEnableDTR(false);
    port.Open();
    EXPECT_EQ(line->settings.baudRate, 56000);
    EXPECT_EQ(line->settings.flags, 0x0001u);
}

TEST_F(CommPort, PortNumbersMapToDeviceNames)
{
    EXPECT_EQ(ComDeviceMap::deviceName(1), QStringLiteral("ttyS0"));
    EXPECT_EQ(ComDeviceMap::deviceName(3), QStringLiteral("ttyS2"));
    EXPECT_EQ(ComDeviceMap::deviceName(5), QStringLiteral("ttyUSB0"));
    EXPECT_EQ(ComDeviceMap::deviceName(12), QStringLiteral("ttyUSB7"));
    EXPECT_EQ(ComDeviceMap::deviceName(13), QStringLiteral("ttyACM0"));
    EXPECT_EQ(ComDeviceMap::deviceName(16), QStringLiteral("ttyACM3"));
    EXPECT_TRUE(ComDeviceMap::deviceName(0).isEmpty());
    EXPECT_TRUE(ComDeviceMap::deviceName(17).isEmpty());

    for (int number : {0, 17}) {
        port.setPort(number);
        try {
            port.Open();
            FAIL() << "port " << number << " opened";
        } catch (const EComHandle& e) {
            EXPECT_EQ(e.message(),
                      QStringLiteral("Unable to open com port: No such file or directory"));
        }
        EXPECT_FALSE(port.Connected());
    }
    EXPECT_EQ(line->opens, 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(CommPort, ReopeningClosesFirstAndClosingTwiceIsQuiet)
{
    port.Open();
    port.Open();
    EXPECT_EQ(log, (std::vector<std::string>{"open", "close", "open"}));
    EXPECT_EQ(line->opens, 2);
    EXPECT_EQ(line->closes, 1);

    port.Close();
    port.Close();
    EXPECT_EQ(log, (std::vector<std::string>{"open", "close", "open", "close"}));
    EXPECT_EQ(line->closes, 2);
    EXPECT_FALSE(port.Connected());
}

TEST_F(CommPort, FailedOpenLeavesThePortClosed)
{
    line->openError = [] { throw EComState(QStringLiteral("Unable to set com state: x")); };
    EXPECT_THROW(port.Open(), EComState);
    EXPECT_FALSE(port.Connected());
    port.Close();
    EXPECT_TRUE(log.empty());
}

TEST_F(CommPort, NeverOpensTheConsoleLineWhateverTheNumberSays)
{
    QTemporaryDir dir;
    CommTest::Pty console;
    CommTest::Pty free;
    ASSERT_TRUE(QFile::link(console.slave(), dir.filePath(QStringLiteral("ttyS0"))));
    ASSERT_TRUE(QFile::link(free.slave(), dir.filePath(QStringLiteral("ttyS1"))));
    struct stat info = {};
    ASSERT_EQ(stat(console.slave().toLocal8Bit().constData(), &info), 0);
    port.setDeviceFolder(dir.path());
    port.setConsoleLookup([rdev = info.st_rdev] { return QSet<dev_t>{rdev}; });

    port.setPort(1);
    try {
        port.Open();
        ADD_FAILURE() << "the console line was opened";
    } catch (const EComHandle& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Unable to open com port: ")));
    }
    EXPECT_EQ(line->opens, 0) << "not even opened to be closed again";
    EXPECT_FALSE(port.Connected());

    port.setPort(2);
    port.Open();
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(line->path, dir.filePath(QStringLiteral("ttyS1")));
}

TEST_F(CommPort, OneEventRaisesItsHandlersInTheFixedOrder)
{
    std::vector<std::string> order;
    int inQue = -1;
    QObject::connect(&port, &TComPort::OnRxChar, [&](TComPort*, int n) {
        order.push_back("RxChar");
        inQue = n;
    });
    auto note = [&](const char* name) {
        return [&order, name](TComPort*) { order.push_back(name); };
    };
    QObject::connect(&port, &TComPort::OnTxEmpty, note("TxEmpty"));
    QObject::connect(&port, &TComPort::OnBreak, note("Break"));
    QObject::connect(&port, &TComPort::OnRing, note("Ring"));
    QObject::connect(&port, &TComPort::OnCTS, note("CTS"));
    QObject::connect(&port, &TComPort::OnDSR, note("DSR"));
    QObject::connect(&port, &TComPort::OnRxFlag, note("RxFlag"));
    QObject::connect(&port, &TComPort::OnRLSD, note("RLSD"));
    QObject::connect(&port, &TComPort::OnError, note("Error"));
    line->inQue = 7;
    port.Open();

    line->push({{ComMask::Dsr | ComMask::Cts, 0x30}}, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 2; }, kWaitMs));
    EXPECT_EQ(order, (std::vector<std::string>{"CTS", "DSR"}));

    order.clear();
    line->push({{0x1FF, 0}}, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 9; }, kWaitMs));
    EXPECT_EQ(order, (std::vector<std::string>{"RxChar", "TxEmpty", "Break", "Ring", "CTS", "DSR",
                                               "RxFlag", "RLSD", "Error"}));
    EXPECT_EQ(inQue, 7);
}

TEST_F(CommPort, HandlersSeeTheStatusAndTimeOfTheirOwnEdge)
{
    recordDsr();
    line->status = ModemBits::Cts; // where the line is by the time the window looks
    port.Open();
    // Two edges reported by one wait: a pulse that came and went.
    line->push({{ComMask::Dsr, ModemBits::Dsr}, {ComMask::Dsr, 0}}, 1000);
    line->push({{ComMask::Dsr, ModemBits::Dsr}}, 2000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dsr.size() == 3; }, kWaitMs));

    EXPECT_EQ(dsr[0].status, ModemBits::Dsr);
    EXPECT_EQ(dsr[1].status, 0u);
    EXPECT_EQ(dsr[2].status, ModemBits::Dsr);
    EXPECT_EQ(dsr[0].ticks, 1000);
    EXPECT_EQ(dsr[1].ticks, 1000);
    EXPECT_EQ(dsr[2].ticks, 2000);
    // Outside a handler the port asks the device.
    EXPECT_EQ(port.ModemStatus(), ModemBits::Cts);
}

// A window busy on every core must not make the edge's time wait: the event
// thread, and only it, waits with real-time scheduling where that is allowed.
TEST_F(CommPort, EventThreadAloneWaitsInRealTimeWhereAllowed)
{
    bool allowed = false;
    std::thread([&allowed] {
        sched_param param{};
        param.sched_priority = 1;
        allowed = sched_setscheduler(0, SCHED_FIFO, &param) == 0;
    }).join();
    if (!allowed)
        GTEST_SKIP() << "real-time scheduling is not allowed here";

    port.Open();
    ASSERT_TRUE(line->awaitWaits(1));
    EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER);
    std::lock_guard lock(line->mutex);
    EXPECT_EQ(line->waitPolicy & ~SCHED_RESET_ON_FORK, SCHED_FIFO);
}

TEST_F(CommPort, CloseWithAHandoverPendingDropsIt)
{
    recordDsr();
    port.Open();
    ASSERT_TRUE(line->awaitWaits(1));
    line->push({{ComMask::Dsr, ModemBits::Dsr}}, 1);
    // Back in its wait: the event thread has handed the edge over.
    ASSERT_TRUE(line->awaitWaits(2));

    port.Close();
    TestSupport::drainEvents();
    EXPECT_TRUE(dsr.empty());
    EXPECT_EQ(log, (std::vector<std::string>{"open", "close"}));

    // The next session starts clean.
    port.Open();
    line->push({{ComMask::Dsr, 0}}, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dsr.size() == 1; }, kWaitMs));
    EXPECT_EQ(dsr[0].ticks, 2);
}

TEST_F(CommPort, ClosingFromAHandlerEndsTheEvent)
{
    int dsrCount = 0;
    QObject::connect(&port, &TComPort::OnCTS, [&](TComPort* p) { p->Close(); });
    QObject::connect(&port, &TComPort::OnDSR, [&](TComPort*) { ++dsrCount; });
    port.Open();
    line->push({{ComMask::Cts | ComMask::Dsr, 0}}, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !port.Connected(); }, kWaitMs));
    TestSupport::drainEvents();
    EXPECT_EQ(dsrCount, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"open", "close"}));
}

TEST_F(CommPort, ALostDeviceIsReportedOnceAfterItsEvents)
{
    recordDsr();
    std::vector<QString> lost;
    QObject::connect(&port, &TComPort::OnDeviceLost, [&](TComPort*, const QString& reason) {
        lost.push_back(reason);
        EXPECT_EQ(dsr.size(), 1u); // the edge seen before the failure came first
    });
    port.Open();
    line->push({{ComMask::Dsr, ModemBits::Dsr}}, 5);
    line->fail(QStringLiteral("Input/output error"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lost.empty(); }, kWaitMs));
    TestSupport::drainEvents();

    EXPECT_EQ(lost, (std::vector<QString>{QStringLiteral("Input/output error")}));
    EXPECT_TRUE(port.Connected());
    port.Close();
    EXPECT_EQ(log, (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(lost.size(), 1u);
}

// The real device backend on files that are no serial lines.
class CommPortErrors : public ::testing::Test
{
protected:
    CommPortErrors()
    {
        port.setDeviceFolder(dir.path());
        port.setPort(1);
        QObject::connect(&port, &TComPort::OnOpen, [this](TComPort*) { ++events; });
        QObject::connect(&port, &TComPort::OnClose, [this](TComPort*) { ++events; });
    }

    QString openError()
    {
        try {
            port.Open();
        } catch (const EComError& e) {
            return e.message();
        }
        return QStringLiteral("opened");
    }

    QTemporaryDir dir;
    int events = 0;
    TComPort port;
};

TEST_F(CommPortErrors, AMissingDeviceIsAHandleError)
{
    const int before = CommTest::openDescriptors();
    EXPECT_THROW(port.Open(), EComHandle);
    EXPECT_EQ(openError(), QStringLiteral("Unable to open com port: No such file or directory"));
    EXPECT_EQ(CommTest::openDescriptors(), before);
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(events, 0);
}

TEST_F(CommPortErrors, ARefusedLineIsAStateErrorAndLeavesNothingOpen)
{
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), dir.filePath(QStringLiteral("ttyS0"))));
    const int before = CommTest::openDescriptors();
    EXPECT_THROW(port.Open(), EComState);
    EXPECT_EQ(openError(),
              QStringLiteral("Unable to set com state: Inappropriate ioctl for device"));
    EXPECT_EQ(CommTest::openDescriptors(), before);
    EXPECT_FALSE(port.Connected());
    port.Close();
    EXPECT_EQ(events, 0);

    port.setBaudRate(brUser);
    port.setBaudRateUser(0);
    EXPECT_EQ(openError(), QStringLiteral("Unable to set com state: Invalid argument"));
    EXPECT_EQ(CommTest::openDescriptors(), before);
}

} // namespace
