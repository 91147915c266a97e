#include "ui/results/ResultsTable.h"

#include "protocol/ResultsFiles.h"

namespace ResultsTable {

QStringList headers()
{
    return ResultsFiles::columnTitles();
}

QStringList cells(const Results::Entry& entry, int resolution)
{
    return ResultsFiles::rowTexts(entry, resolution);
}

QString printDocument(const ResultsSheet::Sheet& sheet)
{
    // The heading row is the table's head, so every printed page repeats it.
    QString html = QStringLiteral("<h2>Ergebnisliste</h2>"
                                  "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">"
                                  "<thead><tr>");
    for (const QString& title : sheet.columns)
        html += QStringLiteral("<th>%1</th>").arg(title.toHtmlEscaped());
    html += QStringLiteral("</tr></thead>");
    for (const ResultsSheet::Section& section : sheet.sections) {
        if (const QString title = ResultsSheet::heading(sheet, section); !title.isEmpty())
            html += QStringLiteral("<tr><th colspan=\"%1\" align=\"left\">%2</th></tr>")
                        .arg(QString::number(sheet.columns.size()), title.toHtmlEscaped());
        for (const ResultsSheet::Row& row : section.rows) {
            html += QStringLiteral("<tr>");
            for (const QString& text : row.cells)
                html += QStringLiteral("<td>%1</td>").arg(text.toHtmlEscaped());
            html += QStringLiteral("</tr>");
        }
    }
    return html + QStringLiteral("</table>");
}

QString printDocument(const std::vector<Results::Entry>& entries, int resolution)
{
    return printDocument(ResultsFiles::classicSheet(entries, resolution));
}

} // namespace ResultsTable
