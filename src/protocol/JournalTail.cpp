#include "protocol/JournalTail.h"

#include "protocol/AtomicFile.h"
#include "protocol/FileSystem.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

constexpr char kMagic[] = "Kelvatron tail";
// No record's first line is longer; a record holds at most this more than
// the copy it belongs to.
constexpr qint64 kHeaderLimit = 256;

// Covers where the bytes go as well as the bytes, so a record whose offset
// or length changed fails as surely as one whose bytes did.
QByteArray digestOf(qint64 offset, QByteArrayView bytes)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray::number(offset) + ' ' + QByteArray::number(bytes.size()) + '\n');
    hash.addData(bytes);
    return hash.result().toHex();
}

// "<magic> 2 <offset> <length> <digest>\n" and the bytes: a record cut short
// or mixed with an older one fails the length or the digest.
QByteArray recordOf(qint64 offset, QByteArrayView bytes)
{
    QByteArray record = QByteArray(kMagic) + " 2 " + QByteArray::number(offset) + ' ' +
                        QByteArray::number(bytes.size()) + ' ' + digestOf(offset, bytes) + '\n';
    record.append(bytes.data(), bytes.size());
    return record;
}

struct Record
{
    qint64 offset = 0;
    QByteArray bytes;
    // Written by an earlier version: "<magic> <offset> <length> <checksum>",
    // whose checksum covers the bytes only.
    bool offsetUnchecked = false;
};

std::optional<Record> parseRecord(const QByteArray& raw)
{
    const qsizetype end = raw.indexOf('\n');
    if (end < 0 || end > kHeaderLimit)
        return {};
    const QList<QByteArray> fields = raw.left(end).split(' ');
    const bool older = fields.size() == 5;
    if (!older && (fields.size() != 6 || fields[2] != "2"))
        return {};
    if (fields[0] + ' ' + fields[1] != kMagic)
        return {};
    const qsizetype first = older ? 2 : 3;
    bool ok[3] = {};
    Record record;
    record.offset = fields[first].toLongLong(&ok[0]);
    const qint64 length = fields[first + 1].toLongLong(&ok[1]);
    if (!ok[0] || !ok[1] || record.offset < 0 || length != raw.size() - end - 1)
        return {};
    record.bytes = raw.mid(end + 1);
    if (older) {
        record.offsetUnchecked = true;
        if (qChecksum(record.bytes) != fields[4].toUInt(&ok[2]) || !ok[2])
            return {};
    } else if (fields[5] != digestOf(record.offset, record.bytes)) {
        return {};
    }
    return record;
}

