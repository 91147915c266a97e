#include "protocol/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
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

QString AtomicFile::syncFile(int handle)
{
#ifdef Q_OS_UNIX
    // Some file systems (network, quota, delayed allocation) only find out
    // at this point that the bytes have no room.
#ifdef Q_OS_LINUX
    const int synced = ::fdatasync(handle);
#else
    const int synced = ::fsync(handle);
#endif
    if (synced != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
#else
    Q_UNUSED(handle);
#endif
    return {};
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
