#include "help/THelpSystem.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <unistd.h>

THelpSystem::THelpSystem(ViewerCommand command, ViewerProbe probe)
    : m_command(std::move(command)), m_probe(std::move(probe))
{
    if (!m_command) {
        m_command = &THelpSystem::defaultViewerCommand;
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

THelpSystem::~THelpSystem()
{
    CloseHelpWindows();
}

QStringList THelpSystem::defaultViewerCommand(const QString& helpFile)
{
    // A viewer started directly stays ours to close. The desktop's opener
    // may hand the file to a viewer that outlives it, so it comes last.
    for (const char* name : {"xchm", "kchmviewer", "xdg-open"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty())
            return {program, helpFile};
    }
    return {};
}

bool THelpSystem::desktopViewerAvailable()
{
    return !defaultViewerCommand(QStringLiteral("Kelvatron.chm")).isEmpty();
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
    QString file = name.isEmpty() ? m_helpFile : name;
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
    const QStringList command = m_command(QFileInfo(file).absoluteFilePath());
    if (command.isEmpty()) {
        return false;
    }
    // One viewer per program: a new one replaces the old and so also comes
    // up in front of the main window.
    CloseHelpWindows();
    auto viewer = std::make_unique<QProcess>();
    viewer->setProgram(command.front());
    viewer->setArguments(command.mid(1));
    viewer->setStandardInputFile(QProcess::nullDevice());
    viewer->setStandardOutputFile(QProcess::nullDevice());
    viewer->setStandardErrorFile(QProcess::nullDevice());
    // Its own process group, so closing it reaches whatever it starts.
    viewer->setChildProcessModifier([] { ::setpgid(0, 0); });
    viewer->start();
    if (!viewer->waitForStarted()) {
        return false;
    }
    m_viewer = std::move(viewer);
    return true;
}

bool THelpSystem::helpWindowOpen() const
{
    return m_viewer && m_viewer->state() != QProcess::NotRunning;
}

void THelpSystem::CloseHelpWindows()
{
    if (!m_viewer) {
        return;
    }
    if (m_viewer->state() != QProcess::NotRunning) {
        // Until the viewer is waited for, its group cannot belong to anyone
        // else.
        const pid_t group = static_cast<pid_t>(m_viewer->processId());
        ::kill(-group, SIGTERM);
        if (!m_viewer->waitForFinished(3000)) {
            ::kill(-group, SIGKILL);
            m_viewer->waitForFinished(3000);
        }
    }
    m_viewer.reset();
}
