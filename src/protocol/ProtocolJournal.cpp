#include "protocol/ProtocolJournal.h"

#include "protocol/AtomicFile.h"
#include "protocol/ProtocolMemo.h"
#include "protocol/ProtocolText.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool syncFile(QFile& file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fdatasync(file.handle()) == 0;
#else
    return true;
#endif
}

} // namespace

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
    if (!QDir().mkpath(m_folder)) {
        m_lastError = QStringLiteral("Cannot create folder \"%1\"").arg(m_folder);
        return false;
    }
    const QByteArray bytes = ProtocolMemo(m_memo).fileBytes();
    // Claiming the name with an exclusive create keeps two programs started
    // in the same minute from sharing one file.
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? m_stamp + QStringLiteral(".txt")
                                    : QStringLiteral("%1-%2.txt").arg(m_stamp).arg(n);
        QFile file(QDir(m_folder).filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists())
                continue;
            m_lastError = file.errorString();
            return false;
        }
        m_path = file.fileName();
        m_files.append(m_path);
        if (file.write(bytes) != bytes.size() || !syncFile(file)) {
            m_lastError = file.errorString();
            m_writtenChars = -1;
            return false;
        }
        file.close();
        AtomicFile::syncFolder(m_folder);
        m_writtenChars = documentLength();
        m_lastError.clear();
        return true;
    }
    m_lastError = QStringLiteral("No free file name for \"%1\"").arg(m_stamp);
    return false;
}

bool ProtocolJournal::append(int from, int to)
{
    QTextCursor cursor(m_memo->document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    const QByteArray bytes = ProtocolText::toFileBytes(cursor.selectedText());
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size() ||
        !syncFile(file)) {
        m_lastError = file.errorString();
        m_writtenChars = -1;
        return false;
    }
    m_writtenChars = to;
    return true;
}

bool ProtocolJournal::rewrite()
{
    const AtomicFile::Result result = AtomicFile::write(m_path, ProtocolMemo(m_memo).fileBytes());
    if (!result.ok()) {
        m_lastError = result.reason;
        m_writtenChars = -1;
        return false;
    }
    m_writtenChars = documentLength();
    m_lastError.clear();
    return true;
}
