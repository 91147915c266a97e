// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Scoring.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class ProtocolMemo;

// The ranking of the protocol for every window that shows it. One reader
// follows the protocol: after a burst of changes it goes back only as far as
// the first changed line and reads on from there, a few milliseconds of lines
// at a time, so neither a long race day nor a loaded file of many megabytes
// holds up the window (and with it a hand time) for longer than that. A newer
// change met on the way takes over; the ranking is published once the
// reader has caught up with the protocol.
//
// Nothing is read while nobody wants the ranking (see acquire()).
class ResultsFeed : public QObject
{
    Q_OBJECT

public:
    explicit ResultsFeed(ProtocolMemo& memo, QObject* parent = nullptr);
    ~ResultsFeed() override;

    // A window that shows the ranking holds the feed while it is open; the
    // first holder starts the reading, the last one to let go stops it.
    void acquire();
    void release();
    bool isHeld() const { return m_holders > 0; }

    // The latest published ranking; an empty one before the first.
    std::shared_ptr<const Results::Ranking> ranking() const { return m_ranking; }
    // The published ranking is that of the protocol as it is now.
    bool isCurrent() const;
    // Reads whatever is left at once, for a caller that cannot wait.
    void catchUp();
    // The event's entry list and rules, which every later ranking is scored by.
    void setEvent(std::shared_ptr<const EntryList::List> entries, Scoring::Rules rules);

signals:
    // After a read that changed the ranking, and for a new holder.
    void rankingChanged(std::shared_ptr<const Results::Ranking> ranking);

private:
    void protocolChanged();
    // Reads on for one slice; true once caught up.
    bool readSlice(qint64 budgetNs);
    void step();
    void publish();

    ProtocolMemo& m_memo;
    Results::Reader m_reader;
    quint64 m_serial = 0;
    bool m_readerChanged = true;
    int m_holders = 0;
    std::shared_ptr<const EntryList::List> m_entries;
    Scoring::Rules m_rules;
    QTimer m_next;
    std::shared_ptr<const Results::Ranking> m_ranking;
};
