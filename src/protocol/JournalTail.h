#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Replaces the end of a crash copy from a given byte on, so that rewriting a
// line near the end of a protocol of many megabytes writes a few hundred
// bytes instead of the whole file.
//
// The copy is changed in place, so a crash in the middle would tear it. To
// rule that out the new end is first written, complete and synced, to a
// small record beside the copy ("<copy>.tail"); only then is the copy cut
// back to the offset, given the new end and synced, and the record emptied
// and synced. A crash before the record is complete leaves the copy as it
// was; a crash after it leaves a record that the next start of the program
// writes into the copy (finishInterrupted), so the copy is never torn nor
// older than what the window showed once the program runs again. A running
// program holds a lock on its record, so a second program started meanwhile
// leaves it alone.
//
// As the copy is cut back before its new end is written, a record whose
// bytes are found in place was applied completely, and whatever follows
// them was appended later: such a record is skipped, never applied again.
// A record that fails its check, points outside the copy, or is no plain
// file of a plausible size is set aside under a name that says so
// ("<copy>.tail.not-applied") for a human to look at, and the copy is left
// as it is.
class JournalTail
{
public:
    explicit JournalTail(const QString& copyPath);
    ~JournalTail();
    JournalTail(const JournalTail&) = delete;
    JournalTail& operator=(const JournalTail&) = delete;

    // The copy afterwards holds its bytes before `offset`, then `bytes`, and
    // ends there, and the record is empty on disk. False when that could not
    // be done; the record then still holds this replacement (holdsRecord()).
    bool replace(qint64 offset, QByteArrayView bytes);
    // The copy was rewritten whole: empties the record on disk so that it
    // is never applied later. False when that failed.
    bool discard();
    // A record may still be on disk: a replacement or its removal failed.
    // Nothing may be written behind the copy's end until settle() is done,
    // or a start after a crash would cut it off again.
    bool holdsRecord() const { return m_holding; }
    // Completes the replacement the record holds and empties it.
    bool settle();
    // The system's reason for the last failure.
    QString lastError() const { return m_error; }

    // Completes every replacement in the folder that a crash cut short.
    static void finishInterrupted(const QString& folder);
    static QString recordPath(const QString& copyPath);

private:
    bool fail();

    QString m_copyPath;
    int m_record = -1;
    bool m_holding = false;
    qint64 m_offset = 0;
    QByteArray m_bytes;
    QString m_error;
};
