#include "ui/results/ResultsTable.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QTableWidgetItem>

#include <limits>

namespace ResultsTable {

namespace {

constexpr int kSortKey = Qt::UserRole;
// Competitors without a time sort behind every time.
constexpr qint64 kNoTime = std::numeric_limits<qint64>::max();

// Start numbers compare as numbers and come before names; names compare as
// the operator's language sorts them. QCollator's numeric mode would do this,
// but without ICU it is silently ignored.
bool nameBefore(const QString& a, const QString& b)
{
    bool aIsNumber = false;
    bool bIsNumber = false;
    const qlonglong aNumber = a.toLongLong(&aIsNumber);
    const qlonglong bNumber = b.toLongLong(&bIsNumber);
    if (aIsNumber && bIsNumber)
        return aNumber < bNumber;
    if (aIsNumber != bIsNumber)
        return aIsNumber;
    return QString::localeAwareCompare(a, b) < 0;
}

// Compares the sort keys, not the texts: "10,00" is more than "9,99", and
// start numbers compare as numbers ("7" before "12").
class KeyedItem : public QTableWidgetItem
{
public:
    KeyedItem(const QString& text, const QVariant& key) : QTableWidgetItem(text)
    {
        setData(kSortKey, key);
        setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }

    bool operator<(const QTableWidgetItem& other) const override
    {
        const QVariant mine = data(kSortKey);
        const QVariant theirs = other.data(kSortKey);
        if (mine.typeId() == QMetaType::QString && theirs.typeId() == QMetaType::QString)
            return nameBefore(mine.toString(), theirs.toString());
        return mine.toLongLong() < theirs.toLongLong();
    }
};

qint64 timeKey(const std::optional<std::int32_t>& ms)
{
    return ms ? qint64{*ms} : kNoTime;
}

QString timeText(const std::optional<std::int32_t>& ms, int resolution)
{
    return ms ? QString::fromStdString(Results::formatTime(*ms, resolution)) : QString();
}

} // namespace

QStringList headers()
{
    return {QStringLiteral("Platz"),    QStringLiteral("Nr./Name"),  QStringLiteral("Läufe"),
            QStringLiteral("Bestzeit"), QStringLiteral("Rückstand"), QStringLiteral("Letzte Zeit")};
}

QStringList cells(const Results::Entry& entry, int resolution)
{
    return {entry.place > 0 ? QString::number(entry.place) : QString(),
            QString::fromStdString(entry.name),
            QString::number(entry.finishedRuns),
            timeText(entry.bestMs, resolution),
            entry.gapMs ? QString::fromStdString(Results::formatGap(*entry.gapMs, resolution))
                        : QString(),
            timeText(entry.lastMs, resolution)};
}

void fill(QTableWidget& table, const std::vector<Results::Entry>& entries, int resolution)
{
    // Sorting while rows go in would move them under our hands; the header
    // keeps the operator's column and order, applied once at the end.
    table.setSortingEnabled(false);
    table.clearContents();
    table.setRowCount(static_cast<int>(entries.size()));
    for (int row = 0; row < table.rowCount(); ++row) {
        const Results::Entry& entry = entries[static_cast<std::size_t>(row)];
        const QStringList texts = cells(entry, resolution);
        // The ranking's own order, so ties and unranked competitors keep it.
        const QVariant keys[] = {qint64{row},
                                 QString::fromStdString(entry.name),
                                 qint64{entry.finishedRuns},
                                 timeKey(entry.bestMs),
                                 timeKey(entry.gapMs),
                                 timeKey(entry.lastMs)};
        for (int column = 0; column < texts.size(); ++column) {
            auto* item = new KeyedItem(texts[column], keys[column]);
            if (column != 1)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table.setItem(row, column, item);
        }
    }
    table.setSortingEnabled(true);
}

QString printDocument(const std::vector<Results::Entry>& entries, int resolution)
{
    QString html = QStringLiteral("<h2>Ergebnisliste</h2>"
                                  "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\"><tr>");
    for (const QString& title : headers())
        html += QStringLiteral("<th>%1</th>").arg(title.toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (const Results::Entry& entry : entries) {
        html += QStringLiteral("<tr>");
        for (const QString& text : cells(entry, resolution))
            html += QStringLiteral("<td>%1</td>").arg(text.toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

} // namespace ResultsTable
