#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class JournalTail;
class QPlainTextEdit;

// Keeps a copy of the protocol on disk that is never older than what the text
// area shows: it is brought up to date synchronously inside the document's
// change signal, before the change can be painted, so killing the program at
// any moment loses no line the operator has seen.
//
// Each run writes its own file, "<stamp>.txt" with the stamp of the run's
// start ("-2", "-3", ... when that name is taken). Nothing is written while the
// protocol is empty; once a copy exists, emptying the protocol (clear, or the
// first half of a load) leaves that copy alone and the next text goes to a
// fresh file, so neither a hasty clear nor a load over an unsaved race day
// destroys the only copy.
//
// Appending at the end writes only the new text. A change further up (STOPP
// rewriting its "Nr." line) writes the copy anew from the changed line on
// when that is the smaller part of a large copy (see JournalTail), else the
// whole copy is replaced atomically.
class ProtocolJournal : public QObject
{
    Q_OBJECT

public:
    // Completes first whatever replacement in the folder a crash cut short.
    ProtocolJournal(QPlainTextEdit* memo, const QString& folder, const QString& runStamp,
                    QObject* parent = nullptr);
    ~ProtocolJournal() override;

    QString folder() const { return m_folder; }
    // The file being kept up to date; empty while the protocol is empty.
    QString currentFile() const { return m_path; }
    QStringList filesOfThisRun() const { return m_files; }

    // A large protocol is loaded into a document of its own away from the
    // window; until that document is shown, the protocol is `text` ("\n"
    // between lines) and its changes are reported through contentsChange().
    void followText(const QString* text);
    // Back to the area's current document, whose text must be what the copy
    // was last brought up to date with.
    void followDocument();
    // A change of the protocol, in positions of its text.
    void contentsChange(int position, int charsRemoved, int charsAdded);
    // The last failure to write, or empty; writing goes on with the next change.
    QString lastError() const { return m_lastError; }

signals:
    // The copy could not be brought up to date; emitted when writing starts
    // failing, not again for every further change that fails as well.
    void writingFailed(const QString& reason);
    // A change reached the disk again after writingFailed.
    void writingRecovered();

private:
    bool createFile();
    bool append(int from, int to);
    bool rewrite();
    bool rewriteTail(int position);
    int documentLength() const;
    QString rawText() const;
    QString slice(int from, int to) const;
    int breaksBefore(int position) const;
    bool isOneBytePerChar(const QString& text) const;
    bool failed(const QString& reason);
    bool succeeded();

    QPlainTextEdit* m_memo;
    const QString* m_text = nullptr;
    QMetaObject::Connection m_connection;
    QString m_folder;
    QString m_stamp;
    QString m_path;
    QStringList m_files;
    QString m_lastError;
    // Characters of the document that the file holds; -1 when unknown.
    int m_writtenChars = -1;
    // Every character of the document is one byte of the file and every
    // break two, so a position in the document tells the byte in the file.
    bool m_oneBytePerChar = false;
    std::unique_ptr<JournalTail> m_tail;
};
