#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

class QIODevice;

// Writes a whole file so that readers see either the old or the new content:
// the bytes go to a temporary file in the target folder, are synced, and the
// temporary file is renamed over the target. A failed or interrupted write
// leaves the old file and no temporary file behind.
class AtomicFile
{
public:
    // Puts the data into the open temporary file; false means it failed.
    using Writer = std::function<bool(QIODevice& device, QByteArrayView data)>;

    enum class Status
    {
        Ok,
        CreateFailed,
        WriteFailed
    };
    struct Result
    {
        Status status = Status::Ok;
        QString reason; // the system's text when status is not Ok
        bool ok() const { return status == Status::Ok; }
    };

    static Result write(const QString& path, QByteArrayView data, const Writer& writer = {});
    // Writes every byte, going on after a short write; false on the first
    // write that fails.
    static bool writeAll(QIODevice& device, QByteArrayView data);
    // Pushes an open file's bytes to the disk; the system's reason when that
    // fails, else empty.
    static QString syncFile(int handle);
    // Makes a rename in the folder survive a power cut.
    static void syncFolder(const QString& folder);

    // Changes of a file in place: every byte at `offset`, going on after a
    // short write; the new size; false on the first call that fails.
    static bool writeAt(int handle, QByteArrayView data, qint64 offset);
    static bool truncate(int handle, qint64 size);

    // The calls through which the crash copy reaches the disk, in one place,
    // so that a test can make any one of them fail the way a failing disk
    // does (returning -1 with errno set) and see what is left behind.
    struct SystemCalls
    {
        qint64 (*writeAt)(int handle, const char* data, qint64 size, qint64 offset);
        int (*truncate)(int handle, qint64 size);
        int (*sync)(int handle);
    };
    static SystemCalls& systemCalls();
};
