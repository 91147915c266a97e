// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/FileSystem.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

qint64 FileSystem::writeAt(int handle, const char* data, qint64 size, qint64 offset)
{
    return ::pwrite(handle, data, static_cast<size_t>(size), static_cast<off_t>(offset));
}

int FileSystem::truncate(int handle, qint64 size)
{
    return ::ftruncate(handle, static_cast<off_t>(size));
}

int FileSystem::sync(int handle)
{
    // The size is part of the data; times of access are not worth the wait.
    return ::fdatasync(handle);
}

void FileSystem::syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int FileSystem::openPlain(const QString& path, Access access)
{
    int mode = O_RDONLY;
    switch (access) {
    case Access::Read:
        mode = O_RDONLY;
        break;
    case Access::Write:
        mode = O_WRONLY;
        break;
    case Access::ReadWrite:
        mode = O_RDWR;
        break;
    case Access::CreateReadWrite:
        mode = O_RDWR | O_CREAT;
        break;
    }
    return ::open(QFile::encodeName(path).constData(), mode | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                  0644);
}

void FileSystem::close(int handle)
{
    ::close(handle);
}

bool FileSystem::isPlainFile(int handle, qint64& size)
{
    struct stat info
    {
    };
    if (::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    size = info.st_size;
    return true;
}

bool FileSystem::readAt(int handle, QByteArray& out, qint64 size, qint64 offset)
{
    out.resize(size);
    for (qint64 got = 0; got < size;) {
        const ssize_t n =
            ::pread(handle, out.data() + got, static_cast<size_t>(size - got), offset + got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += n;
    }
    return true;
}

bool FileSystem::tryLock(int handle)
{
    return ::flock(handle, LOCK_EX | LOCK_NB) == 0;
}

bool FileSystem::exists(const QString& path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

void FileSystem::rename(const QString& from, const QString& to)
{
    ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData());
}
