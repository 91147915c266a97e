#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Shows the program's compiled help file. On Linux the desktop's viewer for
// .chm files does the showing: the help "library" counts as present when a
// viewer can be asked at all (xdg-open on the PATH).
//
// Start-up: LoadHelpLibrary() once before the first window, with a message
// function that shows the warning when no viewer can be asked. Then
// setHelpFile(helpFileForProgram(<the executable>)); F1, Ctrl+I and the help
// button call ShowTableOfContents().
class THelpSystem
{
public:
    using Opener = std::function<bool(const QUrl&)>;
    using ViewerProbe = std::function<bool()>;
    using MessageFn = std::function<void(const QString& title, const QString& text)>;

    // Empty functions take the real ones: QDesktopServices::openUrl and the
    // xdg-open probe.
    explicit THelpSystem(Opener opener = {}, ViewerProbe probe = {});

    static QString ViewerName();
    static QString warningTitle();
    static QString warningText();

    // The program's full path with its extension replaced by ".chm" (added
    // where the file name has none).
    static QString helpFileForProgram(const QString& programPath);

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

    // Hands the resolved help file to the opener. Without a viewer the
    // request still goes to the desktop, which may have a way of its own.
    // False when there was no file or the opener refused it.
    bool ShowTableOfContents();

private:
    Opener m_open;
    ViewerProbe m_probe;
    QString m_helpFile;
    bool m_loaded = false;
};
