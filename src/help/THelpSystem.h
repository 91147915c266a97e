#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QProcess;

// Shows the program's compiled help file. On Linux a CHM viewer program does
// the showing: the help "library" counts as present when one can be started.
// The program keeps at most one viewer of its own and closes it when it ends,
// as the help control closes all its windows at shutdown.
//
// Start-up: LoadHelpLibrary() once before the first window, with a message
// function that shows the warning when no viewer can be started. Then
// setHelpFile(helpFileForProgram(<the executable>)); F1, Ctrl+I and the help
// button call ShowTableOfContents(). The destructor closes the viewer.
class THelpSystem
{
public:
    // The command line that shows a help file: the program, then its
    // arguments; empty when there is nothing to start.
    using ViewerCommand = std::function<QStringList(const QString& helpFile)>;
    using ViewerProbe = std::function<bool()>;
    using MessageFn = std::function<void(const QString& title, const QString& text)>;

    // Empty functions take the real ones: defaultViewerCommand and
    // desktopViewerAvailable.
    explicit THelpSystem(ViewerCommand command = {}, ViewerProbe probe = {});
    ~THelpSystem();
    THelpSystem(const THelpSystem&) = delete;
    THelpSystem& operator=(const THelpSystem&) = delete;

    static QString ViewerName();
    static QString warningTitle();
    static QString warningText();

    // The program's full path with its extension replaced by ".chm" (added
    // where the file name has none).
    static QString helpFileForProgram(const QString& programPath);

    // A CHM viewer found on the PATH, else the desktop's opener.
    static QStringList defaultViewerCommand(const QString& helpFile);
    static bool desktopViewerAvailable();

    // Probes for a viewer; without one, passes the warning to warn (a
    // QMessageBox when warn is empty). Start-up goes on either way.
    bool LoadHelpLibrary(const MessageFn& warn = {});
    bool libraryLoaded() const { return m_loaded; }

    void setHelpFile(const QString& path) { m_helpFile = path; }
    QString HelpFile() const { return m_helpFile; }

    // The file a request would show: the given name, else the application's
    // help file; empty when that file does not exist (then nothing happens).
    QString ResolveHelpFile(const QString& name = {}) const;

    // Starts the viewer on the resolved help file, in place of one this
    // program started before. Without a probed viewer the request is still
    // tried. False when there was no file or nothing could be started.
    bool ShowTableOfContents();

    // Closes the viewer this program started, with whatever it started in
    // turn; nothing when none runs.
    void CloseHelpWindows();
    bool helpWindowOpen() const;

private:
    ViewerCommand m_command;
    ViewerProbe m_probe;
    QString m_helpFile;
    bool m_loaded = false;
    std::unique_ptr<QProcess> m_viewer;
};
