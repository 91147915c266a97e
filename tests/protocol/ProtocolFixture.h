#pragma once

#include "protocol/ProtocolController.h"

#include <QAction>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// The protocol half of the main window with every collaborator faked: the
// dialogs answer what the test put into them and record what they were asked.
struct ProtocolWindow
{
    QTemporaryDir dir;
    QPlainTextEdit memo;
    QToolButton sbSave, sbLoad, sbInet, sbPrint, sbCLS;
    QAction Selectall1{nullptr}, CopytoClipboard1{nullptr}, exporttoWord1{nullptr};

    std::optional<SaveDialogChoice> saveAnswer;
    std::vector<SaveDialogRequest> saveRequests;
    std::optional<QString> openAnswer;
    bool yesNoAnswer = false;
    QStringList questions;
    std::vector<std::pair<QString, QString>> errors; // caption, text
    std::vector<QUrl> opened;
    QString stamp = QStringLiteral("2009-01-04-14-05");

    ProtocolServices services()
    {
        ProtocolServices s;
        s.saveDialog = [this](const SaveDialogRequest& r) {
            saveRequests.push_back(r);
            return saveAnswer;
        };
        s.openDialog = [this](const QString&, const QString&) { return openAnswer; };
        s.askYesNo = [this](const QString& q) {
            questions << q;
            return yesNoAnswer;
        };
        s.errorBox = [this](const QString& caption, const QString& text) {
            errors.emplace_back(caption, text);
        };
        s.openUrl = [this](const QUrl& url) { opened.push_back(url); };
        s.fileTimestamp = [this] { return stamp; };
        s.programFolder = dir.filePath(QStringLiteral("program"));
        s.workingFolder = dir.filePath(QStringLiteral("cwd"));
        QDir().mkpath(s.programFolder);
        QDir().mkpath(s.workingFolder);
        return s;
    }

    ProtocolControls controls()
    {
        return {&memo,  &sbSave,     &sbLoad,           &sbInet,       &sbPrint,
                &sbCLS, &Selectall1, &CopytoClipboard1, &exporttoWord1};
    }

    std::unique_ptr<ProtocolController> make(ProtocolServices s)
    {
        return std::make_unique<ProtocolController>(controls(), std::move(s));
    }
    std::unique_ptr<ProtocolController> make() { return make(services()); }

    QString path(const QString& name) const { return dir.filePath(name); }
};
