#pragma once

#include "protocol/ProtocolAccess.h"
#include "protocol/ProtocolMemo.h"
#include "protocol/ProtocolServices.h"
#include "protocol/WordAutomation.h"

#include <QAbstractButton>
#include <QAction>
#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QPrinter;
class ProtocolJournal;

// The controls of the main window that belong to the protocol.
struct ProtocolControls
{
    QPlainTextEdit* Memo1 = nullptr;
    QAbstractButton* sbSave = nullptr;
    QAbstractButton* sbLoad = nullptr;
    QAbstractButton* sbInet = nullptr;
    QAbstractButton* sbPrint = nullptr;
    QAbstractButton* sbCLS = nullptr;
    QAction* Selectall1 = nullptr;
    QAction* CopytoClipboard1 = nullptr;
    QAction* exporttoWord1 = nullptr;
};

// The protocol commands: save, load, clear, copy, web page, Word document,
// printing, the exit copy and the crash copy. The buttons and popup items
// given are connected to their handlers here; the window's short-cuts call the
// handlers directly.
class ProtocolController : public QObject, public ProtocolAccess
{
    Q_OBJECT

public:
    enum class ExportResult
    {
        NoOffice,
        Failed,
        Done
    };

    ProtocolController(const ProtocolControls& controls, ProtocolServices services,
                       QObject* parent = nullptr);
    ~ProtocolController() override;

    ProtocolMemo& memo() override { return m_memo; }
    ProtocolJournal* journal() const { return m_journal; }

    void sbSaveClick();
    void sbLoadClick();
    void sbCLSClick();
    void UpdateProtocolButtons();
    void PopupMenuProtokolPopup();
    void Selectall1Click();
    void CopytoClipboard1Click();
    void sbInetClick();
    void WriteWebPage(const QString& fileName);
    void RunWordExport(TWordExportMode mode, const QString& fileName);
    void exporttoWord1Click();
    void sbPrintClick();
    void Drucker1Click();
    // The text file named after the program, written when the window goes.
    bool writeExitCopy();

    int FilterInd() const { return m_filterInd; }
    void setFilterInd(int index) { m_filterInd = index; }
    void setFileTypeLabels(const QString& text, const QString& word, const QString& web);
    QStringList saveFilters() const;
    QString openFilter() const;
    QString wordTemplatePath() const;
    QString dialogFolder() const override;
    QString pageFileName() const override;
    QString exitCopyFileName() const;
    // Where a file name without a folder lands.
    QString resolve(const QString& fileName) const override;
    // The dialogs, opener and writer the commands use, for windows that
    // write files of their own the same way.
    const ProtocolServices& services() const override { return m_services; }
    // The printer F7 sets up; Qt's printing runs on a copy of it each time.
    QPrinter& printer() override;

    bool saveTextFile(const QString& fileName);
    bool loadTextFile(const QString& fileName);
    ExportResult runWordExport(TWordExportMode mode, const QString& fileName);
    bool printWithQt();

private:
    QString stampDocName() const;
    void showError(const QString& text) const;

    // The window may take its controls down before this object goes.
    struct Guarded
    {
        QPointer<QPlainTextEdit> Memo1;
        QPointer<QAbstractButton> sbSave, sbLoad, sbInet, sbPrint, sbCLS;
        QPointer<QAction> Selectall1, CopytoClipboard1, exporttoWord1;
    };

    Guarded m_c;
    ProtocolServices m_services;
    ProtocolMemo m_memo;
    ProtocolJournal* m_journal = nullptr;
    std::unique_ptr<QPrinter> m_ownPrinter;
    int m_filterInd = 1;
    QString m_textLabel = QStringLiteral("Textdatei");
    QString m_wordLabel = QStringLiteral("MS Word");
    QString m_webLabel = QStringLiteral("Webseite");
};
