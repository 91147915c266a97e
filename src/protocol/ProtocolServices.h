#pragma once

#include "protocol/AtomicFile.h"
#include "protocol/WordAutomation.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class QPrinter;

// What the save dialog is asked and what it answers.
struct SaveDialogRequest
{
    QString folder;
    QString fileName;    // proposed, without extension
    QStringList filters; // "Textdatei (*.txt)", "MS Word (*.doc)", "Webseite (*.html)"
    int filterIndex = 1; // 1-based, as stored under "FilterInd"
};

struct SaveDialogChoice
{
    QString fileName;
    int filterIndex = 1;
};

// Everything outside the protocol that its commands talk to. The program
// fills it with real dialogs (ProtocolDialogs::defaults); tests with fakes.
struct ProtocolServices
{
    std::function<std::optional<SaveDialogChoice>(const SaveDialogRequest&)> saveDialog;
    // (folder, filter) -> file name, or nullopt on cancel.
    std::function<std::optional<QString>(const QString&, const QString&)> openDialog;
    // True only for "Ja".
    std::function<bool(const QString& question)> askYesNo;
    std::function<void(const QString& caption, const QString& text)> errorBox;
    std::function<void(const QUrl&)> openUrl;
    WordAutomationFactory wordAutomation;
    // The printer set-up dialog on the controller's printer.
    std::function<void(QPrinter&)> printerSetup;
    // "yyyy-mm-dd-hh-mm" of the moment.
    std::function<QString()> fileTimestamp;
    // How a file's bytes get written; empty writes them all at once.
    AtomicFile::Writer fileWriter;

    QString title = QStringLiteral("Kelvatron");
    // Base name of the program file: the exit copy and the page carry it.
    QString programName = QStringLiteral("Kelvatron");
    // Folder of the program file: the Word template and the dialogs' start.
    QString programFolder;
    // Where the save and open dialogs start; empty means programFolder.
    QString dialogFolder;
    // The Word template; empty means "Protokollvorlage.doc" in programFolder.
    QString wordTemplate;
    // Where names without a folder land; empty means the current folder.
    QString workingFolder;
    // Folder of the per-run crash copies; empty keeps none.
    QString journalFolder;
    // A printer to use instead of the controller's own (e.g. a PDF file).
    QPrinter* printer = nullptr;
    // Largest protocol file that loading accepts, in bytes.
    qint64 memoCapacity = qint64(32) * 1024 * 1024;
    // Files from this size on are shown once their document is built in the
    // background; smaller ones are shown before loading returns.
    qint64 backgroundLoadBytes = qint64(512) * 1024;
};
