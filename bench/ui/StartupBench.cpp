// Prints how long the main window takes from construction to its first
// painted frame: once with the counter's real calibration (about 3 s on a
// processor with a time-stamp counter) and once with a platform that has no
// time-stamp counter, so nothing is calibrated.
//
// Run it under Xvfb or a real display; on the offscreen platform the window
// is "painted" into memory, which is faster than any screen.

#include "core/HighResPlatform.h"
#include "help/TFDlgYesNo.h"
#include "protocol/ProtocolServices.h"
#include "ui/main/TFormMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

double startToFirstPaint(bool withTsc, const QTemporaryDir& dir)
{
    TFormMainEnvironment env;
    env.programPath = dir.filePath(QStringLiteral("Kelvatron"));
    env.settingsFile = dir.filePath(QStringLiteral("Kelvatron.conf"));
    env.deviceFolder = dir.path();
    env.errorBox = [](const QString&) {};
    env.customiseProtocol = [&dir](ProtocolServices& services) {
        services.workingFolder = dir.path();
        services.journalFolder = dir.filePath(QStringLiteral("journal"));
    };
    if (!withTsc)
        env.counterPlatform.cpuHasTsc = [] { return false; };

    QElapsedTimer clock;
    clock.start();
    TFormMain form(env);
    QEventLoop loop;
    double painted = -1;
    QObject::connect(&form, &TFormMain::firstPaint, &loop, [&] {
        painted = clock.nsecsElapsed() / 1e6;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    form.show();
    loop.exec();
    return painted;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ortavin"));
    QApplication::setApplicationName(QStringLiteral("KelvatronBench"));
    QTemporaryDir dir;
    const bool tsc = HighResPlatform::system().cpuHasTsc();
    std::printf("platform: %s, time-stamp counter: %s\n", qPrintable(QApplication::platformName()),
                tsc ? "yes" : "no");
    // The first window of a process pays for loading fonts and styles; pass
    // "cold" to measure only the window without calibration, as the first.
    const bool coldOnly = argc > 1 && QByteArray(argv[1]) == "cold";
    if (!coldOnly)
        std::printf("start to first paint, with calibration:    %8.1f ms\n",
                    startToFirstPaint(true, dir));
    std::printf("start to first paint, without calibration: %8.1f ms%s\n",
                startToFirstPaint(false, dir), coldOnly ? " (first window of the process)" : "");
    return 0;
}
