// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Scoring.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace Scoring {

namespace {

using CorrectionLines::Op;
using CorrectionLines::RunStatus;

// The protocol's runs, the open one last, whether from a Protocol or a
// Reader.
struct Runs
{
    const std::vector<Results::Run>& closed;
    const Results::Run* open;

    std::size_t size() const { return closed.size() + (open ? 1 : 0); }
    const Results::Run& operator[](std::size_t i) const
    {
        return i < closed.size() ? closed[i] : *open;
    }
};

// What the correction lines made of a run.
struct Corrected
{
    int units = 0;
    RunStatus status = RunStatus::Rated;
    bool struck = false;
    const std::string* owner = nullptr; // the assigned competitor text, if any
};

std::vector<Corrected> applyCorrections(std::size_t runs,
                                        const std::vector<Results::RunCorrection>& corrections)
{
    std::vector<Corrected> corrected(runs);
    for (const Results::RunCorrection& correction : corrections) {
        if (correction.run >= runs) {
            continue;
        }
        Corrected& run = corrected[correction.run];
        switch (correction.correction.op) {
        case Op::PenaltyAdd:
            ++run.units;
            break;
        case Op::PenaltyRemove:
            // Taken off one at a time: a "-1" too many is lost, not owed.
            run.units = std::max(0, run.units - 1);
            break;
        case Op::Status:
            run.status = correction.correction.status;
            break;
        case Op::Strike:
        case Op::Unstrike:
            run.struck = correction.correction.op == Op::Strike;
            break;
        case Op::Assign:
            run.owner = &correction.correction.target;
            break;
        }
    }
    return corrected;
}

// A competitor while the table is built, with what orders it.
struct Building
{
    Competitor competitor;
    std::size_t appearance = 0; // its first run, or after all runs for an entrant without
    int countedRuns = 0;        // of its score; 0 = unranked
    std::size_t group = 0;
};

// The order of a ranking: more counted runs first, then the lower score,
// then the earlier appearance; unranked (no counted runs) last.
bool ranksBefore(const Building& a, const Building& b)
{
    if (a.countedRuns != b.countedRuns) {
        return a.countedRuns > b.countedRuns;
    }
    if (a.countedRuns > 0 && *a.competitor.scoreMs != *b.competitor.scoreMs) {
        return *a.competitor.scoreMs < *b.competitor.scoreMs;
    }
    return a.appearance < b.appearance;
}

// Ranks `order` (indices into `all`) and hands each its place and gap.
template <typename Assign>
void rankInto(std::vector<std::size_t>& order, const std::vector<Building>& all, Assign assign)
{
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return ranksBefore(all[a], all[b]); });
    int previousPlace = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Building& current = all[order[i]];
        if (current.countedRuns == 0) {
            break;
        }
        const Building& leader = all[order.front()];
        const Building* previous = i > 0 ? &all[order[i - 1]] : nullptr;
        const bool tied = previous && previous->countedRuns == current.countedRuns &&
                          previous->competitor.scoreMs == current.competitor.scoreMs;
        const int place = tied ? previousPlace : static_cast<int>(i) + 1;
        std::optional<std::int64_t> gap;
        if (leader.countedRuns == current.countedRuns) {
            gap = *current.competitor.scoreMs - *leader.competitor.scoreMs;
        }
        assign(order[i], place, gap);
        previousPlace = place;
    }
}

void scoreCompetitor(Building& building, const Rules& rules)
{
    Competitor& competitor = building.competitor;
    const int wanted =
        rules.mode == Mode::Sum ? std::clamp(rules.runsCounted, 1, kMaxRunsCounted) : 1;
    RunScore* best = nullptr;
    std::int64_t sum = 0;
    for (RunScore& run : competitor.runs) {
        if (run.timeMs) {
            competitor.lastMs = run.timeMs;
        }
        if (!run.valid) {
            continue;
        }
        ++competitor.validRuns;
        if (rules.mode == Mode::Sum && building.countedRuns < wanted) {
            ++building.countedRuns;
            sum += *run.timeMs;
            run.counted = true;
        } else if (rules.mode == Mode::BestTime && (!best || *run.timeMs < *best->timeMs)) {
            best = &run;
        }
    }
    if (best) {
        best->counted = true;
        building.countedRuns = 1;
        sum = *best->timeMs;
    }
    if (building.countedRuns > 0) {
        competitor.scoreMs = sum;
    }
}

