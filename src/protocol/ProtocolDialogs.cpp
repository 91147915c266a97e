#include "protocol/ProtocolDialogs.h"

#include "protocol/LibreOfficeAutomation.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>

namespace {

std::optional<SaveDialogChoice> runSaveDialog(QWidget* parent, const SaveDialogRequest& request)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(request.folder);
    dialog.setNameFilters(request.filters);
    const int index = request.filterIndex >= 1 && request.filterIndex <= request.filters.size()
                          ? request.filterIndex
                          : 1;
    dialog.selectNameFilter(request.filters.value(index - 1));
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // A name typed without extension gets the one of the entry chosen last,
    // as the system's own save dialog does; the writer still follows the
    // entry, never the extension.
    const QString filter = dialog.selectedNameFilter();
    QString fileName = dialog.selectedFiles().constFirst();
    if (QFileInfo(fileName).suffix().isEmpty()) {
        const qsizetype star = filter.lastIndexOf(QStringLiteral("*."));
        const QString suffix =
            star < 0 ? QStringLiteral("txt") : filter.mid(star + 2).remove(u')').trimmed();
        fileName += u'.' + suffix;
    }
    return SaveDialogChoice{fileName, static_cast<int>(request.filters.indexOf(filter)) + 1};
}

std::optional<QString> runOpenDialog(QWidget* parent, const QString& folder, const QString& filter)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setDirectory(folder);
    dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

ProtocolServices ProtocolDialogs::defaults(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    ProtocolServices s;
    s.saveDialog = [owner](const SaveDialogRequest& r) { return runSaveDialog(owner, r); };
    s.openDialog = [owner](const QString& folder, const QString& filter) {
        return runOpenDialog(owner, folder, filter);
    };
    s.askYesNo = [owner](const QString& question) {
        QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), question,
                        QMessageBox::NoButton, owner);
        QPushButton* yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes;
    };
    s.errorBox = [owner](const QString& caption, const QString& text) {
        QMessageBox::critical(owner, caption, text);
    };
    s.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    LibreOfficeAutomation::Options office;
    office.documentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    office.opener = s.openUrl;
    s.wordAutomation = LibreOfficeAutomation::factory(office);

    s.printerSetup = [owner](QPrinter& printer) {
        QPrintDialog dialog(&printer, owner);
        dialog.exec();
    };
    const QFileInfo program(QCoreApplication::applicationFilePath());
    if (!program.completeBaseName().isEmpty())
        s.programName = program.completeBaseName();
    s.programFolder = program.absolutePath();
    s.journalFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return s;
}
