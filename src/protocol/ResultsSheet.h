// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Scoring.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The results as every view shows them: the list's table, its CSV, web page
// and printout, the scoreboard and the live page all take their column
// titles and cell texts from one sheet, so they never disagree.
//
// Without scoring in use (no entry list, no correction line, best time) the
// sheet is the classic list: one section, the six columns Platz, Nr./Name,
// Läufe, Bestzeit, Rückstand, Letzte Zeit. With it, the columns are Platz,
// Nr./Name, Name, Klasse, Läufe, Bestzeit or Summe, Strafe, Rückstand,
// Letzte Zeit, and there is one section per class shown, each with its own
// places.
namespace ResultsSheet {

struct Options
{
    int resolution = 2; // 2 = 1/100, 1 = 1/10, 0 = seconds
    bool scoring = false;
    Scoring::Mode mode = Scoring::Mode::BestTime;
    // Empty: every class ("Alle Klassen"); otherwise that class alone. A
    // class nobody is in shows nothing.
    QString classFilter;
};

struct Row
{
    std::size_t group = 0;      // into Scoring::Table::groups
    std::size_t competitor = 0; // into that group's competitors
    QStringList cells;
    std::optional<std::int64_t> scoreMs; // the score, for a seconds column
};

struct Section
{
    QString title; // the class; "" without classes
    std::vector<Row> rows;
};

struct Sheet
{
    bool scoring = false;
    QStringList columns;
    std::vector<Section> sections;
    // Where the views find their columns; -1 where the sheet has none.
    int placeColumn = 0;
    int competitorColumn = 1;
    int nameColumn = -1;
    int classColumn = -1;
    int scoreColumn = 3; // "Bestzeit" or "Summe"
    int penaltyColumn = -1;
    int lastColumn = 5;
    int rowCount() const;
};

Sheet make(const Scoring::Table& table, const Options& options);

// The heading a view shows above a section: its class, "ohne Klasse" for
// those without one beside others; empty where the list needs none (the
// classic list, one untitled section).
QString heading(const Sheet& sheet, const Section& section);

// The competitor as a board or a heading names it: "12 Anna Berger" for an
// entrant, the text as typed otherwise.
QString displayName(const Scoring::Competitor& competitor);
// The time texts the sheet uses, at `resolution`; a gap with "+".
QString timeText(std::int64_t ms, int resolution);
QString gapText(std::int64_t ms, int resolution);

} // namespace ResultsSheet
