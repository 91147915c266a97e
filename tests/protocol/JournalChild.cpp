// Runs a race that never ends: appends protocol lines as fast as it can and
// rewrites the "Nr." line now and then, telling stdout about every change once
// it is on screen. The crash test kills it at a random moment. A program of
// its own, not a test: it has no tests to run, only a race to lose.
#include "protocol/ProtocolController.h"

#include <QApplication>
#include <QPlainTextEdit>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    QPlainTextEdit memo;
    ProtocolServices services;
    services.journalFolder = QString::fromLocal8Bit(argv[1]);
    const QString stamp = QString::fromLocal8Bit(argv[2]);
    services.fileTimestamp = [stamp] { return stamp; };
    ProtocolControls controls;
    controls.Memo1 = &memo;
    ProtocolController controller(controls, services);

    controller.memo().appendLine(QStringLiteral("     Nr.: 0"));
    std::printf("A      Nr.: 0\n");
    for (int i = 1; i < 200000; ++i) {
        QString text;
        if (i % 25 == 0) {
            text = QStringLiteral("     Nr.: %1").arg(i);
            controller.memo().replaceLine(0, text);
            std::printf("R %s\n", qPrintable(text));
        } else {
            text = QStringLiteral("A    Lap:     1.05,43  %1.").arg(i);
            controller.memo().appendLine(text);
            std::printf("A %s\n", qPrintable(text));
        }
        std::fflush(stdout);
        QCoreApplication::processEvents();
    }
    return 0;
}
