// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/ResultsSheet.h"

#include <algorithm>
#include <limits>

namespace ResultsSheet {

namespace {

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// The race-time format holds at most 99 hours; longer sums are cut there
// rather than wrapped into nonsense.
std::int32_t narrowed(std::int64_t ms)
{
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(ms, 0, std::numeric_limits<std::int32_t>::max()));
}

QString optionalTime(const std::optional<std::int64_t>& ms, int resolution)
{
    return ms ? timeText(*ms, resolution) : QString();
}

// The penalty of the runs that make the score: "+4,00", or nothing.
QString penaltyText(const Scoring::Competitor& competitor, int resolution)
{
    std::int64_t total = 0;
    for (const Scoring::RunScore& run : competitor.runs) {
        if (run.counted) {
            total += run.penaltyMs;
        }
    }
    return total > 0 ? gapText(total, resolution) : QString();
}

// The latest run that ended: its time with penalty, or why it has none.
QString lastText(const Scoring::Competitor& competitor, int resolution)
{
    for (auto run = competitor.runs.rbegin(); run != competitor.runs.rend(); ++run) {
        if (run->status != CorrectionLines::RunStatus::Rated) {
            return QString::fromUtf8(CorrectionLines::statusText(run->status));
        }
        if (run->timeMs) {
            return run->struck
                       ? timeText(*run->timeMs, resolution) + QStringLiteral(" (gestrichen)")
                       : timeText(*run->timeMs, resolution);
        }
    }
    return {};
}

QStringList classicCells(const Scoring::Competitor& competitor, int resolution)
{
    return {competitor.place > 0 ? QString::number(competitor.place) : QString(),
            text(competitor.text),
            QString::number(competitor.validRuns),
            optionalTime(competitor.scoreMs, resolution),
            competitor.gapMs ? gapText(*competitor.gapMs, resolution) : QString(),
            optionalTime(competitor.lastMs, resolution)};
}

QStringList scoringCells(const Scoring::Competitor& competitor, int resolution)
{
    const auto* entrant = competitor.entrant ? &*competitor.entrant : nullptr;
    return {competitor.place > 0 ? QString::number(competitor.place) : QString(),
            text(competitor.text),
            entrant != nullptr ? text(entrant->name) : QString(),
            entrant != nullptr ? text(entrant->klass) : QString(),
            QString::number(competitor.validRuns),
            optionalTime(competitor.scoreMs, resolution),
            penaltyText(competitor, resolution),
            competitor.gapMs ? gapText(*competitor.gapMs, resolution) : QString(),
            lastText(competitor, resolution)};
}

} // namespace

int Sheet::rowCount() const
{
    int count = 0;
    for (const Section& section : sections) {
        count += static_cast<int>(section.rows.size());
    }
    return count;
}

QString timeText(std::int64_t ms, int resolution)
{
    return text(Results::formatTime(narrowed(ms), resolution));
}

QString gapText(std::int64_t ms, int resolution)
{
    return text(Results::formatGap(narrowed(ms), resolution));
}

QString displayName(const Scoring::Competitor& competitor)
{
    if (competitor.entrant && !competitor.entrant->name.empty()) {
        return text(competitor.text) + u' ' + text(competitor.entrant->name);
    }
    return text(competitor.text);
}

QString heading(const Sheet& sheet, const Section& section)
{
    if (!sheet.scoring || (sheet.sections.size() <= 1 && section.title.isEmpty()))
        return {};
    return section.title.isEmpty() ? QStringLiteral("ohne Klasse") : section.title;
}

Sheet make(const Scoring::Table& table, const Options& options)
{
    Sheet sheet;
    sheet.scoring = options.scoring;
    if (!options.scoring) {
        sheet.columns = {QStringLiteral("Platz"),     QStringLiteral("Nr./Name"),
                         QStringLiteral("Läufe"),     QStringLiteral("Bestzeit"),
                         QStringLiteral("Rückstand"), QStringLiteral("Letzte Zeit")};
    } else {
        sheet.columns = {QStringLiteral("Platz"),
                         QStringLiteral("Nr./Name"),
                         QStringLiteral("Name"),
                         QStringLiteral("Klasse"),
                         QStringLiteral("Läufe"),
                         options.mode == Scoring::Mode::Sum ? QStringLiteral("Summe")
                                                            : QStringLiteral("Bestzeit"),
                         QStringLiteral("Strafe"),
                         QStringLiteral("Rückstand"),
                         QStringLiteral("Letzte Zeit")};
        sheet.nameColumn = 2;
        sheet.classColumn = 3;
        sheet.scoreColumn = 5;
        sheet.penaltyColumn = 6;
        sheet.lastColumn = 8;
    }
    for (std::size_t g = 0; g < table.groups.size(); ++g) {
        const Scoring::Group& group = table.groups[g];
        const QString title = text(group.title);
        if (options.scoring && !options.classFilter.isEmpty() && title != options.classFilter) {
            continue;
        }
        Section section;
        section.title = title;
        section.rows.reserve(group.competitors.size());
        for (std::size_t c = 0; c < group.competitors.size(); ++c) {
            const Scoring::Competitor& competitor = group.competitors[c];
            section.rows.push_back({g, c,
                                    options.scoring ? scoringCells(competitor, options.resolution)
                                                    : classicCells(competitor, options.resolution),
                                    competitor.scoreMs});
        }
        sheet.sections.push_back(std::move(section));
    }
    return sheet;
}

} // namespace ResultsSheet
