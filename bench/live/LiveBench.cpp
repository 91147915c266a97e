// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what the live results cost the race in the real main window
// (offscreen): the latency from a STOPP to the last of 200 viewers, the
// window process's CPU with them beside the race alone, memory per viewer,
// and the display tick's worst delay with viewers and a flood of bad
// requests beside none. Viewers and the flood run in child processes (this
// program again), so their own work is not counted.
//
//   bench_live [seconds per phase, default 20] [viewers, default 200]
//              [milliseconds per race, default 1000]

#include "core/RaceControl.h"
#include "live/LiveService.h"
#include "protocol/ProtocolController.h"
#include "protocol/ProtocolMemo.h"
#include "protocol/ProtocolServices.h"
#include "ui/live/LiveController.h"
#include "ui/main/TFormMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t nowNs()
{
    // steady_clock is CLOCK_MONOTONIC here: one clock for both processes.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename Predicate> bool waitFor(Predicate done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        wait(10);
    }
    return true;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKiB()
{
    long pages = 0;
    long resident = 0;
    if (FILE* file = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(file);
    }
    return resident * 4;
}

// Child: `count` viewers; for each stop time seen, when the last of them got it.
int viewers(quint16 port, int count, int seconds)
{
    // "name/timeMs" of each stop -> (last arrival, viewers); the start number
    // steps with every race, so equal times of two races stay apart.
    std::map<QString, std::pair<std::int64_t, int>> stops;
    std::vector<std::unique_ptr<QWebSocket>> sockets;
    std::vector<QString> lastStop(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        sockets.push_back(std::make_unique<QWebSocket>());
        QObject::connect(
            sockets.back().get(), &QWebSocket::textMessageReceived, [&, i](const QString& text) {
                const std::int64_t arrived = nowNs();
                const QJsonObject race =
                    QJsonDocument::fromJson(text.toUtf8()).object().value("race").toObject();
                if (race.value("state").toString() != QLatin1String("gestoppt")) {
                    return;
                }
                const QString key = race.value("name").toString() + u'/' +
                                    QString::number(race.value("timeMs").toInt());
                if (lastStop[static_cast<std::size_t>(i)] == key) {
                    return;
                }
                lastStop[static_cast<std::size_t>(i)] = key;
                auto& [last, seen] = stops[key];
                last = std::max(last, arrived);
                ++seen;
            });
        QWebSocket* socket = sockets.back().get();
        // As the page does: a viewer turned away tries again a second later.
        QObject::connect(socket, &QWebSocket::disconnected, socket, [socket, port] {
            QTimer::singleShot(1000, socket, [socket, port] {
                socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(port)));
            });
        });
        socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(port)));
    }
    wait(seconds * 1000);
    for (const auto& [key, arrival] : stops) {
        std::printf("stop %s %lld %d\n", qPrintable(key), static_cast<long long>(arrival.first),
                    arrival.second);
    }
    std::fflush(stdout);
    return 0;
}

// Child: garbage, huge heads, heads never finished, a fresh one every 5 ms.
int flood(quint16 port, int seconds)
{
    std::vector<std::unique_ptr<QTcpSocket>> open;
    QTimer timer;
    int sent = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, port);
        QByteArray bytes;
        switch (sent++ % 4) {
        case 0:
            for (int i = 0; i < 512; ++i) {
                bytes.append(static_cast<char>(QRandomGenerator::global()->bounded(256)));
            }
            break;
        case 1:
            bytes = "GET / HTTP/1.1\r\nX: " + QByteArray(64 * 1024, 'a');
            break;
        case 2:
            bytes = "GET /../../etc/passwd%00 HTTP/1.1\r\n\r\n";
            break;
        default:
            bytes = "GET / HTTP/1.1\r\nHost: ";
            break;
        }
        socket->write(bytes);
        open.push_back(std::move(socket));
        if (open.size() > 300) {
            open.erase(open.begin());
        }
    });
    timer.start(5);
    wait(seconds * 1000);
    std::printf("flood %d\n", sent);
    return 0;
}

