#pragma once

#include "core/Results.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The results list as files: a CSV table for spreadsheets and a web page like
// the protocol's own.
namespace ResultsFiles {

// The list's column titles, and an entry's texts in those columns as the
// list shows them at `resolution`; every view of the ranking takes them from
// here, so they never disagree.
const QStringList& columnTitles();
QStringList rowTexts(const Results::Entry& entry, int resolution);

// UTF-8 with BOM, ";" between fields, CR LF after every row, a header row
// ("Platz;Nr./Name;Läufe;Bestzeit;Rückstand;Letzte Zeit;Bestzeit (s)"), one
// row per entry in ranking order, times as shown at `resolution`, and the
// best time in seconds with a decimal comma. Fields holding ";", '"', CR or LF
// are quoted, inner quotes doubled; a name beginning with "=", "+", "-" or
// "@" gets a leading apostrophe, so no spreadsheet runs it as a formula. The seconds are cut to the
// decimals the shown time has: "62,50" beside "1.02,50", "62,5" at 1/10, "62" at 1 s. The leader's
// gap is "+0,00"; an unranked row leaves its place and times empty.
QByteArray csv(const std::vector<Results::Entry>& entries, int resolution);

// "Ergebnisse.html": the same encoding (Windows-1252) and escaping as the
// protocol's web page.
QByteArray webPage(const std::vector<Results::Entry>& entries, int resolution);

} // namespace ResultsFiles
