// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Scoring.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using CorrectionLines::Correction;
using CorrectionLines::RunStatus;
using Scoring::Competitor;

namespace {

// A protocol made directly, each run with a start of day of its own.
struct Protocol
{
    Results::Protocol protocol;

    std::size_t run(const std::string& name, std::optional<std::int32_t> ms)
    {
        const std::string start = "9:" + std::to_string(10 + protocol.runs.size()) + ".00,00";
        protocol.runs.push_back(Results::Run{name, start, {}, ms});
        return protocol.runs.size() - 1;
    }
    std::size_t run(const std::string& name, std::optional<std::int32_t> ms,
                    std::initializer_list<Correction> corrections)
    {
        const std::size_t index = run(name, ms);
        for (const Correction& correction : corrections) {
            protocol.corrections.push_back({index, correction});
        }
        return index;
    }
};

struct Expected
{
    const char* text;
    int place;
    std::optional<std::int64_t> score;
    std::optional<std::int64_t> gap;
};

void expectRanking(const std::vector<Competitor>& competitors, const std::vector<Expected>& all)
{
    ASSERT_EQ(competitors.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(all[i].text);
        EXPECT_EQ(competitors[i].text, all[i].text);
        EXPECT_EQ(competitors[i].place, all[i].place);
        EXPECT_EQ(competitors[i].scoreMs, all[i].score);
        EXPECT_EQ(competitors[i].gapMs, all[i].gap);
    }
}

} // namespace

TEST(CoreScoring, WithoutCorrectionsAndEntriesBestTimeIsTheRanking)
{
    std::mt19937 random(77);
    Results::Protocol protocol;
    for (int i = 0; i < 600; ++i) {
        // Few distinct times, so that many tie; "12" and "012" stay apart.
        const std::string name = (i % 5 == 0 ? "0" : "") + std::to_string(random() % 90);
        std::optional<std::int32_t> ms;
        if (random() % 4 != 0) {
            ms = static_cast<std::int32_t>(20000 + random() % 40 * 10);
        }
        protocol.runs.push_back(Results::Run{name, "9:00.00,00", {}, ms});
    }
    const std::vector<Results::Entry> entries = Results::rank(protocol);
    const Scoring::Table table = Scoring::score(protocol, {}, Scoring::Rules{});
    ASSERT_EQ(table.groups.size(), 1u);
    EXPECT_EQ(table.groups[0].title, "");
    const std::vector<Competitor>& competitors = table.groups[0].competitors;
    ASSERT_EQ(competitors.size(), entries.size());
    ASSERT_EQ(table.overall.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(competitors[i].text, entries[i].name);
        EXPECT_EQ(competitors[i].place, entries[i].place);
        EXPECT_EQ(competitors[i].validRuns, entries[i].finishedRuns);
        EXPECT_EQ(competitors[i].scoreMs, entries[i].bestMs);
        EXPECT_EQ(competitors[i].gapMs, entries[i].gapMs);
        EXPECT_EQ(competitors[i].lastMs, entries[i].lastMs);
        EXPECT_EQ(table.overall[i].competitor, i);
        EXPECT_EQ(table.overall[i].place, entries[i].place);
    }
}

TEST(CoreScoring, BestTimeCountsOnlyValidRunsWithTheirPenalties)
{
    using C = Correction;
    Protocol p;
    p.run("A", 30000);
    p.run("B", 29000, {C::setStatus(RunStatus::Disqualified), C::setStatus(RunStatus::Retired)});
    p.run("C", 31000, {C::penalty(+1), C::penalty(+1), C::penalty(-1)});
    p.run("A", 28000, {C::strike(true), C::strike(false), C::strike(true)});
    // Penalties never go below 0 on the way: -1, -1, +1 is one unit.
    p.run("D", 30000, {C::penalty(-1), C::penalty(-1), C::penalty(+1)});
    p.run("B", 32500, {C::setStatus(RunStatus::NotStarted), C::setStatus(RunStatus::Rated)});
    p.run("E", std::nullopt);
    p.run("F", 20000, {C::setStatus(RunStatus::NotStarted)});
    const Scoring::Table table = Scoring::score(p.protocol, {}, {Scoring::Mode::BestTime, 1, 1500});
    const std::vector<Competitor>& ranked = table.groups.at(0).competitors;
    expectRanking(ranked, {{"A", 1, 30000, 0},
                           {"D", 2, 31500, 1500},
                           {"B", 3, 32500, 2500},
                           {"C", 3, 32500, 2500},
                           {"E", 0, std::nullopt, std::nullopt},
                           {"F", 0, std::nullopt, std::nullopt}});
    // The struck run is A's last time and stays visible, as does F's.
    EXPECT_EQ(ranked[0].lastMs, 28000);
    EXPECT_EQ(ranked[0].validRuns, 1);
    EXPECT_TRUE(ranked[0].runs.at(1).struck);
    EXPECT_TRUE(ranked[0].runs.at(0).counted);
    EXPECT_EQ(ranked[1].runs.at(0).penaltyUnits, 1);
    EXPECT_EQ(ranked[1].runs.at(0).timeMs, 31500);
    EXPECT_EQ(ranked[2].runs.at(0).status, RunStatus::Retired);
    EXPECT_EQ(ranked[5].runs.at(0).rawMs, 20000);
    EXPECT_EQ(ranked[5].lastMs, 20000);
}

