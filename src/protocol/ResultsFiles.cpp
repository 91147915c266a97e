#include "protocol/ResultsFiles.h"

#include "protocol/ProtocolText.h"
#include "protocol/WebPage.h"

#include <QStringList>

#include <algorithm>

namespace ResultsFiles {

namespace {

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

QString timeText(const std::optional<std::int32_t>& ms, int resolution)
{
    return ms ? text(Results::formatTime(*ms, resolution)) : QString();
}

QString gapText(const std::optional<std::int32_t>& ms, int resolution)
{
    return ms ? text(Results::formatGap(*ms, resolution)) : QString();
}

QString placeText(const Results::Entry& entry)
{
    return entry.place > 0 ? QString::number(entry.place) : QString();
}

// Seconds cut like the shown time, so "1.02,50" stands beside "62,50" and
// "1.02,5" beside "62,5"; a spreadsheet with German settings reads the comma.
QString secondsText(const std::optional<std::int64_t>& ms, int resolution)
{
    if (!ms) {
        return {};
    }
    const std::int64_t hundredths = *ms / 10;
    QString seconds = QString::number(hundredths / 100);
    if (resolution == 2) {
        seconds += QStringLiteral(",%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    } else if (resolution == 1) {
        seconds += QStringLiteral(",%1").arg(hundredths / 10 % 10);
    }
    return seconds;
}

QString csvField(const QString& field)
{
    static const QString splitting = QStringLiteral(";\"\r\n");
    const bool quoted =
        std::any_of(field.begin(), field.end(), [](QChar c) { return splitting.contains(c); });
    if (!quoted) {
        return field;
    }
    QString inner = field;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

// A spreadsheet takes a field that begins like a formula for one and runs it;
// a leading apostrophe makes it show the name as text.
QString nameField(const QString& name)
{
    static const QString formulaStart = QStringLiteral("=+-@");
    if (!name.isEmpty() && formulaStart.contains(name.front())) {
        return u'\'' + name;
    }
    return name;
}

QString cell(const QString& tag, const QString& content)
{
    return u'<' + tag + u'>' + WebPage::escape(content) + QStringLiteral("</") + tag + u'>';
}

} // namespace

const QStringList& columnTitles()
{
    static const QStringList titles = ResultsSheet::make(Scoring::Table{}, {}).columns;
    return titles;
}

QStringList rowTexts(const Results::Entry& entry, int resolution)
{
    return {placeText(entry),
            text(entry.name),
            QString::number(entry.finishedRuns),
            timeText(entry.bestMs, resolution),
            gapText(entry.gapMs, resolution),
            timeText(entry.lastMs, resolution)};
}

ResultsSheet::Sheet classicSheet(const std::vector<Results::Entry>& entries, int resolution)
{
    // Without rows, the sheet is its columns alone.
    ResultsSheet::Sheet sheet = ResultsSheet::make(Scoring::Table{}, {});
    ResultsSheet::Section section;
    section.rows.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        section.rows.push_back({0, i, rowTexts(entries[i], resolution), entries[i].bestMs});
    }
    sheet.sections.push_back(std::move(section));
    return sheet;
}

QByteArray csv(const ResultsSheet::Sheet& sheet, int resolution)
{
    QStringList rows;
    rows.reserve(sheet.rowCount() + 1);
    rows.append(sheet.columns.join(u';') + u';' + sheet.columns.value(sheet.scoreColumn) +
                QStringLiteral(" (s)"));
    for (const ResultsSheet::Section& section : sheet.sections) {
        for (const ResultsSheet::Row& row : section.rows) {
            QStringList fields = row.cells;
            fields.append(secondsText(row.scoreMs, resolution));
            for (const int typed : {sheet.competitorColumn, sheet.nameColumn, sheet.classColumn}) {
                if (typed >= 0 && typed < fields.size()) {
                    fields[typed] = nameField(fields[typed]);
                }
            }
            for (QString& field : fields) {
                field = csvField(field);
            }
            rows.append(fields.join(u';'));
        }
    }
    return QByteArray("\xEF\xBB\xBF") +
           (rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

QByteArray webPage(const ResultsSheet::Sheet& sheet, int /*resolution*/)
{
    // The texts people type (Nr./Name, Name, Klasse) read from the left,
    // places and times from the right.
    QStringList leftColumns;
    for (const int typed : {sheet.competitorColumn, sheet.nameColumn, sheet.classColumn}) {
        if (typed >= 0) {
            leftColumns.append(QStringLiteral("th:nth-child(%1), td:nth-child(%1)").arg(typed + 1));
        }
    }
    QStringList lines = {
        QStringLiteral("<HTML>"),
        QStringLiteral("<HEAD>"),
        QStringLiteral("<!--") + QString::fromLatin1(WebPage::kMakerAddress) +
            QStringLiteral(" software -->"),
        QStringLiteral("<TITLE>Ergebnisliste Kelvatron</TITLE>"),
        QStringLiteral("<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"),
        QStringLiteral("</HEAD>"),
        QStringLiteral("<STYLE type=text/css>"),
        QStringLiteral(" body {font-family: Arial}"),
        QStringLiteral(" th, td {padding: 2px 12px; text-align: right}"),
        u' ' + leftColumns.join(QStringLiteral(", ")) + QStringLiteral(" {text-align: left}"),
        QStringLiteral("</STYLE>"),
        QStringLiteral("<BODY bgcolor=#FFFFFF text=#000000>"),
        QStringLiteral("<H2>&nbsp;Kelvatron</H2>"),
        QStringLiteral("<H4>Ergebnisliste</H4>"),
        QStringLiteral("<TABLE border=1 cellspacing=0>"),
    };
    QString header = QStringLiteral("<TR>");
    for (const QString& name : sheet.columns) {
        header += cell(QStringLiteral("TH"), name);
    }
    lines.append(header + QStringLiteral("</TR>"));
    for (const ResultsSheet::Section& section : sheet.sections) {
        if (const QString title = ResultsSheet::heading(sheet, section); !title.isEmpty()) {
            lines.append(QStringLiteral("<TR><TH colspan=%1 style=\"text-align: left\">")
                             .arg(sheet.columns.size()) +
                         WebPage::escape(title) + QStringLiteral("</TH></TR>"));
        }
        for (const ResultsSheet::Row& row : section.rows) {
            QString line = QStringLiteral("<TR>");
            for (const QString& field : row.cells) {
                line += cell(QStringLiteral("TD"), field);
            }
            lines.append(line + QStringLiteral("</TR>"));
        }
    }
    lines.append(QStringLiteral("</TABLE>"));
    lines.append(QStringLiteral("<P align=right><a href=\"") +
                 QString::fromLatin1(WebPage::kProductPage) +
                 QStringLiteral("\">Kelvatron</a></P></BODY></HTML>"));
    return ProtocolText::toFileBytes(lines.join(u'\n') + u'\n');
}

QByteArray csv(const std::vector<Results::Entry>& entries, int resolution)
{
    return csv(classicSheet(entries, resolution), resolution);
}

QByteArray webPage(const std::vector<Results::Entry>& entries, int resolution)
{
    return webPage(classicSheet(entries, resolution), resolution);
}

} // namespace ResultsFiles
