#pragma once

#include <QByteArrayView>
#include <QString>

// Replaces the end of a crash copy from a given byte on, so that rewriting a
// line near the end of a protocol of many megabytes writes a few hundred
// bytes instead of the whole file.
//
// The copy is changed in place, so a crash in the middle would tear it. To
// rule that out the new end is first written, complete and synced, to a
// small record beside the copy ("<copy>.tail"); only then is the copy
// changed, synced, and the record emptied. A crash before the record is
// complete leaves the copy as it was; a crash after it leaves a record that
// the next start of the program writes into the copy (finishInterrupted), so
// the copy is never torn nor older than what the window showed once the
// program runs again. A running program holds a lock on its record, so a
// second program started meanwhile leaves it alone.
class JournalTail
{
public:
    explicit JournalTail(const QString& copyPath);
    ~JournalTail();
    JournalTail(const JournalTail&) = delete;
    JournalTail& operator=(const JournalTail&) = delete;

    // The copy afterwards holds its bytes before `offset`, then `bytes`, and
    // ends there. False when that could not be done; the copy may then be
    // torn until the caller rewrites it whole and calls discard().
    bool replace(qint64 offset, QByteArrayView bytes);
    // The copy was rewritten whole: the record must not be applied later.
    void discard();

    // Completes every replacement in the folder that a crash cut short.
    static void finishInterrupted(const QString& folder);
    static QString recordPath(const QString& copyPath);

private:
    QString m_copyPath;
    int m_record = -1;
};
