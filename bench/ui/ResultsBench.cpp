// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what the open results list costs the window thread: a refresh after
// a race's lines at 100, 500 and 2,000 competitors and in a protocol of about
// 10 MB, and, for that protocol loaded at once, the longest the window was
// held up while the list read it.

#include "protocol/ProtocolController.h"
#include "protocol/ProtocolMemo.h"
#include "protocol/ProtocolServices.h"
#include "ui/main/TFormMain.h"
#include "ui/results/ResultsFeed.h"
#include "ui/results/ResultsWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// One run as the race control writes it, started at 10:00 and `raceMs` long.
QStringList runLines(int competitor, int raceMs)
{
    const int stop = raceMs;
    return {
        QStringLiteral("     Nr.: %1").arg(competitor),
        QStringLiteral("H  Start: 00:00.00,00  10:00.00,00"),
        QStringLiteral("H  Stopp: %1  10:%2.%3,%4")
            .arg(QString::fromStdString(Results::formatTime(raceMs, 2)), 11)
            .arg(twoDigits(stop / 60000), twoDigits(stop / 1000 % 60), twoDigits(stop % 1000 / 10)),
        QString()};
}

QString protocol(int competitors, int runs)
{
    QStringList lines;
    for (int i = 0; i < runs; ++i)
        lines += runLines(i % competitors + 1, 30'000 + (i * 7919) % 30'000);
    return lines.join(u'\n') + u'\n';
}

struct Figures
{
    double medianMs = 0;
    double worstMs = 0;
};

// Until the list shows the protocol as it is; the longest single turn of the
// event loop is what a key pressed meanwhile would have waited.
double settle(ResultsWindow& list, double* longestTurnMs = nullptr)
{
    QElapsedTimer total;
    total.start();
    double longest = 0;
    while (!list.feed().isCurrent()) {
        QElapsedTimer turn;
        turn.start();
        QApplication::processEvents();
        longest = std::max(longest, turn.nsecsElapsed() / 1e6);
    }
    list.table()->viewport()->repaint();
    if (longestTurnMs)
        *longestTurnMs = longest;
    return total.nsecsElapsed() / 1e6;
}

// A race run during the event: START writes "Nr." and START, STOPP writes
// its line and the "Nr." line again. Each refresh is timed from the lines
// written to the list read, ranked and painted.
Figures refresh(TFormMain& form, int competitors, int runs)
{
    ProtocolMemo& memo = form.protocol().memo();
    memo.setText(protocol(competitors, runs));
    ResultsWindow& list = *form.resultsWindow();
    settle(list);
    std::vector<double> times;
    for (int i = 0; i < 21; ++i) {
        const QStringList lines = runLines(i % competitors + 1, 20'000 + i * 10);
        memo.appendLine(lines[0]);
        const int nrLine = memo.lineCount() - 1;
        memo.appendLine(lines[1]);
        memo.appendLine(lines[2]);
        memo.replaceLine(nrLine, lines[0]);
        // The protocol's own work for the lines (its area, the crash copy)
        // is not the list's.
        QApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        settle(list);
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

} // namespace

int main(int argc, char** argv)
{
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
    form.resultsWindow()->showAndRaise();
    std::printf("platform: %s\n", qPrintable(QApplication::platformName()));

    for (const int competitors : {100, 500, 2000}) {
        const Figures f = refresh(form, competitors, competitors);
        std::printf("refresh, %5d rows, %7d lines: median %7.2f ms, worst %7.2f ms\n", competitors,
                    competitors * 4, f.medianMs, f.worstMs);
    }
    const int runs = 95'000;
    const QString large = protocol(2000, runs);
    std::printf("protocol of %.1f MB, %lld lines\n", large.size() / 1e6,
                static_cast<long long>(large.count(u'\n')));
    const Figures f = refresh(form, 2000, runs);
    std::printf("refresh, %5d rows, %7d lines: median %7.2f ms, worst %7.2f ms\n", 2000, runs * 4,
                f.medianMs, f.worstMs);

    // The whole protocol replaced, as a file opened at once does.
    ProtocolMemo& memo = form.protocol().memo();
    memo.setText(QString());
    settle(*form.resultsWindow());
    memo.setText(large);
    double longest = 0;
    const double whole = settle(*form.resultsWindow(), &longest);
    std::printf("whole protocol read again: %.0f ms in all, longest turn %.2f ms\n", whole,
                longest);
    return 0;
}
