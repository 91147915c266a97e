// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Scoring.h"

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
    void order();

    std::shared_ptr<const Results::Ranking> m_ranking;
    int m_resolution = 2;
    // Row on screen -> entry of the ranking.
    std::vector<int> m_rows;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
