#include "ui/main/DataFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

// A copied program folder wins over an installation; an installed program
// finds its files in ../share/kelvatron; when neither has the file, the place
// beside the program is named, where the operator is told to put it.
TEST(DataFiles, BesideTheProgramFirstThenTheInstalledFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString program = root.filePath(QStringLiteral("usr/bin/Kelvatron"));
    const QString beside = root.filePath(QStringLiteral("usr/bin/Kelvatron.chm"));
    const QString installed = root.filePath(QStringLiteral("usr/share/kelvatron/Kelvatron.chm"));
    touch(program);

    EXPECT_EQ(DataFiles::locate(program, QStringLiteral("Kelvatron.chm")), beside);
    touch(installed);
    EXPECT_EQ(DataFiles::locate(program, QStringLiteral("Kelvatron.chm")), installed);
    touch(beside);
    EXPECT_EQ(DataFiles::locate(program, QStringLiteral("Kelvatron.chm")), beside);
    // A folder of that name beside the program holds no template.
    QDir().mkpath(root.filePath(QStringLiteral("usr/bin/Protokollvorlage.doc")));
    touch(root.filePath(QStringLiteral("usr/share/kelvatron/Protokollvorlage.doc")));
    EXPECT_EQ(DataFiles::locate(program, QStringLiteral("Protokollvorlage.doc")),
              root.filePath(QStringLiteral("usr/share/kelvatron/Protokollvorlage.doc")));
}
