// Program entry: the application, then the main window and the dialogs that
// live as long as it, in this order, then the message loop.

#include "help/TFDlgYesNo.h"
#include "help/TFormInfo.h"
#include "help/THelpSystem.h"
#include "protocol/LargeBuffers.h"
#include "ui/main/InstallationCheck.h"
#include "ui/main/KelvatronApplication.h"
#include "ui/main/TFormMain.h"

#include <QTimer>

#include <memory>

int main(int argc, char* argv[])
{
    keepLargeBuffersResident();
    // On X11, Qt hands painted pixels to the server in shared memory and,
    // before painting over an area the server may still be reading, waits for
    // a round trip. A running race repaints the same digit every 10 ms, so
    // each tick paid that round trip and woke the window's thread and Qt's X
    // thread once more. The few kilobytes of a changed digit cost less sent
    // through the socket. A choice made in the environment stays.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    KelvatronApplication app(argc, argv);

    THelpSystem help;
    help.LoadHelpLibrary();

    TFormMainEnvironment environment;
    // The barrier harness points the program at its own device folder.
    const QByteArray deviceFolder = qgetenv("KELVATRON_DEVICE_DIR");
    if (!deviceFolder.isEmpty())
        environment.deviceFolder = QString::fromLocal8Bit(deviceFolder);

    auto form = std::make_unique<TFormMain>(environment);
    // The dialogs are the window's children: they centre on it and go with it.
    form->createSettingsDialog();
    form->setDialogs(new TFDlgYesNo(form.get(), KelvatronApplication::title()),
                     new TFormInfo(form.get()));
    form->setHelpSystem(&help);
    form->show();

    int checkResult = 0;
    const bool checking =
        QCoreApplication::arguments().contains(QLatin1String(InstallationCheck::kOption));
    if (checking) {
        QTimer::singleShot(0, form.get(), [&form, &checkResult] {
            checkResult = InstallationCheck::report(*form);
            form->close();
        });
    }

    int result = app.exec();
    if (checking && result == 0)
        result = checkResult;
    // The window's destruction writes the settings, closes the port and
    // writes the exit copy; the dialogs go after it.
    form.reset();
    return result;
}
