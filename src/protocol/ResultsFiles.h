#pragma once

#include "core/Results.h"
#include "protocol/ResultsSheet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The results list as files: a CSV table for spreadsheets and a web page like
// the protocol's own.
namespace ResultsFiles {

// UTF-8 with BOM, ";" between fields, CR LF after every row, a header row of
// the sheet's columns and the score in seconds ("...;Letzte Zeit;Bestzeit (s)",
// or "Summe (s)"), then the rows of every section in order: no section
// headings, the Klasse column names the class. Times as shown at
// `resolution`, the seconds with a decimal comma. Fields holding ";", '"', CR
// or LF are quoted, inner quotes doubled; a Nr./Name, Name or Klasse field
// beginning with "=", "+", "-" or "@" gets a leading apostrophe, so no
// spreadsheet runs it as a formula. The seconds are cut to the decimals the
// shown time has: "62,50" beside "1.02,50", "62,5" at 1/10, "62" at 1 s. The
// leader's gap is "+0,00"; an unranked row leaves its place and times empty.
QByteArray csv(const ResultsSheet::Sheet& sheet, int resolution);

// "Ergebnisse.html": the same encoding (Windows-1252) and escaping as the
// protocol's web page; with scoring, a heading row above each class. The
// cells are the sheet's, already at the resolution it was made with; the
// parameter only keeps both files called alike.
QByteArray webPage(const ResultsSheet::Sheet& sheet, int resolution);

// The classic list of a ranking's entries alone, for the views that have
// not the scoring table: its column titles, an entry's cells at
// `resolution`, the whole sheet, and the files made of it.
const QStringList& columnTitles();
QStringList rowTexts(const Results::Entry& entry, int resolution);
ResultsSheet::Sheet classicSheet(const std::vector<Results::Entry>& entries, int resolution);
QByteArray csv(const std::vector<Results::Entry>& entries, int resolution);
QByteArray webPage(const std::vector<Results::Entry>& entries, int resolution);

} // namespace ResultsFiles
