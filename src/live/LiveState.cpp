// SPDX-License-Identifier: GPL-3.0-or-later
#include "live/LiveState.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace Live {

namespace {

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray compact(const QJsonArray& array)
{
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

const char* phaseName(Race::Phase phase)
{
    switch (phase) {
    case Race::Phase::Running:
        return "laeuft";
    case Race::Phase::Stopped:
        return "gestoppt";
    case Race::Phase::Ready:
        break;
    }
    return "bereit";
}

} // namespace

bool Race::sameAs(const Race& other) const
{
    return phase == other.phase && name == other.name && lapCount == other.lapCount &&
           lastLapMs == other.lastLapMs && timeMs == other.timeMs &&
           (phase != Phase::Running ||
            (elapsedMs == other.elapsedMs && measured == other.measured));
}

QByteArray titleJson(const Snapshot& snapshot)
{
    // A string alone is no JSON document for Qt; cut it out of an array.
    QByteArray text = compact(QJsonArray{snapshot.title});
    return text.mid(1, text.size() - 2);
}

QByteArray raceJson(const Race& race, Clock::time_point now)
{
    QJsonObject object{
        {"state", phaseName(race.phase)}, {"name", race.name}, {"lapCount", race.lapCount}};
    if (race.phase == Race::Phase::Running) {
        const auto since =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - race.measured).count();
        object.insert("elapsedMs",
                      static_cast<qint64>(race.elapsedMs + std::max<std::int64_t>(0, since)));
        if (race.lastLapMs) {
            object.insert("lastLapMs", *race.lastLapMs);
        }
    } else if (race.phase == Race::Phase::Stopped && race.timeMs) {
        object.insert("timeMs", *race.timeMs);
    }
    return compact(object);
}

ResultsSheet::Sheet resultsSheet(const Snapshot& snapshot)
{
    static const Results::Ranking none;
    const Results::Ranking& ranking = snapshot.ranking ? *snapshot.ranking : none;
    return ResultsSheet::make(ranking.table, {snapshot.resolution, ranking.scoring,
                                              ranking.rules.mode, snapshot.classFilter});
}

QByteArray resultsJson(const Snapshot& snapshot)
{
    const ResultsSheet::Sheet sheet = resultsSheet(snapshot);
    QJsonArray groups;
    for (const ResultsSheet::Section& section : sheet.sections) {
        QJsonArray rows;
        for (const ResultsSheet::Row& row : section.rows) {
            rows.append(QJsonArray::fromStringList(row.cells));
        }
        groups.append(
            QJsonObject{{"title", ResultsSheet::heading(sheet, section)}, {"rows", rows}});
    }
    // The classic list is one untitled table, also before anything was read;
    // with scoring, a class nobody is in shows no table at all.
    if (!sheet.scoring && groups.isEmpty()) {
        groups.append(QJsonObject{{"title", QString()}, {"rows", QJsonArray()}});
    }
    const QJsonObject object{
        {"columns", QJsonArray::fromStringList(sheet.columns)},
        {"groups", groups},
        {"skippedLines", snapshot.ranking ? snapshot.ranking->skippedLines : 0}};
    return compact(object);
}

QByteArray linesJson(const Snapshot& snapshot)
{
    return compact(QJsonArray::fromStringList(snapshot.lines));
}

} // namespace Live
