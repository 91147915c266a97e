// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/results/ResultsModel.h"

#include "ui/results/ResultsTable.h"

#include <QFont>

#include <algorithm>
#include <limits>
#include <numeric>

namespace {

constexpr int kNameColumn = 1;
// Competitors without a time sort behind every time.
constexpr qint64 kNoTime = std::numeric_limits<qint64>::max();

qint64 timeKey(const std::optional<std::int32_t>& ms)
{
    return ms ? qint64{*ms} : kNoTime;
}

qint64 numberKey(const Results::Entry& entry, int column, int rankingIndex)
{
    switch (column) {
    case 2:
        return entry.finishedRuns;
    case 3:
        return timeKey(entry.bestMs);
    case 4:
        return timeKey(entry.gapMs);
    case 5:
        return timeKey(entry.lastMs);
    default:
        return rankingIndex;
    }
}

// Start numbers compare as numbers and come before names; names compare as
// the operator's language sorts them. QCollator's numeric mode would do this,
// but without ICU it is silently ignored.
struct NameKey
{
    bool isNumber = false;
    qlonglong number = 0;
    QString text;
};

NameKey nameKey(const std::string& name)
{
    NameKey key;
    key.text = QString::fromStdString(name);
    key.number = key.text.toLongLong(&key.isNumber);
    return key;
}

bool nameBefore(const NameKey& a, const NameKey& b)
{
    if (a.isNumber && b.isNumber)
        return a.number < b.number;
    if (a.isNumber != b.isNumber)
        return a.isNumber;
    return QString::localeAwareCompare(a.text, b.text) < 0;
}

} // namespace

ResultsModel::ResultsModel(QObject* parent)
    : QAbstractTableModel(parent), m_ranking(std::make_shared<const Results::Ranking>())
{
}

const std::vector<Results::Entry>& ResultsModel::entries() const
{
    return m_ranking->entries;
}

void ResultsModel::setRanking(std::shared_ptr<const Results::Ranking> ranking, int resolution)
{
    const bool wasScoring = isScoring();
    const int columnsBefore = columnCount();
    const int before = rowCount();
    if (ranking->scoring) {
        // A heading row per class: a plain reset, the sheet is made anew anyway.
        beginResetModel();
        m_ranking = std::move(ranking);
        m_resolution = resolution;
        makeSheet();
        endResetModel();
        return;
    }
    const int after = static_cast<int>(ranking->entries.size());
    const bool reset = before != after || wasScoring || columnsBefore != 6;
    // The same number of rows is the usual case during a race; the view then
    // only repaints the rows it shows.
    if (reset)
        beginResetModel();
    else
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_ranking = std::move(ranking);
    m_resolution = resolution;
    m_sheet = {};
    m_sheetRows.clear();
    order();
    if (reset) {
        endResetModel();
    } else {
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        if (after > 0)
            emit dataChanged(index(0, 0), index(after - 1, columnCount() - 1));
    }
}

void ResultsModel::setClassFilter(const QString& klass)
{
    if (klass == m_classFilter)
        return;
    m_classFilter = klass;
    if (!isScoring())
        return;
    beginResetModel();
    makeSheet();
    endResetModel();
}

void ResultsModel::makeSheet()
{
    ResultsSheet::Options options;
    options.resolution = m_resolution;
    options.scoring = true;
    options.mode = m_ranking->rules.mode;
    options.classFilter = m_classFilter;
    m_sheet = ResultsSheet::make(m_ranking->table, options);
    m_sheetRows.clear();
    for (std::size_t s = 0; s < m_sheet.sections.size(); ++s) {
        if (!ResultsSheet::heading(m_sheet, m_sheet.sections[s]).isEmpty())
            m_sheetRows.push_back({static_cast<int>(s), -1});
        for (std::size_t r = 0; r < m_sheet.sections[s].rows.size(); ++r)
            m_sheetRows.push_back({static_cast<int>(s), static_cast<int>(r)});
    }
}

bool ResultsModel::isHeading(int row) const
{
    return isScoring() && row >= 0 && row < rowCount() &&
           m_sheetRows[static_cast<std::size_t>(row)].row < 0;
}

const Scoring::Competitor* ResultsModel::competitorAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    if (!isScoring()) {
        // The classic list is the table's one group, in the same order.
        const auto& groups = m_ranking->table.groups;
        const auto entry = static_cast<std::size_t>(m_rows[static_cast<std::size_t>(row)]);
        if (groups.size() != 1 || groups.front().competitors.size() != entries().size())
            return nullptr;
        return &groups.front().competitors[entry];
    }
    const SheetRow& at = m_sheetRows[static_cast<std::size_t>(row)];
    if (at.row < 0)
        return nullptr;
    const ResultsSheet::Row& sheetRow = m_sheet.sections[static_cast<std::size_t>(at.section)]
                                            .rows[static_cast<std::size_t>(at.row)];
    return &m_ranking->table.groups[sheetRow.group].competitors[sheetRow.competitor];
}

