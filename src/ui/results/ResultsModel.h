// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Scoring.h"
#include "protocol/ResultsSheet.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>
#include <vector>

// The ranking as the list's table shows it. Texts are made only for the rows
// on screen, and a header click sorts an index of the rows, so a new ranking
// of thousands of competitors costs one pass over plain numbers.
class ResultsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ResultsModel(QObject* parent = nullptr);

    void setRanking(std::shared_ptr<const Results::Ranking> ranking, int resolution);
    // "" for every class. Shown only while scoring is in use.
    void setClassFilter(const QString& klass);
    QString classFilter() const { return m_classFilter; }

    // Scoring in use (see Results::Ranking::scoring): the rows are the
    // sheet's, a heading row before each class, in ranking order.
    bool isScoring() const { return m_ranking->scoring; }
    const ResultsSheet::Sheet& sheet() const { return m_sheet; }
    const Results::Ranking& ranking() const { return *m_ranking; }
    bool isHeading(int row) const;
    // The competitor on `row`; null for a heading.
    const Scoring::Competitor* competitorAt(int row) const;
    // The row of the competitor with this text, or -1.
    int rowOf(const std::string& competitorText) const;
    const std::vector<Results::Entry>& entries() const;
    int resolution() const { return m_resolution; }

    // For each column, the longest text any of its rows shows, so the view can
    // size the columns without measuring every row.
    QStringList widestTexts() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Times by value ("9,99" before "10,00"), start numbers as numbers and
    // before names, competitors without a time last, and otherwise the
    // ranking's own order.
    void sort(int column, Qt::SortOrder order) override;

private:
    const Results::Entry& entryAt(int row) const;
    QVariant sheetData(const QModelIndex& index, int role) const;
    void order();
    void makeSheet();

    struct SheetRow
    {
        int section = 0;
        int row = -1; // -1: the section's heading
    };

    std::shared_ptr<const Results::Ranking> m_ranking;
    int m_resolution = 2;
    // Row on screen -> entry of the ranking.
    std::vector<int> m_rows;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_classFilter;
    ResultsSheet::Sheet m_sheet;
    std::vector<SheetRow> m_sheetRows;
};
