#include "help/THelpSystem.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

THelpSystem::THelpSystem(Opener opener, ViewerProbe probe)
    : m_open(std::move(opener)), m_probe(std::move(probe))
{
    if (!m_open) {
        m_open = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    }
    if (!m_probe) {
        m_probe = &THelpSystem::desktopViewerAvailable;
    }
}

QString THelpSystem::ViewerName()
{
    return QStringLiteral("HtmlHelp");
}

QString THelpSystem::warningTitle()
{
    return QStringLiteral("Warning!");
}

QString THelpSystem::warningText()
{
    return QStringLiteral("Unable to view HTML help (*.chm). Update windows help system. "
                          "Get new \"HHCTRL.OCX\" library.");
}

QString THelpSystem::helpFileForProgram(const QString& programPath)
{
    // Only the file name's last suffix goes; a dot in a folder name stays.
    const QFileInfo info(programPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    const QString folder = programPath.left(programPath.size() - name.size());
    return folder + stem + QStringLiteral(".chm");
}

bool THelpSystem::desktopViewerAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}

bool THelpSystem::LoadHelpLibrary(const MessageFn& warn)
{
    m_loaded = m_probe();
    if (!m_loaded) {
        if (warn) {
            warn(warningTitle(), warningText());
        } else {
            QMessageBox::warning(nullptr, warningTitle(), warningText(), QMessageBox::Ok);
        }
    }
    return m_loaded;
}

QString THelpSystem::ResolveHelpFile(const QString& name) const
{
    const QString file = name.isEmpty() ? m_helpFile : name;
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        return {};
    }
    return file;
}

bool THelpSystem::ShowTableOfContents()
{
    const QString file = ResolveHelpFile();
    if (file.isEmpty()) {
        return false;
    }
    return m_open(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}