TEST(CoreScoring, SumTakesTheFirstRunsAndRanksThoseShortOfRunsAfter)
{
    Protocol p;
    for (const auto& [name, ms] : std::vector<std::pair<const char*, std::int32_t>>{
             {"P", 10000}, {"Q", 11000}, {"R", 15000}, {"S", 5000}, {"T", 31000}, {"U", 3000}}) {
        p.run(name, ms);
    }
    p.run("P", 9000, {Correction::strike(true)});
    p.run("Q", 11000);
    p.run("R", 16000);
    p.run("P", 12000);
    p.run("P", 8000);
    p.run("T", std::nullopt);
    p.run("V", 5000, {Correction::setStatus(RunStatus::Retired)});
    p.run("U", 1000);
    p.run("S", 1000, {Correction::penalty(+1)});

    // The first two, not the best two: P has 10 + 12, not 8 + 10.
    const auto two = Scoring::score(p.protocol, {}, {Scoring::Mode::Sum, 2, 2000});
    expectRanking(two.groups[0].competitors, {{"U", 1, 4000, 0},
                                              {"S", 2, 8000, 4000},
                                              {"P", 3, 22000, 18000},
                                              {"Q", 3, 22000, 18000},
                                              {"R", 5, 31000, 27000},
                                              {"T", 6, 31000, std::nullopt},
                                              {"V", 0, std::nullopt, std::nullopt}});
    const Competitor& pees = two.groups[0].competitors[2];
    EXPECT_EQ(pees.validRuns, 3);
    ASSERT_EQ(pees.runs.size(), 4u);
    EXPECT_EQ((std::vector<bool>{pees.runs[0].counted, pees.runs[1].counted, pees.runs[2].counted,
                                 pees.runs[3].counted}),
              (std::vector<bool>{true, false, true, false}));

    // More runs before a smaller sum of fewer.
    const auto three = Scoring::score(p.protocol, {}, {Scoring::Mode::Sum, 3, 0});
    expectRanking(three.groups[0].competitors, {{"P", 1, 30000, 0},
                                                {"U", 2, 4000, std::nullopt},
                                                {"S", 3, 6000, std::nullopt},
                                                {"Q", 4, 22000, std::nullopt},
                                                {"R", 5, 31000, std::nullopt},
                                                {"T", 6, 31000, std::nullopt},
                                                {"V", 0, std::nullopt, std::nullopt}});
}

TEST(CoreScoring, EntrantsGroupByClassAndRunsFollowTheirAssignment)
{
    const EntryList::List entries({{3, "Drei", "B", ""},
                                   {12, "Zwölf", "A", "Golf"},
                                   {5, "Fünf", "", ""},
                                   {7, "Sieben", "B", ""},
                                   {9, "Neun", "A", ""}});
    Protocol p;
    p.run("012", 40000);
    p.run("Gast", 35000);
    p.run("12", 39000);
    p.run("3", 50000);
    p.run("Gast", 30000, {Correction::assign("007")});
    p.run("Gast", 45000, {Correction::assign("Neu"), Correction::assign("Gast")});
    p.run("3", 55000, {Correction::assign("Neu")});
    p.run("99", 20000);
    p.run("09", std::nullopt); // unranked, but before the entrants without runs
    const Scoring::Table table = Scoring::score(p.protocol, entries, Scoring::Rules{});

    ASSERT_EQ(table.groups.size(), 3u);
    EXPECT_EQ(table.groups[0].title, "B");
    expectRanking(table.groups[0].competitors, {{"7", 1, 30000, 0}, {"3", 2, 50000, 20000}});
    EXPECT_EQ(table.groups[0].competitors[0].runs.at(0).name, "Gast");
    EXPECT_EQ(table.groups[1].title, "A");
    expectRanking(table.groups[1].competitors,
                  {{"12", 1, 39000, 0}, {"9", 0, std::nullopt, std::nullopt}});
    const Competitor& twelve = table.groups[1].competitors[0];
    EXPECT_EQ(twelve.entrant->name, "Zwölf");
    EXPECT_EQ(twelve.runs.size(), 2u);
    EXPECT_EQ(twelve.lastMs, 39000);
    EXPECT_EQ(table.groups[2].title, "");
    expectRanking(table.groups[2].competitors, {{"99", 1, 20000, 0},
                                                {"Gast", 2, 35000, 15000},
                                                {"Neu", 3, 55000, 35000},
                                                {"5", 0, std::nullopt, std::nullopt}});

    std::vector<std::string> overall;
    std::vector<int> places;
    for (const Scoring::OverallPlace& place : table.overall) {
        overall.push_back(table.groups[place.group].competitors[place.competitor].text);
        places.push_back(place.place);
    }
    EXPECT_EQ(overall, (std::vector<std::string>{"99", "7", "Gast", "12", "3", "Neu", "9", "5"}));
    EXPECT_EQ(places, (std::vector<int>{1, 2, 3, 4, 5, 6, 0, 0}));
    EXPECT_EQ(table.overall[3].gapMs, 19000);
}
