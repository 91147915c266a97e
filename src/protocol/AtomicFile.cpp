#include "protocol/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

AtomicFile::Result AtomicFile::write(const QString& path, QByteArrayView data, const Writer& writer)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {Status::CreateFailed, file.errorString()};
    const bool written = writer ? writer(file, data) : writeAll(file, data);
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {Status::WriteFailed, reason};
    }
    // commit() flushes, syncs the temporary file and renames it.
    if (!file.commit())
        return {Status::WriteFailed, file.errorString()};
    syncFolder(QFileInfo(path).absolutePath());
    return {};
}

bool AtomicFile::writeAll(QIODevice& device, QByteArrayView data)
{
    return device.write(data.data(), data.size()) == data.size();
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