QString protocolOf(int competitors)
{
    QStringList lines;
    for (int i = 1; i <= competitors; ++i) {
        const int ms = 30'000 + (i * 7919) % 30'000;
        lines << QStringLiteral("     Nr.: %1").arg(i)
              << QStringLiteral("H  Start: 00:00.00,00  9:00.00,00")
              << QStringLiteral("H  Stopp: %1  9:00.%2,%3")
                     .arg(QString::fromStdString(Results::formatTime(ms, 2)), 11)
                     .arg(ms / 1000, 2, 10, QLatin1Char('0'))
                     .arg(ms % 1000 / 10, 2, 10, QLatin1Char('0'))
              << QString();
    }
    return lines.join(u'\n') + u'\n';
}

struct Phase
{
    double cpu = 0;
    double worstTickDelayMs = 0;
    std::vector<std::pair<QString, std::int64_t>> stops; // "name/timeMs", when STOPP was pressed
};

// Races one after another, each `raceMs` long: START, LAP at 30 %, STOPP at
// 70 %, reset at 90 %, by the window's own menu items.
int g_raceMs = 1000;

Phase race(TFormMain& form, int seconds)
{
    Phase phase;
    std::int64_t lastTick = 0;
    const auto tick = QObject::connect(form.ui().Clock, &QTimer::timeout, [&] {
        const std::int64_t now = nowNs();
        if (lastTick != 0) {
            phase.worstTickDelayMs =
                std::max(phase.worstTickDelayMs, static_cast<double>(now - lastTick) / 1e6 - 10.0);
        }
        lastTick = now;
    });
    const double cpuBefore = cpuSeconds();
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        lastTick = 0;
        form.ui().mStart->trigger();
        wait(g_raceMs * 3 / 10);
        form.ui().mSplit->trigger();
        wait(g_raceMs * 4 / 10);
        const std::int64_t pressed = nowNs();
        form.ui().mStop->trigger();
        phase.stops.emplace_back(form.ui().editStartN->text() + u'/' +
                                     QString::number(form.race().CalcMS(form.race().StopTicks() -
                                                                        form.race().StartTicks())),
                                 pressed);
        wait(g_raceMs * 2 / 10);
        form.ui().mReset->trigger();
        wait(g_raceMs / 10);
    }
    phase.cpu = cpuSeconds() - cpuBefore;
    QObject::disconnect(tick);
    return phase;
}

