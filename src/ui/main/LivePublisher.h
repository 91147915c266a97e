// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "live/LiveState.h"

#include <QObject>
#include <QTimer>

class EventScoring;
class LiveController;
class ProtocolMemo;
class QLineEdit;
class RaceControl;
class ResultsFeed;

// Hands the live results what the window shows: the race, the start name,
// the ranking of the one results feed and the protocol's last lines. It
// gathers them once per turn of the event loop after a change, which costs
// the window microseconds; all formatting and sending happens on the
// server's thread. While the server is off nothing is gathered and the feed
// is not held.
class LivePublisher : public QObject
{
    Q_OBJECT

public:
    static constexpr int kLines = 10;

    LivePublisher(RaceControl& race, QLineEdit& startName, ProtocolMemo& memo, ResultsFeed& feed,
                  LiveController& live, const EventScoring& event, QObject* parent = nullptr);
    ~LivePublisher() override;

    // Something the page shows changed without a signal of its own (the
    // resolution in the settings dialog).
    void refresh();
    Live::Snapshot snapshot() const;

private:
    void followService();
    void publish();

    RaceControl& m_race;
    QLineEdit& m_startName;
    ProtocolMemo& m_memo;
    ResultsFeed& m_feed;
    LiveController& m_live;
    const EventScoring& m_event;
    bool m_holdsFeed = false;
    QTimer m_due;
};
