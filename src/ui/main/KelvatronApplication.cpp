#include "ui/main/KelvatronApplication.h"

#include "help/Pictures.h"

#include <QMessageBox>

#include <exception>

KelvatronApplication::KelvatronApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // No display name: X11 would append it to every window title, and the
    // titles are the captions alone ("Kelvatron 3.0", "Einstellungen", ...).
    setApplicationName(title());
    setOrganizationName(QStringLiteral("Ortavin"));
    setWindowIcon(Pictures::applicationIcon());
}

bool KelvatronApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        QMessageBox::critical(activeWindow(), title(), QString::fromUtf8(error.what()));
    } catch (...) {
        QMessageBox::critical(activeWindow(), title(), QStringLiteral("Unbekannter Fehler"));
    }
    return false;
}
