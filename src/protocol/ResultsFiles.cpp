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
QString secondsText(const std::optional<std::int32_t>& ms, int resolution)
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
    static const QStringList names = {
        QStringLiteral("Platz"),    QStringLiteral("Nr./Name"),  QStringLiteral("Läufe"),
        QStringLiteral("Bestzeit"), QStringLiteral("Rückstand"), QStringLiteral("Letzte Zeit"),
    };
    return names;
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

QByteArray csv(const std::vector<Results::Entry>& entries, int resolution)
{
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(entries.size()) + 1);
    rows.append(columnTitles().join(u';') + QStringLiteral(";Bestzeit (s)"));
    for (const Results::Entry& entry : entries) {
        QStringList fields = rowTexts(entry, resolution);
        fields.append(secondsText(entry.bestMs, resolution));
        fields[1] = nameField(fields[1]);
        for (QString& field : fields) {
            field = csvField(field);
        }
        rows.append(fields.join(u';'));
    }
    return QByteArray("\xEF\xBB\xBF") +
           (rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

QByteArray webPage(const std::vector<Results::Entry>& entries, int resolution)
{
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
        QStringLiteral(" th:nth-child(2), td:nth-child(2) {text-align: left}"),
        QStringLiteral("</STYLE>"),
        QStringLiteral("<BODY bgcolor=#FFFFFF text=#000000>"),
        QStringLiteral("<H2>&nbsp;Kelvatron</H2>"),
        QStringLiteral("<H4>Ergebnisliste</H4>"),
        QStringLiteral("<TABLE border=1 cellspacing=0>"),
    };
    QString header = QStringLiteral("<TR>");
    for (const QString& name : columnTitles()) {
        header += cell(QStringLiteral("TH"), name);
    }
    lines.append(header + QStringLiteral("</TR>"));
    for (const Results::Entry& entry : entries) {
        QString row = QStringLiteral("<TR>");
        for (const QString& field : rowTexts(entry, resolution)) {
            row += cell(QStringLiteral("TD"), field);
        }
        lines.append(row + QStringLiteral("</TR>"));
    }
    lines.append(QStringLiteral("</TABLE>"));
    lines.append(QStringLiteral("<P align=right><a href=\"") +
                 QString::fromLatin1(WebPage::kProductPage) +
                 QStringLiteral("\">Kelvatron</a></P></BODY></HTML>"));
    return ProtocolText::toFileBytes(lines.join(u'\n') + u'\n');
}

} // namespace ResultsFiles
