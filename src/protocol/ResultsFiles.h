#pragma once

#include "core/Results.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The results list as files: a CSV table for spreadsheets and a web page like
// the protocol's own.
namespace ResultsFiles {

// UTF-8 with BOM, ";" between fields, CR LF after every row, a header row
// ("Platz;Nr./Name;Läufe;Bestzeit;Rückstand;Letzte Zeit;Bestzeit (s)"), one
// row per entry in ranking order, times as shown at `resolution`, and the
// best time in seconds with a decimal comma. Fields holding ";", '"', CR or LF
// are quoted, inner quotes doubled.
QByteArray csv(const std::vector<Results::Entry>& entries, int resolution);

// "Ergebnisse.html": the same encoding (Windows-1252) and escaping as the
// protocol's web page.
QByteArray webPage(const std::vector<Results::Entry>& entries, int resolution);

} // namespace ResultsFiles