QProcess* child(const QStringList& arguments)
{
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The phones and the attacker are other machines on a real network:
    // here they run at the lowest priority, so they take from the window
    // only what this 2-core machine cannot give them otherwise.
    process->start(QStringLiteral("nice"), QStringList{QStringLiteral("-n"), QStringLiteral("19"),
                                                       QCoreApplication::applicationFilePath()} +
                                               arguments);
    process->waitForStarted();
    return process;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1,
                           static_cast<std::size_t>(p * static_cast<double>(values.size())))];
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i) {
            list << QString::fromLocal8Bit(argv[i]);
        }
        return list;
    }();
    if (args.size() == 4 && args[0] == QLatin1String("viewers")) {
        QCoreApplication app(argc, argv);
        return viewers(static_cast<quint16>(args[1].toUInt()), args[2].toInt(), args[3].toInt());
    }
    if (args.size() == 3 && args[0] == QLatin1String("flood")) {
        QCoreApplication app(argc, argv);
        return flood(static_cast<quint16>(args[1].toUInt()), args[2].toInt());
    }
    const int seconds = args.isEmpty() ? 20 : args[0].toInt();
    const int viewerCount = args.size() < 2 ? 200 : args[1].toInt();
    g_raceMs = args.size() < 3 ? 1000 : std::max(100, args[2].toInt());

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ortavin"));
    QApplication::setApplicationName(QStringLiteral("KelvatronBench"));
    QTemporaryDir dir;
    TFormMainEnvironment env;
    env.programPath = dir.filePath(QStringLiteral("Kelvatron"));
    env.settingsFile = dir.filePath(QStringLiteral("Kelvatron.conf"));
    env.deviceFolder = dir.path();
    env.errorBox = [](const QString&) {};
    env.counterPlatform.cpuHasTsc = [] { return false; };
    env.customiseProtocol = [&dir](ProtocolServices& services) {
        services.workingFolder = dir.path();
        services.journalFolder = dir.filePath(QStringLiteral("journal"));
    };
    TFormMain form(env);
    form.show();
    form.protocol().memo().setText(protocolOf(100));

    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    form.live().setPort(port);
    form.live().setActive(true);
    if (!waitFor([&] { return form.live().service().isRunning(); }, 5000)) {
        std::printf("the live results did not start: %s\n",
                    qPrintable(form.live().service().error()));
        return 1;
    }
    std::printf("platform %s, 100 competitors in the list, %d s per phase, a race every %d ms\n",
                qPrintable(QApplication::platformName()), seconds, g_raceMs);

    const Phase alone = race(form, seconds);

    const long before = residentKiB();
    QProcess* watchers = child({QStringLiteral("viewers"), QString::number(port),
                                QString::number(viewerCount), QString::number(2 * seconds + 15)});
    if (!waitFor([&] { return form.live().service().viewers() == viewerCount; }, 30000)) {
        std::printf("only %d of %d viewers connected\n", form.live().service().viewers(),
                    viewerCount);
    }
    wait(1000);
    const long connected = residentKiB();
    const Phase watched = race(form, seconds);
    QProcess* attack =
        child({QStringLiteral("flood"), QString::number(port), QString::number(seconds)});
    const Phase flooded = race(form, seconds);
    attack->waitForFinished(30000);
    const QByteArray floodOut = attack->readAllStandardOutput();
    const long after = residentKiB();
    watchers->waitForFinished(60000);

    std::map<QString, std::pair<std::int64_t, int>> arrivals;
    for (const QByteArray& line : watchers->readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 4 && parts[0] == "stop") {
            arrivals[QString::fromUtf8(parts[1])] = {parts[2].toLongLong(), parts[3].toInt()};
        }
    }
    std::vector<double> latencies;
    int incomplete = 0;
    for (const Phase* phase : {&watched, &flooded}) {
        for (const auto& [key, pressed] : phase->stops) {
            const auto found = arrivals.find(key);
            if (found == arrivals.end() || found->second.second < viewerCount) {
                ++incomplete;
                continue;
            }
            latencies.push_back(static_cast<double>(found->second.first - pressed) / 1e6);
        }
    }

    std::printf("race alone:            CPU %.2f s in %d s, worst tick delay %.2f ms\n", alone.cpu,
                seconds, alone.worstTickDelayMs);
    std::printf("race + %d viewers:    CPU %.2f s in %d s (%.2fx), worst tick delay %.2f ms\n",
                viewerCount, watched.cpu, seconds, alone.cpu > 0 ? watched.cpu / alone.cpu : 0.0,
                watched.worstTickDelayMs);
    std::printf("race + viewers + flood (%s): CPU %.2f s, worst tick delay %.2f ms\n",
                floodOut.trimmed().constData(), flooded.cpu, flooded.worstTickDelayMs);
    std::printf("STOPP to the last viewer: p50 %.1f ms, p95 %.1f ms, worst %.1f ms over %zu stops "
                "(%d stops not seen by every viewer)\n",
                percentile(latencies, 0.5), percentile(latencies, 0.95), percentile(latencies, 1.0),
                latencies.size(), incomplete);
    std::printf("memory: %.1f KiB per viewer once connected (%.1f KiB at the end)\n",
                static_cast<double>(connected - before) / viewerCount,
                static_cast<double>(after - before) / viewerCount);
    delete attack;
    delete watchers;
    return 0;
}
