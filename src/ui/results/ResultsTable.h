#pragma once

#include "core/Results.h"
#include "protocol/ResultsSheet.h"

#include <QString>
#include <QStringList>

#include <vector>

// The ranking as the operator sees it: column titles and cell texts shared by
// the window's table and its printout, so both always show the same.
namespace ResultsTable {

// The classic list's titles and an entry's cells, in the order of headers().
QStringList headers();
QStringList cells(const Results::Entry& entry, int resolution);

// The sheet as an HTML table for the printer, its column titles on every
// page; with scoring, a heading row above each class.
QString printDocument(const ResultsSheet::Sheet& sheet);
// The classic list of a ranking's entries, printed the same way.
QString printDocument(const std::vector<Results::Entry>& entries, int resolution);

} // namespace ResultsTable
