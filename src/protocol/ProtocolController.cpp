#include "protocol/ProtocolController.h"

#include "protocol/ProtocolJournal.h"
#include "protocol/ProtocolPrinter.h"
#include "protocol/ProtocolText.h"
#include "protocol/WebPage.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTextDocument>

#include <memory>

namespace {

// The hourglass of a blocking export; restored on every way out.
class WaitCursor
{
public:
    WaitCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            m_active = false;
    }
    ~WaitCursor()
    {
        if (m_active)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_active = true;
};

} // namespace

ProtocolController::ProtocolController(const ProtocolControls& controls, ProtocolServices services,
                                       QObject* parent)
    : QObject(parent), m_c{controls.Memo1,      controls.sbSave,           controls.sbLoad,
                           controls.sbInet,     controls.sbPrint,          controls.sbCLS,
                           controls.Selectall1, controls.CopytoClipboard1, controls.exporttoWord1},
      m_services(std::move(services)), m_memo(controls.Memo1)
{
    if (!m_services.fileTimestamp) {
        m_services.fileTimestamp = [] {
            return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-hh-mm"));
        };
    }
    // A protocol of many megabytes would otherwise be kept a second time in
    // the undo history of an area nobody can type into.
    m_c.Memo1->setUndoRedoEnabled(false);
    if (!m_services.journalFolder.isEmpty()) {
        m_journal = new ProtocolJournal(m_c.Memo1, m_services.journalFolder,
                                        m_services.fileTimestamp(), this);
        m_memo.setJournal(m_journal);
    }

    // The buttons follow every change, whoever makes it, a load still being
    // built and the document that replaces it included.
    connect(&m_memo, &ProtocolMemo::linesChanged, this, &ProtocolController::UpdateProtocolButtons);

    auto bind = [this](QAbstractButton* button, void (ProtocolController::*handler)()) {
        if (button)
            connect(button, &QAbstractButton::clicked, this, handler);
    };
    bind(m_c.sbSave, &ProtocolController::sbSaveClick);
    bind(m_c.sbLoad, &ProtocolController::sbLoadClick);
    bind(m_c.sbInet, &ProtocolController::sbInetClick);
    bind(m_c.sbPrint, &ProtocolController::sbPrintClick);
    bind(m_c.sbCLS, &ProtocolController::sbCLSClick);
    auto bindAction = [this](QAction* action, void (ProtocolController::*handler)()) {
        if (action)
            connect(action, &QAction::triggered, this, handler);
    };
    bindAction(m_c.Selectall1, &ProtocolController::Selectall1Click);
    bindAction(m_c.CopytoClipboard1, &ProtocolController::CopytoClipboard1Click);
    bindAction(m_c.exporttoWord1, &ProtocolController::exporttoWord1Click);
}

ProtocolController::~ProtocolController() = default;

void ProtocolController::showError(const QString& text) const
{
    if (m_services.errorBox)
        m_services.errorBox(m_services.title, text);
}

QString ProtocolController::resolve(const QString& fileName) const
{
    if (m_services.workingFolder.isEmpty() || !QFileInfo(fileName).isRelative())
        return fileName;
    return QDir(m_services.workingFolder).filePath(fileName);
}

QString ProtocolController::stampDocName() const
{
    return m_services.fileTimestamp() + QStringLiteral(".doc");
}

void ProtocolController::setFileTypeLabels(const QString& text, const QString& word,
                                           const QString& web)
{
    m_textLabel = text;
    m_wordLabel = word;
    m_webLabel = web;
}

QStringList ProtocolController::saveFilters() const
{
    return {m_textLabel + QStringLiteral(" (*.txt)"), m_wordLabel + QStringLiteral(" (*.doc)"),
            m_webLabel + QStringLiteral(" (*.html)")};
}

QString ProtocolController::openFilter() const
{
    return m_textLabel + QStringLiteral(" (*.txt)");
}

QString ProtocolController::dialogFolder() const
{
    return m_services.dialogFolder.isEmpty() ? m_services.programFolder : m_services.dialogFolder;
}

QString ProtocolController::wordTemplatePath() const
{
    if (!m_services.wordTemplate.isEmpty())
        return m_services.wordTemplate;
    return QDir(m_services.programFolder).filePath(QStringLiteral("Protokollvorlage.doc"));
}

QString ProtocolController::pageFileName() const
{
    return m_services.programName + QStringLiteral(".html");
}

