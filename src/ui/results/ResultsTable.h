#pragma once

#include "core/Results.h"

#include <QString>
#include <QStringList>

#include <vector>

class QTableWidget;

// The ranking as the operator sees it: column titles and cell texts shared by
// the window's table and its printout, so both always show the same.
namespace ResultsTable {

QStringList headers();
// One row of cell texts, in the order of headers().
QStringList cells(const Results::Entry& entry, int resolution);

// Fills the table with one row per entry. Each cell carries a sort key beside
// its text, so a click on a header sorts times by value ("9,99" before
// "10,00") and puts competitors without a finished run last.
void fill(QTableWidget& table, const std::vector<Results::Entry>& entries, int resolution);

// The ranking as an HTML table for the printer.
QString printDocument(const std::vector<Results::Entry>& entries, int resolution);

} // namespace ResultsTable
