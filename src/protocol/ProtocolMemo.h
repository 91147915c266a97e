#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class ProtocolJournal;
class QPlainTextEdit;
class QTextDocument;
class QThread;

// The protocol text area seen as a list of lines. It behaves exactly like the
// functions of ProtocolText on the area's text, but works on the document's
// blocks, so appending to a long protocol costs the same as to a short one.
//
// Building the document of a protocol of many megabytes takes longer than a
// race may wait for the window, so such a text can be loaded in the
// background (loadText). Until its document is shown, every function here
// answers for the loaded text, and lines added or replaced meanwhile are
// applied to it in order, exactly as if the load had been instant.
class ProtocolMemo : public QObject
{
    Q_OBJECT

public:
    explicit ProtocolMemo(QPlainTextEdit* memo);
    ~ProtocolMemo() override;

    QPlainTextEdit* widget() const { return m_memo; }
    // The crash copy, told of the changes the area's document cannot show yet.
    void setJournal(ProtocolJournal* journal) { m_journal = journal; }

    // "\n"-separated, every character as stored (a no-break space stays one).
    QString text() const;
    QByteArray fileBytes() const;
    bool isEmpty() const;
    // Replaces everything at once; the text is normalised first. Wins over a
    // load still being built.
    void setText(const QString& text);
    // Replaces everything with an already normalised text; the caret goes to
    // its end. In the background, the area keeps showing the previous text
    // until the new document is built.
    void loadText(const QString& text, bool inBackground);
    // A background load has not been shown yet.
    bool isLoading() const { return m_pending != nullptr; }
    // Nothing is being loaded, and every document built or replaced has been
    // shown or freed.
    bool isSettled() const;

    int lineCount() const;
    QString line(int index) const;
    // The caret follows to the end so the newest line stays in view.
    void appendLine(const QString& lineText);
    void replaceLine(int index, const QString& lineText);

    // For readers that keep what they read: every change of the lines counts
    // changeSerial() up, and changesSince() tells from which line on the
    // lines may differ from what they were at an earlier serial; `whole` when
    // everything was replaced (or the serial is too old to tell). Empty when
    // nothing changed. A background load counts as changed when it starts;
    // showing its document changes no line.
    struct LineChange
    {
        int firstLine = 0;
        bool whole = false;
    };
    quint64 changeSerial() const { return m_serial; }
    std::optional<LineChange> changesSince(quint64 serial) const;

signals:
    // The protocol may read differently now: the area's text changed, a line
    // went into a load still being built, or a built load is shown. Raised
    // after the change, once the lines answer for it.
    void linesChanged();

private:
    struct Pending;
    struct Built;

    void followDocument();
    void documentChanged(int position, int charsRemoved, int charsAdded);
    void noteChange(int firstLine, bool whole);

    void startBuilding(const QString& text);
    void show(std::unique_ptr<QTextDocument> document);
    void changed(int position, int charsRemoved, int charsAdded);
    void dispose(QTextDocument* document);
    void waitForWorkers();

    QPointer<QPlainTextEdit> m_memo;
    ProtocolJournal* m_journal = nullptr;
    // The text being loaded and what happened to it since, while its
    // document is built; null otherwise.
    std::unique_ptr<Pending> m_pending;
    // Which load a finished document belongs to: only the latest is shown.
    int m_generation = 0;
    std::vector<QPointer<QThread>> m_workers;
    // Receives the finished documents; gone with this object, so a document
    // finished after it is dropped instead of delivered.
    std::unique_ptr<QObject> m_receiver;
    QMetaObject::Connection m_documentChanges;
    quint64 m_serial = 0;
    // The latest changes, oldest first; each with the serial it made.
    std::deque<std::pair<quint64, LineChange>> m_changes;
};
