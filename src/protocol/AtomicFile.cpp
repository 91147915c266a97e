#include "protocol/AtomicFile.h"

#include "protocol/FileSystem.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

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

AtomicFile::SystemCalls& AtomicFile::systemCalls()
{
    static SystemCalls calls{&FileSystem::writeAt, &FileSystem::truncate, &FileSystem::sync};
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
    FileSystem::syncFolder(folder);
}
