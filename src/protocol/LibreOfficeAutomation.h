#pragma once

#include "protocol/WordAutomation.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <memory>

class LibreOfficeRunner;

// The seven commands carried out by LibreOffice in headless mode. The current
// document is kept as flat ODF between the commands; the office itself only
// converts (template in, Word 97 out) and prints, each call bounded in time.
class LibreOfficeAutomation : public WordAutomation
{
public:
    struct Options
    {
        // Where a bare file name is saved, as Word does with its document folder.
        QString documentsFolder;
        // Shows the saved document to the operator after a maximised export.
        std::function<void(const QUrl&)> opener;
        // When set, printing writes a PDF into this folder instead of using a
        // printer (for checking what would be printed).
        QString printToPdfFolder;
        // Whether the system has a printer at all; without one the office
        // would report success and print nothing.
        std::function<bool()> hasPrinter;
    };

    LibreOfficeAutomation(std::shared_ptr<LibreOfficeRunner> runner, Options options);

    // A factory that hands out automation objects while LibreOffice is
    // installed, sharing one runner (and so one profile) between them.
    static WordAutomationFactory factory(Options options, int timeoutMs = 60000);

    bool AppMaximize() override;
    bool AppMinimize() override;
    bool FileOpen(const QString& templatePath) override;
    bool Insert(const QString& text) override;
    bool FileSaveAs(const QString& fileName) override;
    bool FilePrint() override;
    bool AppClose() override;

    // Where the last FileSaveAs put the document.
    QString savedFile() const { return m_savedFile; }

private:
    QString writeWorkDocument();
    QString resolveTarget(const QString& fileName) const;

    std::shared_ptr<LibreOfficeRunner> m_runner;
    Options m_options;
    QTemporaryDir m_work;
    QByteArray m_document;
    bool m_open = false;
    bool m_show = false;
    QString m_savedFile;
};
