#include "protocol/LibreOfficeRunner.h"

#include "protocol/ProcessGroup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

LibreOfficeRunner::LibreOfficeRunner(const QString& program, int timeoutMs)
    : m_program(program), m_timeoutMs(timeoutMs)
{
}

LibreOfficeRunner::~LibreOfficeRunner() = default;

QString LibreOfficeRunner::findProgram()
{
    QString found = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    return found;
}

QString LibreOfficeRunner::profileUrl()
{
    if (!m_profile) {
        m_profile = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                    QStringLiteral("/kelvatron-office-XXXXXX"));
        if (!m_profile->isValid())
            return {};
    }
    return QUrl::fromLocalFile(m_profile->path()).toString(QUrl::FullyEncoded);
}

bool LibreOfficeRunner::run(const QStringList& arguments)
{
    const QString profile = profileUrl();
    if (m_program.isEmpty() || profile.isEmpty())
        return false;
    QStringList args = {QStringLiteral("-env:UserInstallation=") + profile,
                        QStringLiteral("--headless"),
                        QStringLiteral("--invisible"),
                        QStringLiteral("--norestore"),
                        QStringLiteral("--nolockcheck"),
                        QStringLiteral("--nodefault"),
                        QStringLiteral("--nologo")};
    args += arguments;

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    // soffice is a script that starts further processes; a group of its own
    // lets a time-out take all of them down.
    ProcessGroup::startsOwnGroup(process);
    process.start(m_program, args);
    // A start that is slow to be reported may still have started the office;
    // whatever of it runs is taken down on either time-out.
    auto takeDown = [&process] {
        ProcessGroup::killGroup(process);
        process.kill();
        process.waitForFinished(5000);
    };
    if (!process.waitForStarted(m_timeoutMs) || !process.waitForFinished(m_timeoutMs)) {
        takeDown();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString LibreOfficeRunner::convert(const QString& input, const QString& format,
                                   const QString& outDir)
{
    const QString extension = format.section(u':', 0, 0);
    const QString result =
        QDir(outDir).filePath(QFileInfo(input).completeBaseName() + u'.' + extension);
    QFile::remove(result);
    if (!QDir().mkpath(outDir))
        return {};
    // The office reports success for inputs it could not read, so the file
    // it leaves behind is the only proof.
    if (!run({QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"), outDir, input}))
        return {};
    return QFileInfo(result).isFile() && QFileInfo(result).size() > 0 ? result : QString();
}

bool LibreOfficeRunner::print(const QString& input)
{
    return run({QStringLiteral("-p"), input});
}

std::optional<QByteArray> LibreOfficeRunner::templateAsFodt(const QString& templatePath,
                                                            const QString& workDir)
{
    const QFileInfo info(templatePath);
    if (!info.isFile())
        return std::nullopt;
    const QString path = info.absoluteFilePath();
    if (path == m_cachedPath && info.lastModified() == m_cachedModified &&
        info.size() == m_cachedSize)
        return m_cachedFodt;

    QByteArray fodt;
    if (info.suffix().compare(QStringLiteral("fodt"), Qt::CaseInsensitive) == 0) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        fodt = file.readAll();
    } else {
        const QString converted =
            convert(path, QStringLiteral("fodt"), QDir(workDir).filePath(QStringLiteral("tpl")));
        QFile file(converted);
        if (converted.isEmpty() || !file.open(QIODevice::ReadOnly))
            return std::nullopt;
        fodt = file.readAll();
    }
    m_cachedPath = path;
    m_cachedModified = info.lastModified();
    m_cachedSize = info.size();
    m_cachedFodt = fodt;
    return fodt;
}
