#pragma once

// A disk that runs full, for real: the code under test runs in a forked child
// whose files cannot grow beyond a given size, so write() there fails the way
// it does on a full file system (EFBIG instead of ENOSPC), whoever runs the
// test and without mounting anything. The child works on the parent's files
// and hands back a text report; the parent then looks at what is on disk.

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Lets files grow again, inside `body` of runOnFullDisk: the disk has room.
inline void makeRoomOnDisk()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// Runs `body` in a child process in which no file can grow beyond `room`
// bytes, and returns what it returned, or a text saying how the child ended.
inline QString runOnFullDisk(qint64 room, const std::function<QString()>& body)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("<no pipe>");
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("<no child>");
    if (child == 0) {
        ::close(channel[0]);
        // Past the limit the kernel would end the process; ignored, the
        // write fails instead.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = static_cast<rlim_t>(room);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const QByteArray report = body().toUtf8();
        for (qsizetype sent = 0; sent < report.size();) {
            const ssize_t n = ::write(channel[1], report.constData() + sent, report.size() - sent);
            if (n <= 0)
                break;
            sent += n;
        }
        // No destructors: the temporary folders belong to the parent.
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            report.append(buffer, n);
        else if (errno != EINTR)
            break;
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("<child ended with status %1>").arg(status);
    return QString::fromUtf8(report);
}
