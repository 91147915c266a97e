#pragma once

#include <QString>

#include <functional>
#include <memory>

enum TWordExportMode
{
    weShow = 0,
    weSave = 1,
    wePrint = 2
};

// The office suite as the protocol drives it: seven commands, each either done
// or failed. An implementation never throws; false ends the export.
class WordAutomation
{
public:
    virtual ~WordAutomation() = default;

    virtual bool AppMaximize() = 0;
    virtual bool AppMinimize() = 0;
    // Opens the template as the current document, insertion point at its start.
    virtual bool FileOpen(const QString& templatePath) = 0;
    // Inserts the protocol text ("\n" or CR LF breaks) at the insertion point.
    virtual bool Insert(const QString& text) = 0;
    // Saves the current document as a Word 97 document. A bare name (no
    // folder) lands in the office's document folder.
    virtual bool FileSaveAs(const QString& fileName) = 0;
    virtual bool FilePrint() = 0;
    virtual bool AppClose() = 0;
};

// Creates the automation object; nullptr when no office suite can be driven.
using WordAutomationFactory = std::function<std::unique_ptr<WordAutomation>()>;