Table scoreRuns(const Runs& runs, const std::vector<Results::RunCorrection>& corrections,
                int skippedLines, const EntryList::List& entries, const Rules& rules)
{
    const std::vector<Corrected> corrected = applyCorrections(runs.size(), corrections);
    const std::int64_t unitMs = std::max<std::int32_t>(0, rules.penaltyMs);

    // Every entrant is a competitor, at its place in the list; the others
    // follow as their first run comes.
    const std::vector<EntryList::Entrant>& entrants = entries.entrants();
    std::vector<Building> all;
    all.reserve(entrants.size() + runs.size() / 2);
    for (std::size_t i = 0; i < entrants.size(); ++i) {
        Building building;
        building.competitor.text = std::to_string(entrants[i].number);
        building.competitor.entrant = entrants[i];
        building.appearance = runs.size() + i;
        all.push_back(std::move(building));
    }
    std::unordered_map<std::string_view, std::size_t> byText;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Results::Run& run = runs[i];
        const Corrected& correction = corrected[i];
        const std::string& text = correction.owner ? *correction.owner : run.name;
        std::size_t index = 0;
        if (const EntryList::Entrant* entrant = entries.find(text)) {
            index = static_cast<std::size_t>(entrant - entrants.data());
        } else {
            const auto [found, added] = byText.try_emplace(text, all.size());
            if (added) {
                Building building;
                building.competitor.text = text;
                building.appearance = i;
                all.push_back(std::move(building));
            }
            index = found->second;
        }
        Building& building = all[index];
        building.appearance = std::min(building.appearance, i);

        RunScore score;
        score.run = i;
        score.name = run.name;
        score.startOfDay = run.startOfDay;
        score.rawMs = run.timeMs;
        score.penaltyUnits = correction.units;
        score.penaltyMs = unitMs * correction.units;
        score.status = correction.status;
        score.struck = correction.struck;
        if (run.timeMs) {
            score.timeMs = *run.timeMs + score.penaltyMs;
        }
        score.valid = run.finished() && correction.status == RunStatus::Rated && !correction.struck;
        building.competitor.runs.push_back(std::move(score));
    }
    for (Building& building : all) {
        scoreCompetitor(building, rules);
    }

    // Groups: the classes as the entry list first names them, then those
    // without a class.
    Table table;
    table.skippedLines = skippedLines;
    std::unordered_map<std::string_view, std::size_t> groupOfClass;
    for (const EntryList::Entrant& entrant : entrants) {
        if (!entrant.klass.empty() &&
            groupOfClass.try_emplace(entrant.klass, table.groups.size()).second) {
            table.groups.push_back(Group{entrant.klass, {}});
        }
    }
    const std::size_t classless = table.groups.size();
    std::vector<std::vector<std::size_t>> members(classless + 1);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::optional<EntryList::Entrant>& entrant = all[i].competitor.entrant;
        all[i].group =
            entrant && !entrant->klass.empty() ? groupOfClass.at(entrant->klass) : classless;
        members[all[i].group].push_back(i);
    }
    if (!members[classless].empty() || classless == 0) {
        table.groups.push_back(Group{"", {}});
    }

    std::vector<std::size_t> overall(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        overall[i] = i;
    }
    std::vector<OverallPlace> overallPlaces(all.size());
    rankInto(overall, all, [&](std::size_t i, int place, std::optional<std::int64_t> gap) {
        overallPlaces[i].place = place;
        overallPlaces[i].gapMs = gap;
    });
    for (std::size_t g = 0; g < table.groups.size(); ++g) {
        std::vector<std::size_t>& order = members[g];
        rankInto(order, all, [&](std::size_t i, int place, std::optional<std::int64_t> gap) {
            all[i].competitor.place = place;
            all[i].competitor.gapMs = gap;
        });
        Group& group = table.groups[g];
        group.competitors.reserve(order.size());
        for (const std::size_t i : order) {
            overallPlaces[i].group = g;
            overallPlaces[i].competitor = group.competitors.size();
            group.competitors.push_back(std::move(all[i].competitor));
        }
    }
    table.overall.reserve(overall.size());
    for (const std::size_t i : overall) {
        table.overall.push_back(overallPlaces[i]);
    }
    return table;
}

} // namespace

Table score(const Results::Protocol& protocol, const EntryList::List& entries, const Rules& rules)
{
    return scoreRuns(Runs{protocol.runs, nullptr}, protocol.corrections, protocol.skippedLines,
                     entries, rules);
}

Table score(const Results::Reader& reader, const EntryList::List& entries, const Rules& rules)
{
    return scoreRuns(Runs{reader.closedRuns(), reader.openRun()}, reader.corrections(),
                     reader.skippedLines(), entries, rules);
}

} // namespace Scoring
