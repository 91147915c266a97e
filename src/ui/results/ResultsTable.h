#pragma once

#include "core/Results.h"

#include <QString>
#include <QStringList>

#include <vector>

// The ranking as the operator sees it: column titles and cell texts shared by
// the window's table and its printout, so both always show the same.
namespace ResultsTable {

QStringList headers();
// One row of cell texts, in the order of headers().
QStringList cells(const Results::Entry& entry, int resolution);

// The ranking as an HTML table for the printer, its heading on every page.
QString printDocument(const std::vector<Results::Entry>& entries, int resolution);

} // namespace ResultsTable
