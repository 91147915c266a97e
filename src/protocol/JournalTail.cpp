#include "protocol/JournalTail.h"

#include "protocol/AtomicFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

constexpr char kMagic[] = "Kelvatron tail";

// "<magic> <offset> <length> <checksum>\n" and the bytes: a record cut short
// or mixed with an older one fails the length or the checksum.
QByteArray recordOf(qint64 offset, QByteArrayView bytes)
{
    QByteArray record = QByteArray(kMagic) + ' ' + QByteArray::number(offset) + ' ' +
                        QByteArray::number(bytes.size()) + ' ' +
                        QByteArray::number(qChecksum(bytes)) + '\n';
    record.append(bytes.data(), bytes.size());
    return record;
}

bool parseRecord(const QByteArray& record, qint64& offset, QByteArray& bytes)
{
    const qsizetype end = record.indexOf('\n');
    if (end < 0)
        return false;
    const QList<QByteArray> fields = record.left(end).split(' ');
    if (fields.size() != 5 || fields[0] + ' ' + fields[1] != kMagic)
        return false;
    bool ok[3] = {};
    offset = fields[2].toLongLong(&ok[0]);
    const qint64 length = fields[3].toLongLong(&ok[1]);
    const uint checksum = fields[4].toUInt(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || offset < 0 || length != record.size() - end - 1)
        return false;
    bytes = record.mid(end + 1);
    return qChecksum(bytes) == checksum;
}

#ifdef Q_OS_UNIX
bool writeAt(int fd, QByteArrayView bytes, qint64 offset)
{
    const char* next = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, next, static_cast<size_t>(left), offset);
        if (n <= 0)
            return false;
        next += n;
        left -= n;
        offset += n;
    }
    return true;
}

// The copy holds its old bytes before `offset`, then `bytes`, and ends there.
bool applyTo(const QString& copyPath, qint64 offset, QByteArrayView bytes)
{
    const int fd = ::open(QFile::encodeName(copyPath).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = writeAt(fd, bytes, offset) && ::ftruncate(fd, offset + bytes.size()) == 0 &&
                    AtomicFile::syncFile(fd).isEmpty();
    ::close(fd);
    return ok;
}
#endif

} // namespace

JournalTail::JournalTail(const QString& copyPath) : m_copyPath(copyPath) {}

JournalTail::~JournalTail()
{
#ifdef Q_OS_UNIX
    if (m_record < 0)
        return;
    // A record that still holds something is the only repair of a copy that
    // a failed replacement left torn; the next start applies it.
    const bool empty = ::lseek(m_record, 0, SEEK_END) == 0;
    if (empty)
        QFile::remove(recordPath(m_copyPath));
    ::close(m_record);
#endif
}

QString JournalTail::recordPath(const QString& copyPath)
{
    return copyPath + QStringLiteral(".tail");
}

bool JournalTail::replace(qint64 offset, QByteArrayView bytes)
{
#ifdef Q_OS_UNIX
    if (m_record < 0) {
        m_record = ::open(QFile::encodeName(recordPath(m_copyPath)).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_record < 0)
            return false;
        ::flock(m_record, LOCK_EX | LOCK_NB);
        // The record's name has to be on the disk before the copy relies on it.
        AtomicFile::syncFolder(QFileInfo(m_copyPath).absolutePath());
    }
    // Emptied first, so that a crash while writing leaves a record that is
    // either empty or fails its check, never an older one that looks whole.
    if (::ftruncate(m_record, 0) != 0 || !writeAt(m_record, recordOf(offset, bytes), 0) ||
        !AtomicFile::syncFile(m_record).isEmpty()) {
        discard();
        return false;
    }
    if (!applyTo(m_copyPath, offset, bytes))
        return false;
    discard();
    return true;
#else
    Q_UNUSED(offset);
    Q_UNUSED(bytes);
    return false;
#endif
}

void JournalTail::discard()
{
#ifdef Q_OS_UNIX
    if (m_record >= 0 && ::ftruncate(m_record, 0) != 0) {
        // Nothing better to do: the copy is complete and a stale record
        // only writes the same bytes once more.
    }
#endif
}

void JournalTail::finishInterrupted(const QString& folder)
{
#ifdef Q_OS_UNIX
    const QDir dir(folder);
    const QStringList records =
        dir.entryList({QStringLiteral("*.txt.tail")}, QDir::Files | QDir::Hidden);
    for (const QString& name : records) {
        const QString path = dir.filePath(name);
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        // Locked: the program that writes it is still running.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        QFile file;
        QByteArray record;
        if (file.open(fd, QIODevice::ReadOnly))
            record = file.readAll();
        file.close();
        qint64 offset = 0;
        QByteArray bytes;
        const QString copy = path.chopped(5);
        // An incomplete record was never relied on: the copy is untouched.
        const bool applied = !parseRecord(record, offset, bytes) || !QFile::exists(copy) ||
                             applyTo(copy, offset, bytes);
        if (applied)
            QFile::remove(path);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}
