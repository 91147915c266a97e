// SPDX-License-Identifier: GPL-3.0-or-later
// The printout of the results: the classic list as it always was, and with
// scoring a heading row above each class.

#include "ui/results/ResultsTable.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <gtest/gtest.h>

namespace {

const Results::Protocol& race()
{
    static const Results::Protocol protocol = [] {
        Results::Protocol made;
        made.runs = {{"12", "9:00.00,00", {}, 61000},
                     {"<7>", "9:01.00,00", {}, 60000},
                     {"5", "9:02.00,00", {}, std::nullopt},
                     {"12", "9:03.00,00", {}, 60000}};
        return made;
    }();
    return protocol;
}

QTextTable* onlyTable(const QTextDocument& document)
{
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame))
            return table;
    }
    return nullptr;
}

} // namespace

TEST(ResultsPrintout, ClassicSheetPrintsAsTheRankingAlways)
{
    ResultsSheet::Options options;
    options.resolution = 1;
    EXPECT_EQ(
        ResultsTable::printDocument(ResultsSheet::make(Scoring::score(race(), {}, {}), options)),
        ResultsTable::printDocument(Results::rank(race()), 1));
}

TEST(ResultsPrintout, ScoringHasAHeadingRowAcrossTheTableAboveEachClass)
{
    const EntryList::List list({{12, "Anna Berger", "A & B", ""}, {5, "Eva Lang", "C", ""}});
    const ResultsSheet::Sheet sheet = ResultsSheet::make(Scoring::score(race(), list, {}),
                                                         {2, true, Scoring::Mode::BestTime, {}});
    QTextDocument document;
    document.setHtml(ResultsTable::printDocument(sheet));
    QTextTable* table = onlyTable(document);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->format().headerRowCount(), 1);
    // Titles; "A & B" and 12; "C" and 5; those without a class under their own.
    ASSERT_EQ(table->rows(), 7);
    const auto text = [table](int row, int column) {
        return table->cellAt(row, column).firstCursorPosition().block().text();
    };
    EXPECT_EQ(text(1, 0), QStringLiteral("A & B"));
    EXPECT_EQ(table->cellAt(1, 0).columnSpan(), 9);
    EXPECT_EQ(text(2, 1), QStringLiteral("12"));
    EXPECT_EQ(text(3, 0), QStringLiteral("C"));
    EXPECT_EQ(text(4, 1), QStringLiteral("5"));
    EXPECT_EQ(text(5, 0), QStringLiteral("ohne Klasse"));
    EXPECT_EQ(text(6, 1), QStringLiteral("<7>"));
}