int ResultsModel::rowOf(const std::string& competitorText) const
{
    for (int row = 0; row < rowCount(); ++row) {
        const Scoring::Competitor* competitor = competitorAt(row);
        if (competitor != nullptr && competitor->text == competitorText)
            return row;
    }
    return -1;
}

QStringList ResultsModel::widestTexts() const
{
    if (isScoring()) {
        QStringList widest(m_sheet.columns.size());
        for (const ResultsSheet::Section& section : m_sheet.sections)
            for (const ResultsSheet::Row& row : section.rows)
                for (qsizetype c = 0; c < row.cells.size() && c < widest.size(); ++c)
                    if (row.cells[c].size() > widest[c].size())
                        widest[c] = row.cells[c];
        return widest;
    }
    qint32 best = 0;
    qint32 gap = 0;
    qint32 last = 0;
    int runs = 0;
    for (const Results::Entry& entry : entries()) {
        best = std::max(best, entry.bestMs.value_or(0));
        gap = std::max(gap, entry.gapMs.value_or(0));
        last = std::max(last, entry.lastMs.value_or(0));
        runs = std::max(runs, entry.finishedRuns);
    }
    Results::Entry widest;
    widest.place = std::max(1, rowCount());
    widest.finishedRuns = runs;
    widest.bestMs = best;
    widest.gapMs = gap;
    widest.lastMs = last;
    return ResultsTable::cells(widest, m_resolution);
}

int ResultsModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(isScoring() ? m_sheetRows.size() : m_rows.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(isScoring() ? m_sheet.columns.size() : ResultsTable::headers().size());
}

const Results::Entry& ResultsModel::entryAt(int row) const
{
    return entries()[static_cast<std::size_t>(m_rows[static_cast<std::size_t>(row)])];
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (isScoring())
        return sheetData(index, role);
    if (role == Qt::DisplayRole)
        return ResultsTable::cells(entryAt(index.row()), m_resolution).value(index.column());
    if (role == Qt::TextAlignmentRole && index.column() != kNameColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return isScoring() ? m_sheet.columns.value(section)
                           : ResultsTable::headers().value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QVariant ResultsModel::sheetData(const QModelIndex& index, int role) const
{
    const SheetRow& at = m_sheetRows[static_cast<std::size_t>(index.row())];
    const ResultsSheet::Section& section = m_sheet.sections[static_cast<std::size_t>(at.section)];
    if (at.row < 0) {
        if (role == Qt::DisplayRole && index.column() == 0)
            return ResultsSheet::heading(m_sheet, section);
        if (role == Qt::FontRole) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    }
    if (role == Qt::DisplayRole)
        return section.rows[static_cast<std::size_t>(at.row)].cells.value(index.column());
    const int column = index.column();
    const bool text = column == m_sheet.competitorColumn || column == m_sheet.nameColumn ||
                      column == m_sheet.classColumn;
    if (role == Qt::TextAlignmentRole && !text)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

void ResultsModel::sort(int column, Qt::SortOrder order)
{
    // The classes keep their own ranking order; the list sorts only as a
    // whole, without scoring.
    if (isScoring())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> entriesBefore;
    entriesBefore.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before)
        entriesBefore.push_back(m_rows[static_cast<std::size_t>(index.row())]);
    m_sortColumn = column;
    m_sortOrder = order;
    this->order();
    std::vector<int> rowOf(m_rows.size());
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        rowOf[static_cast<std::size_t>(m_rows[row])] = static_cast<int>(row);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(
            index(rowOf[static_cast<std::size_t>(entriesBefore[static_cast<std::size_t>(i)])],
                  before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ResultsModel::order()
{
    const std::vector<Results::Entry>& all = entries();
    m_rows.resize(all.size());
    std::iota(m_rows.begin(), m_rows.end(), 0);
    // Descending is ascending backwards, but equal keys keep the ranking's
    // order either way, as a table sorts them.
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    if (m_sortColumn == kNameColumn) {
        std::vector<NameKey> keys;
        keys.reserve(all.size());
        for (const Results::Entry& entry : all)
            keys.push_back(nameKey(entry.name));
        std::stable_sort(m_rows.begin(), m_rows.end(), [&](int a, int b) {
            const NameKey& left = keys[static_cast<std::size_t>(a)];
            const NameKey& right = keys[static_cast<std::size_t>(b)];
            return descending ? nameBefore(right, left) : nameBefore(left, right);
        });
        return;
    }
    std::vector<qint64> keys(all.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        keys[i] = numberKey(all[i], m_sortColumn, static_cast<int>(i));
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](int a, int b) {
        const qint64 left = keys[static_cast<std::size_t>(a)];
        const qint64 right = keys[static_cast<std::size_t>(b)];
        return descending ? right < left : left < right;
    });
}
