#include "comm/ComErrors.h"
#include "comm/LinuxSerialDevice.h"
#include "comm/PortWiring.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The error number a device open fails with, as the device reports it.
int openError(const QString& path)
{
    try {
        LinuxSerialDevice device;
        device.open(path, {});
    } catch (const EComError& error) {
        return error.systemError();
    }
    return 0;
}

} // namespace

// A line the user may not open is the one failure an operator can mend
// alone: the real EACCES of the system must reach the wiring, which then
// says how, in German; any other failure keeps the component's own text.
TEST(PortOpenFailure, MissingRightsAreToldWithTheDialoutHint)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString line = dir.filePath(QStringLiteral("ttyS1"));
    QFile file(line);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    // The folder may be searched by anyone; the line itself is its owner's.
    ASSERT_TRUE(QFile::setPermissions(
        dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                        QFileDevice::ExeOther | QFileDevice::ReadOther));

    if (geteuid() == 0) {
        // Root opens anything; an ordinary user is who meets this.
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(2);
            _exit(openError(line) == EACCES ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the open did not fail with EACCES as nobody";
    } else {
        ASSERT_TRUE(file.setPermissions(QFileDevice::Permissions()));
        EXPECT_EQ(openError(line), EACCES);
    }
    EXPECT_EQ(openError(dir.filePath(QStringLiteral("ttyS7"))), ENOENT);

    const QString hint = PortWiring::openFailureText(
        EComHandle(QStringLiteral("Unable to open com port: Permission denied"), EACCES), 2,
        QStringLiteral("/dev/ttyS1"));
    EXPECT_EQ(hint, QStringLiteral("Keine Berechtigung für die Lichtschranke an COM2 (/dev/ttyS1). "
                                   "Benutzer in die Gruppe \"dialout\" aufnehmen: "
                                   "sudo usermod -aG dialout $USER, dann neu anmelden."));
    const EComHandle missing(QStringLiteral("Unable to open com port: No such file or directory"),
                             ENOENT);
    EXPECT_EQ(PortWiring::openFailureText(missing, 2, QStringLiteral("/dev/ttyS1")),
              missing.message());
}
