#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTemporaryDir;

// Runs LibreOffice without a window, one command line at a time, with a
// private profile (a running office of the user neither answers in its place
// nor locks it out) and a time limit after which the whole process group is
// killed, so a hanging office cannot hang the race timer.
class LibreOfficeRunner
{
public:
    explicit LibreOfficeRunner(const QString& program, int timeoutMs = 60000);
    ~LibreOfficeRunner();
    LibreOfficeRunner(const LibreOfficeRunner&) = delete;
    LibreOfficeRunner& operator=(const LibreOfficeRunner&) = delete;

    // "soffice" from the PATH, or empty.
    static QString findProgram();

    QString program() const { return m_program; }
    int timeoutMs() const { return m_timeoutMs; }

    // Converts a file ("fodt", "doc:MS Word 97", "pdf", ...) into outDir and
    // returns the path of the result, or empty on failure.
    QString convert(const QString& input, const QString& format, const QString& outDir);
    // Prints on the system's default printer.
    bool print(const QString& input);

    // The template as flat ODF; converted once per run and file version.
    std::optional<QByteArray> templateAsFodt(const QString& templatePath, const QString& workDir);

private:
    bool run(const QStringList& arguments);
    QString profileUrl();

    QString m_program;
    int m_timeoutMs;
    std::unique_ptr<QTemporaryDir> m_profile;
    QString m_cachedPath;
    QDateTime m_cachedModified;
    qint64 m_cachedSize = -1;
    QByteArray m_cachedFodt;
};