class Handle
{
public:
    explicit Handle(int fd) : m_fd(fd) {}
    ~Handle()
    {
        if (m_fd >= 0)
            FileSystem::close(m_fd);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

using FileSystem::Access;
using FileSystem::isPlainFile;
using FileSystem::openPlain;
using FileSystem::readAt;

// The copy holds its old bytes before `offset`, then `bytes`, and ends there.
// Cut back first, so that bytes found in place later were written completely
// and nothing of the old end can follow them.
bool applyTo(int copy, qint64 offset, QByteArrayView bytes)
{
    return AtomicFile::truncate(copy, offset) && AtomicFile::writeAt(copy, bytes, offset) &&
           AtomicFile::syncFile(copy).isEmpty();
}

// Kept for a human under a name no start of the program looks at again.
void setAside(const QString& path)
{
    for (int n = 1; n < 1000; ++n) {
        QString name = path + QStringLiteral(".not-applied");
        if (n > 1)
            name += QStringLiteral("-%1").arg(n);
        if (FileSystem::exists(name))
            continue;
        FileSystem::rename(path, name);
        return;
    }
}

enum class Outcome
{
    Done,     // the copy holds the record's bytes: it can go
    SetAside, // not to be applied, not to be lost
    Keep      // sound, but the copy cannot be written now: try at the next start
};

Outcome finish(int recordFd, qint64 recordSize, const QString& copyPath)
{
    const Handle copy(openPlain(copyPath, Access::ReadWrite));
    if (copy.fd() < 0)
        return errno == ENOENT || errno == ELOOP ? Outcome::SetAside : Outcome::Keep;
    qint64 copySize = 0;
    // The record's bytes replace the copy's end, so they are never more
    // than the copy holds: anything larger is not read at all.
    if (!isPlainFile(copy.fd(), copySize) || recordSize > copySize + kHeaderLimit)
        return Outcome::SetAside;
    QByteArray raw;
    if (!readAt(recordFd, raw, recordSize, 0))
        return Outcome::Keep;
    const std::optional<Record> record = parseRecord(raw);
    // The copy is cut back no further than the offset, so it reaches it.
    if (!record || record->offset > copySize)
        return Outcome::SetAside;
    const qint64 length = record->bytes.size();
    QByteArray present;
    if (copySize >= record->offset + length && readAt(copy.fd(), present, length, record->offset) &&
        present == record->bytes)
        return Outcome::Done;
    // An earlier version's offset is not covered by its checksum; it always
    // pointed at the start of a line.
    if (record->offsetUnchecked &&
        (record->offset < 2 || !readAt(copy.fd(), present, 2, record->offset - 2) ||
         present != "\r\n"))
        return Outcome::SetAside;
    return applyTo(copy.fd(), record->offset, record->bytes) ? Outcome::Done : Outcome::Keep;
}

void finishRecord(const QString& path)
{
    const Handle fd(openPlain(path, Access::Read));
    if (fd.fd() < 0) {
        if (errno == ELOOP)
            setAside(path);
        return;
    }
    qint64 size = 0;
    if (!isPlainFile(fd.fd(), size)) {
        setAside(path);
        return;
    }
    // Locked: the program that writes it is still running.
    if (!FileSystem::tryLock(fd.fd()))
        return;
    const Outcome outcome = size == 0 ? Outcome::Done : finish(fd.fd(), size, path.chopped(5));
    if (outcome == Outcome::Done)
        QFile::remove(path);
    else if (outcome == Outcome::SetAside)
        setAside(path);
}

} // namespace

JournalTail::JournalTail(const QString& copyPath) : m_copyPath(copyPath) {}

JournalTail::~JournalTail()
{
    if (m_record < 0)
        return;
    // A record that may still hold something is the only repair of a copy
    // that a failed replacement left torn; the next start applies it.
    if (!m_holding)
        QFile::remove(recordPath(m_copyPath));
    FileSystem::close(m_record);
}

QString JournalTail::recordPath(const QString& copyPath)
{
    return copyPath + QStringLiteral(".tail");
}

bool JournalTail::fail()
{
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

bool JournalTail::replace(qint64 offset, QByteArrayView bytes)
{
    if (m_record < 0) {
        m_record = openPlain(recordPath(m_copyPath), Access::CreateReadWrite);
        if (m_record < 0)
            return fail();
        // Held while this program runs: a start meanwhile leaves it alone.
        FileSystem::tryLock(m_record);
        // The record's name has to be on the disk before the copy relies on it.
        AtomicFile::syncFolder(QFileInfo(m_copyPath).absolutePath());
    }
    m_holding = true;
    m_offset = offset;
    m_bytes = bytes.toByteArray();
    // Emptied first, so that a crash while writing leaves a record that is
    // either empty or fails its check, never an older one that looks whole.
    if (!AtomicFile::truncate(m_record, 0) ||
        !AtomicFile::writeAt(m_record, recordOf(offset, bytes), 0)) {
        fail();
        // The copy was not touched; should emptying fail as well, settle()
        // still brings it to where this replacement wanted it.
        discard();
        return false;
    }
    const QString reason = AtomicFile::syncFile(m_record);
    if (!reason.isEmpty()) {
        m_error = reason;
        discard();
        return false;
    }
    return settle();
}

bool JournalTail::settle()
{
    if (!m_holding)
        return true;
    {
        const Handle copy(openPlain(m_copyPath, Access::Write));
        if (copy.fd() < 0 || !applyTo(copy.fd(), m_offset, m_bytes))
            return fail();
    }
    return discard();
}

bool JournalTail::discard()
{
    if (!m_holding)
        return true;
    // Synced before anything is written behind the copy's end: a record
    // left whole on the disk would cut that off at the next start.
    if (!AtomicFile::truncate(m_record, 0))
        return fail();
    const QString reason = AtomicFile::syncFile(m_record);
    if (!reason.isEmpty()) {
        m_error = reason;
        return false;
    }
    m_holding = false;
    m_bytes.clear();
    return true;
}

void JournalTail::finishInterrupted(const QString& folder)
{
    const QDir dir(folder);
    // Whatever lies there under a record's name, links and pipes included.
    const QStringList records =
        dir.entryList({QStringLiteral("*.txt.tail")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : records)
        finishRecord(dir.filePath(name));
}
