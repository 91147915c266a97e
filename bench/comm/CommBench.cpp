// Latency of the barrier input through the real tty backend, on a
// pseudo-terminal with modem lines from the barrier harness:
//   edge -> timestamp: from the harness changing DSR to the counter reading
//                      the port's event thread took for that edge;
//   hand-over:         from that reading to the DSR handler running on the
//                      GUI thread, with the GUI idle and with the GUI busy;
// each with the event thread an ordinary thread and with it asking for
// real-time scheduling.
#include "BarrierLine.h"
#include "BarrierPreload.h"
#include "comm/RealtimeScheduling.h"
#include "comm/TComPort.h"
#include "comm/TComThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kEdges = 2000;

std::int64_t nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

void report(const char* what, std::vector<std::int64_t> ns)
{
    std::sort(ns.begin(), ns.end());
    auto at = [&](double q) { return ns[static_cast<std::size_t>(q * (ns.size() - 1))] / 1000.0; };
    std::printf("%-34s p50 %8.1f us   p99 %8.1f us   max %8.1f us   (n=%zu)\n", what, at(0.5),
                at(0.99), ns.back() / 1000.0, ns.size());
}

struct Run
{
    std::vector<std::int64_t> setAt = std::vector<std::int64_t>(kEdges);
    std::vector<std::int64_t> stamped = std::vector<std::int64_t>(kEdges);
    std::vector<std::int64_t> handled = std::vector<std::int64_t>(kEdges);
};

// One edge at a time, each after the previous one was handled and a random
// pause, so every edge finds the event thread asleep in its wait.
Run measure(TComPort& port, BarrierLine& line, bool busyGui, bool realtime)
{
    Run run;
    std::atomic<int> count{0};
    auto connection = QObject::connect(&port, &TComPort::OnDSR, [&](TComPort* sender) {
        const int i = count.load();
        if (i < kEdges) {
            run.stamped[i] = sender->LastEventTicks();
            run.handled[i] = nowNs();
        }
        count.store(i + 1);
    });

    // A busy window: 4 ms of work in every 5 ms.
    QTimer busy;
    busy.setInterval(5);
    QObject::connect(&busy, &QTimer::timeout, [] {
        const std::int64_t until = nowNs() + 4'000'000;
        while (nowNs() < until) {
        }
    });
    if (busyGui)
        busy.start();

    std::thread toggler([&] {
        // The harness takes the edge's time before it wakes the port's
        // thread; an ordinary toggler preempted in between by the busy
        // window would charge its own wait to the port. Real-time like the
        // port's thread, it measures the port alone; it sleeps rather than
        // spins while it waits, so it never keeps the window off a core.
        if (realtime)
            RealtimeScheduling::raiseCurrentThread();
        std::mt19937 random(7);
        bool closed = line.contactClosed();
        for (int i = 0; i < kEdges; ++i) {
            while (count.load() < i)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            std::this_thread::sleep_for(std::chrono::microseconds(200 + random() % 800));
            closed = !closed;
            run.setAt[i] = line.setContact(closed);
        }
    });
    while (count.load() < kEdges)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    toggler.join();
    busy.stop();
    QObject::disconnect(connection);
    return run;
}

void print(const char* label, const Run& run)
{
    std::vector<std::int64_t> stamp, handover;
    for (int i = 0; i < kEdges; ++i) {
        stamp.push_back(run.stamped[i] - run.setAt[i]);
        handover.push_back(run.handled[i] - run.stamped[i]);
    }
    std::printf("%s\n", label);
    report("  edge -> timestamp", stamp);
    report("  timestamp -> DSR handler", handover);
}

} // namespace

int main(int argc, char** argv)
{
    BarrierPreload::ensure(argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int result = 0;
    {
        QCoreApplication app(argc, argv);
        auto board = BarrierBoard::attach(std::getenv("KELVATRON_BARRIER_STATE"));
        auto line = BarrierLine::create(*board, "ttyS0");
        QTemporaryDir dir;
        line->linkAs(dir.filePath(QStringLiteral("ttyS0")).toStdString());

        bool allowed = false;
        std::thread([&allowed] { allowed = RealtimeScheduling::raiseCurrentThread(); }).join();
        std::printf("real-time scheduling %s here\n\n", allowed ? "allowed" : "NOT allowed");

        for (const bool realtime : {false, true}) {
            TComThread::setRealtimeWanted(realtime);
            TComPort port;
            port.setDeviceFolder(dir.path());
            port.setPort(1);
            port.setEvents({evDSR});
            port.setDataBits(5);
            port.setCounter(nowNs);
            port.Open();
            std::printf("--- event thread %s ---\n",
                        realtime ? "asking for real-time scheduling" : "an ordinary thread");
            print("GUI idle:", measure(port, *line, false, realtime));
            print("GUI busy (4 ms of every 5 ms):", measure(port, *line, true, realtime));
            port.Close();
        }
    }
    BarrierPreload::cleanUp();
    return result;
}
