// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/LivePublisher.h"

#include "core/RaceControl.h"
#include "protocol/ProtocolMemo.h"
#include "ui/live/LiveController.h"
#include "ui/results/EventScoring.h"
#include "ui/results/ResultsFeed.h"

#include <QLineEdit>
#include <QPlainTextEdit>

LivePublisher::LivePublisher(RaceControl& race, QLineEdit& startName, ProtocolMemo& memo,
                             ResultsFeed& feed, LiveController& live, const EventScoring& event,
                             QObject* parent)
    : QObject(parent), m_race(race), m_startName(startName), m_memo(memo), m_feed(feed),
      m_live(live), m_event(event)
{
    m_due.setSingleShot(true);
    m_due.setInterval(0);
    connect(&m_due, &QTimer::timeout, this, &LivePublisher::publish);
    connect(&m_memo, &ProtocolMemo::linesChanged, this, &LivePublisher::refresh);
    connect(&m_startName, &QLineEdit::textChanged, this, &LivePublisher::refresh);
    connect(&m_feed, &ResultsFeed::rankingChanged, this, &LivePublisher::refresh);
    connect(&m_live, &LiveController::titleChanged, this, &LivePublisher::refresh);
    connect(&m_event, &EventScoring::classFilterChanged, this, &LivePublisher::refresh);
    connect(&m_event, &EventScoring::changed, this, &LivePublisher::refresh);
    connect(&m_live, &LiveController::stateChanged, this, &LivePublisher::followService);
    followService();
}

LivePublisher::~LivePublisher()
{
    if (m_holdsFeed) {
        m_feed.release();
    }
}

void LivePublisher::followService()
{
    const bool running = m_live.service().isRunning();
    if (running != m_holdsFeed) {
        m_holdsFeed = running;
        if (running) {
            m_feed.acquire();
        } else {
            m_feed.release();
        }
    }
    refresh();
}

void LivePublisher::refresh()
{
    if (m_holdsFeed && !m_due.isActive()) {
        m_due.start();
    }
}

void LivePublisher::publish()
{
    if (m_holdsFeed) {
        m_live.service().publish(snapshot());
    }
}

Live::Snapshot LivePublisher::snapshot() const
{
    Live::Snapshot state;
    state.title = m_live.config().title;
    state.resolution = m_race.DisplayResolution();
    state.ranking = m_feed.ranking();
    state.classFilter = m_event.classFilter();

    Live::Race& race = state.race;
    race.name = m_event.shownName(m_startName.text());
    // The same readings the digit rows are made from.
    if (m_race.RaceRunning()) {
        race.phase = Live::Race::Phase::Running;
        race.measured = Live::Clock::now();
        race.elapsedMs = m_race.CalcMS(m_race.GetMyTickCount() - m_race.StartTicks());
        race.lapCount = m_race.LapCounter();
        if (race.lapCount > 0) {
            race.lastLapMs = m_race.CalcMS(m_race.SplitTicks() - m_race.StartTicks());
        }
    } else if (m_race.StopTicks() != m_race.StartTicks()) {
        race.phase = Live::Race::Phase::Stopped;
        race.lapCount = m_race.LapCounter();
        race.timeMs = m_race.CalcMS(m_race.StopTicks() - m_race.StartTicks());
    }

    // The blank lines between runs say nothing on a phone.
    for (int i = m_memo.lineCount() - 1; i >= 0 && state.lines.size() < kLines; --i) {
        QString line = m_memo.line(i);
        if (!line.trimmed().isEmpty()) {
            state.lines.prepend(std::move(line));
        }
    }
    return state;
}
