// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Scoring.h"
#include "protocol/ResultsSheet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

// What the live results show, handed from the window's thread to the server's
// as one value: cheap to copy (the ranking is shared, never copied), and
// formatted into text only on the server's thread.
namespace Live {

using Clock = std::chrono::steady_clock;

struct Race
{
    enum class Phase
    {
        Ready,
        Running,
        Stopped
    };
    Phase phase = Phase::Ready;
    QString name;
    // Running: the race time at `measured`. The server adds the time since
    // when it sends, so a phone's clock starts from the true start instant.
    std::int64_t elapsedMs = 0;
    Clock::time_point measured{};
    int lapCount = 0;
    std::optional<std::int32_t> lastLapMs; // running, after a lap
    std::optional<std::int32_t> timeMs;    // stopped
    // Equal when a page would show the same (the clock aside).
    bool sameAs(const Race& other) const;
};

struct Snapshot
{
    QString title;
    int resolution = 2;
    Race race;
    std::shared_ptr<const Results::Ranking> ranking; // null: none read yet
    QString classFilter;                             // with scoring: the class shown; "" all
    QStringList lines;                               // the last ten protocol lines
};

// The results as the page and its CSV show them.
ResultsSheet::Sheet resultsSheet(const Snapshot& snapshot);

// The parts of a message, each a JSON value as text. `race` is made at `now`.
QByteArray titleJson(const Snapshot& snapshot);
QByteArray raceJson(const Race& race, Clock::time_point now);
QByteArray resultsJson(const Snapshot& snapshot);
QByteArray linesJson(const Snapshot& snapshot);

} // namespace Live
