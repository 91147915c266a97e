#include "CommTestSupport.h"

#include "comm/PortProbe.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using CommTest::Pty;

namespace {

TEST(CommProbe, FindsTheSerialLinesAndNothingElse)
{
    QTemporaryDir dir;
    std::vector<std::unique_ptr<Pty>> ptys;
    for (const char* name : {"ttyS0", "ttyS1", "ttyUSB0"}) {
        ptys.push_back(std::make_unique<Pty>());
        ASSERT_FALSE(ptys.back()->slave().isEmpty());
        ASSERT_TRUE(QFile::link(ptys.back()->slave(), dir.filePath(QString::fromLatin1(name))));
    }
    // A plain file, a character device that is no terminal, a dangling link.
    QFile plain(dir.filePath(QStringLiteral("ttyS2")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), dir.filePath(QStringLiteral("ttyS3"))));
    ASSERT_TRUE(
        QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("ttyACM0"))));

    const int before = CommTest::openDescriptors();
    const std::uint32_t ports = PortProbe::ProbePorts(dir.path());
    EXPECT_EQ(CommTest::openDescriptors(), before);

    EXPECT_EQ(ports, 0x00050013u); // COM1, COM2, COM5; highest 5
    EXPECT_EQ(
        PortProbe::PortListTexts(ports),
        (QStringList{QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM5")}));
}

TEST(CommProbe, AnEmptyFolderHasNoPorts)
{
    QTemporaryDir dir;
    EXPECT_EQ(PortProbe::ProbePorts(dir.path()), 0u);
    EXPECT_TRUE(PortProbe::PortListTexts(0).isEmpty());
}

} // namespace

TEST(CommProbe, PassesOverSkippedDevicesSuchAsTheConsole)
{
    QTemporaryDir dir;
    Pty console;
    Pty free;
    ASSERT_TRUE(QFile::link(console.slave(), dir.filePath(QStringLiteral("ttyS0"))));
    ASSERT_TRUE(QFile::link(free.slave(), dir.filePath(QStringLiteral("ttyS1"))));
    struct stat info = {};
    ASSERT_EQ(stat(console.slave().toLocal8Bit().constData(), &info), 0);

    EXPECT_EQ(PortProbe::ProbePorts(dir.path(), {}), 0x00020003u);
    EXPECT_EQ(PortProbe::ProbePorts(dir.path(), {info.st_rdev}), 0x00020002u)
        << "a console line is not offered as a barrier port";
}