QString ProtocolController::exitCopyFileName() const
{
    return m_services.programName + QStringLiteral(".txt");
}

QPrinter& ProtocolController::printer()
{
    if (m_services.printer)
        return *m_services.printer;
    if (!m_ownPrinter)
        m_ownPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_ownPrinter;
}

// ---- text files ------------------------------------------------------------

void ProtocolController::sbSaveClick()
{
    if (!m_services.saveDialog)
        return;
    SaveDialogRequest request;
    request.folder = dialogFolder();
    request.fileName = m_services.fileTimestamp();
    request.filters = saveFilters();
    request.filterIndex = m_filterInd;
    const auto choice = m_services.saveDialog(request);
    if (!choice)
        return;
    m_filterInd = choice->filterIndex;
    switch (choice->filterIndex) {
    case 2:
        RunWordExport(weSave, choice->fileName);
        break;
    case 3:
        WriteWebPage(choice->fileName);
        break;
    default:
        saveTextFile(choice->fileName);
    }
}

bool ProtocolController::saveTextFile(const QString& fileName)
{
    const QString path = resolve(fileName);
    const AtomicFile::Result result =
        AtomicFile::write(path, m_memo.fileBytes(), m_services.fileWriter);
    switch (result.status) {
    case AtomicFile::Status::Ok:
        return true;
    case AtomicFile::Status::CreateFailed:
        showError(QStringLiteral("Cannot create file \"%1\". %2")
                      .arg(QFileInfo(path).absoluteFilePath(), result.reason));
        return false;
    case AtomicFile::Status::WriteFailed:
        showError(QStringLiteral("Stream write error"));
        return false;
    }
    return false;
}

void ProtocolController::sbLoadClick()
{
    if (!m_services.openDialog)
        return;
    const auto fileName = m_services.openDialog(dialogFolder(), openFilter());
    if (fileName)
        loadTextFile(*fileName);
}

bool ProtocolController::loadTextFile(const QString& fileName)
{
    QFile file(resolve(fileName));
    const QFileInfo info(file.fileName());
    // Opening a pipe blocks until something writes to it, and a device may
    // never end; either would freeze the window with a race running.
    const bool pipeOrDevice = info.exists() && !info.isFile() && !info.isDir();
    if (pipeOrDevice || !file.open(QIODevice::ReadOnly)) {
        showError(QStringLiteral("Cannot open file \"%1\". %2")
                      .arg(info.absoluteFilePath(), pipeOrDevice
                                                        ? QStringLiteral("Not a regular file")
                                                        : file.errorString()));
        return false;
    }
    const qint64 capacity = m_services.memoCapacity;
    if (file.size() > capacity) {
        showError(QStringLiteral("Text exceeds memo capacity"));
        return false;
    }
    // Read one byte past the capacity: a file that grew after the size check
    // is caught here.
    const QByteArray bytes = file.read(capacity + 1);
    if (file.error() != QFileDevice::NoError) {
        showError(QStringLiteral("Stream read error"));
        return false;
    }
    if (bytes.size() > capacity) {
        showError(QStringLiteral("Text exceeds memo capacity"));
        return false;
    }
    // Building the area's document of a season's protocol takes about a
    // second; a race going on must not wait for it.
    m_memo.loadText(ProtocolText::fromFileBytes(bytes),
                    bytes.size() >= m_services.backgroundLoadBytes);
    UpdateProtocolButtons();
    return true;
}

bool ProtocolController::writeExitCopy()
{
    return saveTextFile(exitCopyFileName());
}

// ---- clear, enabling, popup ------------------------------------------------

void ProtocolController::sbCLSClick()
{
    if (!m_services.askYesNo || !m_services.askYesNo(QStringLiteral("Zeitenprotokoll  löschen?")))
        return;
    // Through the memo: a load still being built must not reappear after it.
    m_memo.setText(QString());
    UpdateProtocolButtons();
}

void ProtocolController::UpdateProtocolButtons()
{
    if (!m_c.Memo1)
        return;
    const bool hasText = !m_memo.isEmpty();
    for (QAbstractButton* button : {m_c.sbCLS, m_c.sbPrint, m_c.sbSave, m_c.sbInet}) {
        if (button)
            button->setEnabled(hasText);
    }
    if (m_c.Selectall1)
        m_c.Selectall1->setEnabled(hasText);
    if (m_c.CopytoClipboard1)
        m_c.CopytoClipboard1->setEnabled(m_c.Memo1->textCursor().hasSelection());
}

