#include "protocol/ProtocolJournal.h"

#include "protocol/AtomicFile.h"
#include "protocol/JournalTail.h"
#include "protocol/ProtocolText.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// A tail is written in place only behind this much of a copy that stays:
// below it a whole atomic rewrite costs about as little.
constexpr qint64 kTailMinimumOffset = qint64(64) * 1024;

// Breaks inside a line and characters outside the basic plane change the
// length in bytes, so positions in such a text do not map to bytes.
// The document keeps a line break as a paragraph separator; in a plain text
// it is "\n" (breakChar), which is then no break inside a line.
bool oneBytePerChar(QStringView text, char16_t breakChar = 0x2029)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == breakChar)
            continue;
        if (u == u'\r' || u == u'\n' || u == 0x2028 || (u >= 0xD800 && u <= 0xDFFF))
            return false;
    }
    return true;
}

QString selection(QTextDocument* document, int from, int to)
{
    QTextCursor cursor(document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

} // namespace

ProtocolJournal::ProtocolJournal(QPlainTextEdit* memo, const QString& folder,
                                 const QString& runStamp, QObject* parent)
    : QObject(parent), m_memo(memo), m_folder(folder), m_stamp(runStamp)
{
    JournalTail::finishInterrupted(m_folder);
    followDocument();
    if (documentLength() > 0)
        createFile();
}

ProtocolJournal::~ProtocolJournal() = default;

void ProtocolJournal::followText(const QString* text)
{
    disconnect(m_connection);
    m_text = text;
}

void ProtocolJournal::followDocument()
{
    disconnect(m_connection);
    m_text = nullptr;
    m_connection = connect(m_memo->document(), &QTextDocument::contentsChange, this,
                           &ProtocolJournal::contentsChange);
}

int ProtocolJournal::documentLength() const
{
    if (m_text)
        return static_cast<int>(m_text->size());
    return m_memo->document()->characterCount() - 1;
}

QString ProtocolJournal::rawText() const
{
    return m_text ? *m_text : m_memo->document()->toRawText();
}

QString ProtocolJournal::slice(int from, int to) const
{
    if (m_text)
        return m_text->mid(from, to - from);
    return selection(m_memo->document(), from, to);
}

int ProtocolJournal::breaksBefore(int position) const
{
    if (m_text)
        return static_cast<int>(QStringView(*m_text).left(position).count(u'\n'));
    return m_memo->document()->findBlock(position).blockNumber();
}

bool ProtocolJournal::isOneBytePerChar(const QString& text) const
{
    return m_text ? oneBytePerChar(text, u'\n') : oneBytePerChar(text);
}

void ProtocolJournal::contentsChange(int position, int charsRemoved, int charsAdded)
{
    const int length = documentLength();
    if (length <= 0) {
        m_path.clear();
        m_tail.reset();
        m_writtenChars = -1;
        return;
    }
    if (m_path.isEmpty()) {
        createFile();
        return;
    }
    // A replacement whose record could not be emptied is completed first:
    // until then its record would cut off whatever is written behind it.
    if (m_tail && !m_tail->settle()) {
        failed(m_tail->lastError());
        return;
    }
    // A pure addition at the end is the common case of a race: append the
    // new text instead of rewriting a protocol that may hold megabytes.
    const bool atEnd = charsRemoved == 0 && m_writtenChars >= 0 && position == m_writtenChars &&
                       length == m_writtenChars + charsAdded;
    if (atEnd && append(position, length))
        return;
    if (rewriteTail(position))
        return;
    rewrite();
}

bool ProtocolJournal::createFile()
{
    // A folder that cannot be made shows up below as the system's reason
    // why the file cannot be created in it.
    QDir().mkpath(m_folder);
    const QString text = rawText();
    m_oneBytePerChar = isOneBytePerChar(text);
    const QByteArray bytes = ProtocolText::toFileBytes(text);
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
        m_tail.reset();
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
    const QString text = slice(from, to);
    const QByteArray bytes = ProtocolText::toFileBytes(text);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered)) {
        m_writtenChars = -1;
        return false;
    }
    const qint64 size = file.size();
    if (!AtomicFile::writeAt(file.handle(), bytes, size) ||
        !AtomicFile::syncFile(file.handle()).isEmpty()) {
        // A full disk takes what fits: half a stop line would read as a
        // plausible time, so the copy goes back to its last whole line. The
        // caller then rewrites the whole file, which either replaces it
        // completely or leaves it as it is.
        if (AtomicFile::truncate(file.handle(), size))
            AtomicFile::syncFile(file.handle());
        m_writtenChars = -1;
        return false;
    }
    m_oneBytePerChar = m_oneBytePerChar && isOneBytePerChar(text);
    return succeeded();
}

bool ProtocolJournal::rewriteTail(int position)
{
    // The bytes before the change must be in the file as they are in the
    // document, and their number known without encoding them again.
    if (m_writtenChars < 0 || !m_oneBytePerChar)
        return false;
    // Every break before the position is one more byte (CR LF).
    const qint64 offset = qint64(position) + breaksBefore(position);
    if (offset < kTailMinimumOffset)
        return false;
    const QString text = slice(position, documentLength());
    if (!isOneBytePerChar(text)) {
        m_oneBytePerChar = false;
        return false;
    }
    const QByteArray bytes = ProtocolText::toFileBytes(text);
    if (bytes.size() > offset)
        return false;
    if (!m_tail)
        m_tail = std::make_unique<JournalTail>(m_path);
    return m_tail->replace(offset, bytes) && succeeded();
}

bool ProtocolJournal::rewrite()
{
    const QString text = rawText();
    const AtomicFile::Result result = AtomicFile::write(m_path, ProtocolText::toFileBytes(text));
    if (!result.ok())
        return failed(result.reason);
    m_oneBytePerChar = isOneBytePerChar(text);
    // Only a replacement that failed has left a record, and the copy now
    // holds its bytes; still, it must be gone before lines are appended.
    if (m_tail && !m_tail->discard())
        return failed(m_tail->lastError());
    return succeeded();
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
