#include "protocol/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

AtomicFile::Result AtomicFile::write(const QString& path, QByteArrayView data, const Writer& writer)
{
    QSaveFile file(path);
    // Unbuffered, so that a full disk fails the write that hits it. Buffered,
    // the bytes would only reach the disk inside commit(), which does not
    // notice a failing flush and renames the short file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {Status::CreateFailed, file.errorString()};
    const bool written = writer ? writer(file, data) : writeAll(file, data);
    const QString reason = written ? syncFile(file.handle()) : file.errorString();
    if (!written || !reason.isEmpty()) {
        file.cancelWriting();
        return {Status::WriteFailed, reason};
    }
    if (!file.commit())
        return {Status::WriteFailed, file.errorString()};
    syncFolder(QFileInfo(path).absolutePath());
    return {};
}

bool AtomicFile::writeAll(QIODevice& device, QByteArrayView data)
{
    // A write cut short by a full disk reports the bytes it got out; only the
    // next one fails with the reason.
    const char* next = data.data();
    qint64 left = data.size();
    while (left > 0) {
        const qint64 n = device.write(next, left);
        if (n <= 0)
            return false;
        next += n;
        left -= n;
    }
    return true;
}

namespace {

#ifdef Q_OS_UNIX
qint64 systemWriteAt(int handle, const char* data, qint64 size, qint64 offset)
{
    return ::pwrite(handle, data, static_cast<size_t>(size), static_cast<off_t>(offset));
}

int systemTruncate(int handle, qint64 size)
{
    return ::ftruncate(handle, static_cast<off_t>(size));
}

int systemSync(int handle)
{
#ifdef Q_OS_LINUX
    return ::fdatasync(handle);
#else
    return ::fsync(handle);
#endif
}
#else
qint64 systemWriteAt(int, const char*, qint64, qint64)
{
    return -1;
}

int systemTruncate(int, qint64)
{
    return -1;
}

int systemSync(int)
{
    return 0;
}
#endif

} // namespace

AtomicFile::SystemCalls& AtomicFile::systemCalls()
{
    static SystemCalls calls{&systemWriteAt, &systemTruncate, &systemSync};
    return calls;
}

QString AtomicFile::syncFile(int handle)
{
    // Some file systems (network, quota, delayed allocation) only find out
    // at this point that the bytes have no room.
    if (systemCalls().sync(handle) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

bool AtomicFile::writeAt(int handle, QByteArrayView data, qint64 offset)
{
    const char* next = data.data();
    qint64 left = data.size();
    while (left > 0) {
        const qint64 n = systemCalls().writeAt(handle, next, left, offset);
        if (n <= 0)
            return false;
        next += n;
        left -= n;
        offset += n;
    }
    return true;
}

bool AtomicFile::truncate(int handle, qint64 size)
{
    return systemCalls().truncate(handle, size) == 0;
}

void AtomicFile::syncFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}
