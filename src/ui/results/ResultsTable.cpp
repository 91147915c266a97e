#include "ui/results/ResultsTable.h"

namespace ResultsTable {

namespace {

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

QString printDocument(const std::vector<Results::Entry>& entries, int resolution)
{
    // The heading row is the table's head, so every printed page repeats it.
    QString html = QStringLiteral("<h2>Ergebnisliste</h2>"
                                  "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">"
                                  "<thead><tr>");
    for (const QString& title : headers())
        html += QStringLiteral("<th>%1</th>").arg(title.toHtmlEscaped());
    html += QStringLiteral("</tr></thead>");
    for (const Results::Entry& entry : entries) {
        html += QStringLiteral("<tr>");
        for (const QString& text : cells(entry, resolution))
            html += QStringLiteral("<td>%1</td>").arg(text.toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

} // namespace ResultsTable