void ProtocolController::PopupMenuProtokolPopup()
{
    UpdateProtocolButtons();
}

void ProtocolController::Selectall1Click()
{
    m_c.Memo1->selectAll();
    if (!m_memo.isLoading())
        return;
    // The area still shows the text from before the load, and "Kopieren"
    // takes the loaded one whole; once that is shown it is selected, so the
    // selection says what is copied.
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(&m_memo, &ProtocolMemo::linesChanged, this, [this, connection] {
        if (m_memo.isLoading())
            return;
        disconnect(*connection);
        if (m_c.Memo1)
            m_c.Memo1->selectAll();
    });
}

void ProtocolController::CopytoClipboard1Click()
{
    // While a large file is still being built into its document, the
    // protocol is the loaded text, not what the area shows from before it.
    if (m_memo.isLoading()) {
        QGuiApplication::clipboard()->setText(m_memo.text());
        return;
    }
    m_c.Memo1->copy();
}

// ---- web page --------------------------------------------------------------

void ProtocolController::WriteWebPage(const QString& fileName)
{
    const QByteArray page = WebPage::build(m_memo.text(), m_services.title);
    const AtomicFile::Result result =
        AtomicFile::write(resolve(fileName), page, m_services.fileWriter);
    // A page that could not be written completely is reported like one that
    // could not be created: the old page, if any, is still in place.
    if (!result.ok() && m_services.errorBox)
        m_services.errorBox(QStringLiteral("Error"),
                            QStringLiteral("Der Schreibfehler der Datei: ") + fileName);
}

void ProtocolController::sbInetClick()
{
    const QString name = pageFileName();
    WriteWebPage(name);
    const QFileInfo page(resolve(name));
    if (page.exists() && m_services.openUrl)
        m_services.openUrl(QUrl::fromLocalFile(page.absoluteFilePath()));
}

// ---- office ----------------------------------------------------------------

ProtocolController::ExportResult ProtocolController::runWordExport(TWordExportMode mode,
                                                                   const QString& fileName)
{
    WaitCursor wait;
    std::unique_ptr<WordAutomation> word;
    try {
        if (m_services.wordAutomation)
            word = m_services.wordAutomation();
    } catch (...) {
        word.reset();
    }
    if (!word) {
        if (m_c.exporttoWord1)
            m_c.exporttoWord1->setEnabled(false);
        return ExportResult::NoOffice;
    }

    bool done = false;
    try {
        done = (mode == weShow ? word->AppMaximize() : word->AppMinimize()) &&
               word->FileOpen(wordTemplatePath()) && word->Insert(m_memo.text()) &&
               word->FileSaveAs(fileName) && (mode != wePrint || word->FilePrint());
    } catch (...) {
        done = false;
    }
    if (mode != weShow) {
        bool closed = false;
        try {
            closed = word->AppClose();
        } catch (...) {
            closed = false;
        }
        if (!closed && m_c.exporttoWord1)
            m_c.exporttoWord1->setEnabled(false);
    }
    return done ? ExportResult::Done : ExportResult::Failed;
}

void ProtocolController::RunWordExport(TWordExportMode mode, const QString& fileName)
{
    const ExportResult result = runWordExport(mode, fileName);
    // A Word save that silently did nothing would leave the operator
    // believing the race day is on disk.
    if (mode == weSave && result != ExportResult::Done) {
        const QString reason = result == ExportResult::NoOffice
                                   ? QStringLiteral("No office suite is installed.")
                                   : QStringLiteral("The office suite could not write it.");
        showError(QStringLiteral("Cannot create file \"%1\". %2")
                      .arg(QFileInfo(resolve(fileName)).absoluteFilePath(), reason));
    }
}

void ProtocolController::exporttoWord1Click()
{
    RunWordExport(weShow, stampDocName());
}

void ProtocolController::sbPrintClick()
{
    if (runWordExport(wePrint, stampDocName()) != ExportResult::Done)
        printWithQt();
}

bool ProtocolController::printWithQt()
{
    if (ProtocolPrinter::print(printer(), m_memo.text()))
        return true;
    showError(QStringLiteral("There is no default printer currently selected"));
    return false;
}

void ProtocolController::Drucker1Click()
{
    if (m_services.printerSetup)
        m_services.printerSetup(printer());
}
