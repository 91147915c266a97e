// Prints how long the protocol's heavy operations take: loading a 10 MB
// protocol (with its crash copy), keeping that copy current afterwards, and
// saving a race day as a Word document through LibreOffice.
#include "protocol/LargeBuffers.h"
#include "protocol/LibreOfficeAutomation.h"
#include "protocol/LibreOfficeRunner.h"
#include "protocol/ProtocolController.h"
#include "protocol/ProtocolJournal.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

double millis(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

QByteArray raceLines(qint64 bytes)
{
    QByteArray out;
    for (int i = 0; out.size() < bytes; ++i) {
        if (i % 20 == 0)
            out += "\r\n     Nr.: " + QByteArray::number(i / 20) +
                   "\r\nH  Start: 00:00.00,00  14:05.03,07\r\n";
        else
            out += "A    Lap:     1.05,43  " + QByteArray::number(i % 20) + ".\r\n";
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    keepLargeBuffersResident(); // as the program does
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;

    QPlainTextEdit memo;
    memo.setReadOnly(true);
    memo.setLineWrapMode(QPlainTextEdit::NoWrap); // as in the main window
    ProtocolServices services;
    services.journalFolder = dir.filePath(QStringLiteral("journal"));
    services.programFolder = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(services.programFolder);
    QFile::copy(QStringLiteral(KELVATRON_TEMPLATE),
                services.programFolder + QStringLiteral("/Protokollvorlage.doc"));
    services.errorBox = [](const QString&, const QString& text) {
        std::printf("error: %s\n", qPrintable(text));
    };
    LibreOfficeAutomation::Options office;
    office.documentsFolder = dir.filePath(QStringLiteral("documents"));
    services.wordAutomation = LibreOfficeAutomation::factory(office, 120000);
    ProtocolControls controls;
    controls.Memo1 = &memo;
    ProtocolController controller(controls, services);

    const QString season = dir.filePath(QStringLiteral("season.txt"));
    QFile file(season);
    file.open(QIODevice::WriteOnly);
    file.write(raceLines(10 * 1000 * 1000));
    file.close();

    QElapsedTimer sinceOk;
    sinceOk.start();
    std::printf("load 10 MB protocol to a responsive window:   %8.1f ms\n",
                millis([&] { controller.loadTextFile(season); }));
    // The window goes on with its events while the document is built; the
    // longest of them is how long it stops answering.
    double longestEvent = 0;
    while (controller.memo().isLoading()) {
        longestEvent = std::max(
            longestEvent,
            millis([] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5); }));
    }
    std::printf("  until the loaded text is fully shown:       %8.1f ms\n",
                static_cast<double>(sinceOk.nsecsElapsed()) / 1e6);
    std::printf("  longest stop of the window meanwhile:       %8.1f ms\n", longestEvent);
    std::printf("lines loaded:                                 %8d\n",
                controller.memo().lineCount());
    for (int i = 0; i < 3; ++i) {
        std::printf("crash copy, line appended to it:              %8.2f ms\n",
                    millis([&] { controller.memo().appendLine(QStringLiteral("A    Lap:  1.")); }));
    }
    for (int i = 0; i < 3; ++i) {
        const int nr = controller.memo().lineCount() - 3;
        std::printf("crash copy, line near the end replaced:       %8.2f ms\n", millis([&] {
                        controller.memo().replaceLine(nr, QStringLiteral("     Nr.: %1").arg(i));
                    }));
    }
    // What STOPP does: the stop line, then the race's "Nr." line from START,
    // a few lines up, rewritten with what the edit holds now.
    for (int i = 0; i < 3; ++i) {
        const int nr = controller.memo().lineCount() - 20;
        std::printf("STOPP (stop line, \"Nr.\" line rewritten):     %8.2f ms\n", millis([&] {
                        controller.memo().appendLine(QStringLiteral("H  Stopp:     3.16,50"));
                        controller.memo().replaceLine(nr,
                                                      QStringLiteral("     Nr.: %1").arg(i + 7));
                    }));
    }
    // Page faults show whether the save's large buffers got fresh pages,
    // which costs more than the save itself and varies less than its time.
    for (int i = 0; i < 2; ++i) {
        const long faultsBefore = minorFaults();
        const double saveMillis =
            millis([&] { controller.saveTextFile(dir.filePath(QStringLiteral("out.txt"))); });
        std::printf("save 10 MB as text file:                      %8.1f ms, %ld page faults\n",
                    saveMillis, minorFaults() - faultsBefore);
    }

    // A file that is one line of 10 MB (no breaks at all), in a window that
    // is shown: the lines a race appends after it must cost what they cost
    // after a normal protocol. The first one also scrolls the area back from
    // the end of that line, once.
    const QString oneLine = dir.filePath(QStringLiteral("one-line.txt"));
    file.setFileName(oneLine);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray(10 * 1000 * 1000, 'x'));
    file.close();
    memo.resize(800, 400);
    memo.show();
    const auto shownAppend = [&] {
        return millis([&] {
            controller.memo().appendLine(QStringLiteral("A    Lap:  1."));
            QCoreApplication::processEvents();
        });
    };
    controller.loadTextFile(oneLine);
    while (!controller.memo().isSettled())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    std::printf("first line after a 10 MB single-line protocol:   %8.2f ms\n", shownAppend());
    for (int i = 0; i < 3; ++i)
        std::printf("appending a line after a 10 MB single-line protocol: %8.2f ms\n",
                    shownAppend());
    controller.memo().setText(QString::fromLatin1(raceLines(2000)));
    QCoreApplication::processEvents();
    for (int i = 0; i < 3; ++i)
        std::printf("appending a line after a short protocol, shown: %8.2f ms\n", shownAppend());
    memo.hide();

    if (LibreOfficeRunner::findProgram().isEmpty()) {
        std::printf("Word save: LibreOffice not installed\n");
        return 0;
    }
    controller.memo().setText(QString::fromLatin1(raceLines(60 * 1000))); // a busy race day
    const QString doc = dir.filePath(QStringLiteral("day.doc"));
    for (int i = 0; i < 3; ++i) {
        std::printf("Word save of %d lines (run %d):             %8.1f ms\n",
                    controller.memo().lineCount(), i + 1,
                    millis([&] { controller.RunWordExport(weSave, doc); }));
    }
    std::printf("Word document size: %lld bytes\n", static_cast<long long>(QFile(doc).size()));
    return 0;
}
