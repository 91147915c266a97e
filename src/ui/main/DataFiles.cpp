#include "ui/main/DataFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataFiles {

QString installedFolder(const QString& programPath)
{
    const QDir programFolder = QFileInfo(programPath).absoluteDir();
    return QDir::cleanPath(programFolder.filePath(QStringLiteral("../share/kelvatron")));
}

QString locate(const QString& programPath, const QString& fileName)
{
    QString beside = QFileInfo(programPath).absoluteDir().filePath(fileName);
    if (QFileInfo(beside).isFile())
        return beside;
    QString installed = QDir(installedFolder(programPath)).filePath(fileName);
    if (QFileInfo(installed).isFile())
        return installed;
    return beside;
}

QString dialogFolder(const QString& programPath)
{
    const QFileInfo folder(QFileInfo(programPath).absolutePath());
    if (folder.isWritable())
        return folder.absoluteFilePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? folder.absoluteFilePath() : documents;
}

} // namespace DataFiles
