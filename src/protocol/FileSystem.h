// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The file calls behind the atomic writes and the crash copy where the
// systems differ. One implementation per platform. A call that fails answers
// -1 or false with errno set, so the caller can give the system's reason.
namespace FileSystem {

// The raw calls that AtomicFile::systemCalls() starts with: every byte at an
// offset, or fewer; the new size; the file's data on the disk.
qint64 writeAt(int handle, const char* data, qint64 size, qint64 offset);
int truncate(int handle, qint64 size);
int sync(int handle);
// Makes a rename in the folder survive a power cut; best effort.
void syncFolder(const QString& folder);

enum class Access
{
    Read,
    Write,
    ReadWrite,
    CreateReadWrite
};
// Neither a link (to a device that never ends, a pipe that never answers)
// is followed nor is the open held up by what lies there; a plain file is
// created for CreateReadWrite when missing.
int openPlain(const QString& path, Access access);
void close(int handle);
// Whether an open file is a plain file, and its size then.
bool isPlainFile(int handle, qint64& size);
// Exactly `size` bytes from `offset` on, or false.
bool readAt(int handle, QByteArray& out, qint64 size, qint64 offset);
// An exclusive lock, not waited for: false while another program holds one.
// It goes with the file's last handle.
bool tryLock(int handle);
// Whether anything is at `path`; a link counts itself, not what it names.
bool exists(const QString& path);
// Replaces whatever is at `to`; best effort.
void rename(const QString& from, const QString& to);

} // namespace FileSystem
