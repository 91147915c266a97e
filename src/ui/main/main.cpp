// Program entry: the application, then the main window and the dialogs that
// live as long as it, in this order, then the message loop.

#include "help/Pictures.h"
#include "help/TFDlgYesNo.h"
#include "help/TFormInfo.h"
#include "help/THelpSystem.h"
#include "ui/main/TFormMain.h"

#include <QApplication>
#include <QMessageBox>

#include <memory>

#include <exception>

namespace {

// Exceptions that reach the message loop are shown in the standard error box
// and the loop goes on, so one failing command never ends a race day.
class KelvatronApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            QMessageBox::critical(activeWindow(), applicationDisplayName(),
                                  QString::fromUtf8(error.what()));
        } catch (...) {
            QMessageBox::critical(activeWindow(), applicationDisplayName(),
                                  QStringLiteral("Unbekannter Fehler"));
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    KelvatronApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvatron"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kelvatron"));
    QApplication::setOrganizationName(QStringLiteral("Ortavin"));
    QApplication::setWindowIcon(Pictures::applicationIcon());

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
    form->setDialogs(new TFDlgYesNo(form.get(), QStringLiteral("Kelvatron")),
                     new TFormInfo(form.get()));
    form->setHelpSystem(&help);
    form->show();

    const int result = app.exec();
    // The window's destruction writes the settings, closes the port and
    // writes the exit copy; the dialogs go after it.
    form.reset();
    return result;
}
