#include "protocol/LibreOfficeAutomation.h"

#include "protocol/AtomicFile.h"
#include "protocol/FodtEditor.h"
#include "protocol/LibreOfficeRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>

LibreOfficeAutomation::LibreOfficeAutomation(std::shared_ptr<LibreOfficeRunner> runner,
                                             Options options)
    : m_runner(std::move(runner)), m_options(std::move(options)),
      m_work(QDir::tempPath() + QStringLiteral("/kelvatron-doc-XXXXXX"))
{
}

WordAutomationFactory LibreOfficeAutomation::factory(Options options, int timeoutMs)
{
    std::shared_ptr<LibreOfficeRunner> runner;
    return [options = std::move(options), runner,
            timeoutMs]() mutable -> std::unique_ptr<WordAutomation> {
        // Looked up on every export, so installing the office mid-run helps
        // the print button and the Word save at once.
        const QString program = LibreOfficeRunner::findProgram();
        if (program.isEmpty())
            return nullptr;
        if (!runner || runner->program() != program)
            runner = std::make_shared<LibreOfficeRunner>(program, timeoutMs);
        return std::make_unique<LibreOfficeAutomation>(runner, options);
    };
}

bool LibreOfficeAutomation::AppMaximize()
{
    m_show = true;
    return true;
}

bool LibreOfficeAutomation::AppMinimize()
{
    m_show = false;
    return true;
}

bool LibreOfficeAutomation::FileOpen(const QString& templatePath)
{
    if (!m_work.isValid())
        return false;
    const auto fodt = m_runner->templateAsFodt(templatePath, m_work.path());
    if (!fodt)
        return false;
    m_document = *fodt;
    m_open = true;
    return true;
}

bool LibreOfficeAutomation::Insert(const QString& text)
{
    if (!m_open)
        return false;
    const auto edited = FodtEditor::insertAtStart(m_document, text);
    if (!edited)
        return false;
    m_document = *edited;
    return true;
}

QString LibreOfficeAutomation::writeWorkDocument()
{
    const QString path = m_work.filePath(QStringLiteral("Zeitenprotokoll.fodt"));
    // A document cut short by a full disk would be converted all the same.
    return AtomicFile::write(path, m_document).ok() ? path : QString();
}

QString LibreOfficeAutomation::resolveTarget(const QString& fileName) const
{
    const QFileInfo info(fileName);
    if (info.isRelative() && !fileName.contains(u'/') && !m_options.documentsFolder.isEmpty())
        return QDir(m_options.documentsFolder).filePath(fileName);
    return info.absoluteFilePath();
}

bool LibreOfficeAutomation::FileSaveAs(const QString& fileName)
{
    if (!m_open || fileName.isEmpty())
        return false;
    const QString source = writeWorkDocument();
    if (source.isEmpty())
        return false;
    const QString converted = m_runner->convert(source, QStringLiteral("doc:MS Word 97"),
                                                m_work.filePath(QStringLiteral("out")));
    QFile result(converted);
    if (converted.isEmpty() || !result.open(QIODevice::ReadOnly))
        return false;
    const QString target = resolveTarget(fileName);
    QDir().mkpath(QFileInfo(target).absolutePath());
    const QByteArray bytes = result.readAll();
    if (result.error() != QFileDevice::NoError)
        return false;
    // The office writes into its own folder; the finished bytes are moved
    // over the target in one step, so a failed export never truncates an
    // older document of that name.
    if (!AtomicFile::write(target, bytes).ok())
        return false;
    m_savedFile = target;
    if (m_show && m_options.opener)
        m_options.opener(QUrl::fromLocalFile(target));
    return true;
}

bool LibreOfficeAutomation::FilePrint()
{
    if (!m_open)
        return false;
    const QString source = m_savedFile.isEmpty() ? writeWorkDocument() : m_savedFile;
    if (source.isEmpty())
        return false;
    if (!m_options.printToPdfFolder.isEmpty())
        return !m_runner->convert(source, QStringLiteral("pdf"), m_options.printToPdfFolder)
                    .isEmpty();
    const bool hasPrinter = m_options.hasPrinter ? m_options.hasPrinter()
                                                 : !QPrinterInfo::availablePrinterNames().isEmpty();
    return hasPrinter && m_runner->print(source);
}

bool LibreOfficeAutomation::AppClose()
{
    m_open = false;
    m_show = false;
    m_document.clear();
    QDir(m_work.filePath(QStringLiteral("out"))).removeRecursively();
    QFile::remove(m_work.filePath(QStringLiteral("Zeitenprotokoll.fodt")));
    return true;
}
