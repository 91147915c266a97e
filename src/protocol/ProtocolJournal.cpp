#include "protocol/ProtocolJournal.h"

#include "protocol/AtomicFile.h"
#include "protocol/ProtocolMemo.h"
#include "protocol/ProtocolText.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

ProtocolJournal::ProtocolJournal(QPlainTextEdit* memo, const QString& folder,
                                 const QString& runStamp, QObject* parent)
    : QObject(parent), m_memo(memo), m_folder(folder), m_stamp(runStamp)
{
    connect(memo->document(), &QTextDocument::contentsChange, this,
            &ProtocolJournal::onContentsChange);
    if (documentLength() > 0)
        createFile();
}

int ProtocolJournal::documentLength() const
{
    return m_memo->document()->characterCount() - 1;
}

void ProtocolJournal::onContentsChange(int position, int charsRemoved, int charsAdded)
{
    const int length = documentLength();
    if (length <= 0) {
        m_path.clear();
        m_writtenChars = -1;
        return;
    }
    if (m_path.isEmpty()) {
        createFile();
        return;
    }
    // A pure addition at the end is the common case of a race: append the
    // new text instead of rewriting a protocol that may hold megabytes.
    const bool atEnd = charsRemoved == 0 && m_writtenChars >= 0 && position == m_writtenChars &&
                       length == m_writtenChars + charsAdded;
    if (atEnd && append(position, length))
        return;
    rewrite();
}

bool ProtocolJournal::createFile()
{
    // A folder that cannot be made shows up below as the system's reason
    // why the file cannot be created in it.
    QDir().mkpath(m_folder);
    const QByteArray bytes = ProtocolMemo(m_memo).fileBytes();
    // Claiming the name with an exclusive create keeps two programs started
    // in the same minute from sharing one file.
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? m_stamp + QStringLiteral(".txt")
                                    : QStringLiteral("%1-%2.txt").arg(m_stamp).arg(n);
        QFile file(QDir(m_folder).filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (file.exists())
                continue;
            return failed(file.errorString());
        }
        // From here on the name is this run's, also when the bytes do not
        // fit: the next change rewrites the whole file.
        m_path = file.fileName();
        m_files.append(m_path);
        if (!AtomicFile::writeAll(file, bytes))
            return failed(file.errorString());
        const QString reason = AtomicFile::syncFile(file.handle());
        if (!reason.isEmpty())
            return failed(reason);
        file.close();
        AtomicFile::syncFolder(m_folder);
        return succeeded();
    }
    return failed(QStringLiteral("No free file name for \"%1\"").arg(m_stamp));
}

bool ProtocolJournal::append(int from, int to)
{
    QTextCursor cursor(m_memo->document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    const QByteArray bytes = ProtocolText::toFileBytes(cursor.selectedText());
    QFile file(m_path);
    // A failed append may have left some of the new text behind the old
    // one; the caller then rewrites the whole file, which either replaces it
    // completely or leaves it as it is.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered) ||
        !AtomicFile::writeAll(file, bytes) || !AtomicFile::syncFile(file.handle()).isEmpty()) {
        m_writtenChars = -1;
        return false;
    }
    return succeeded();
}

bool ProtocolJournal::rewrite()
{
    const AtomicFile::Result result = AtomicFile::write(m_path, ProtocolMemo(m_memo).fileBytes());
    return result.ok() ? succeeded() : failed(result.reason);
}

bool ProtocolJournal::failed(const QString& reason)
{
    m_writtenChars = -1;
    const bool wasFailing = !m_lastError.isEmpty();
    m_lastError = reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
    if (!wasFailing)
        emit writingFailed(m_lastError);
    return false;
}

bool ProtocolJournal::succeeded()
{
    m_writtenChars = documentLength();
    if (!m_lastError.isEmpty()) {
        m_lastError.clear();
        emit writingRecovered();
    }
    return true;
}
