#include "protocol/WebPage.h"

#include "protocol/ProtocolText.h"

#include <QStringList>

QString WebPage::escape(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray WebPage::build(const QString& protocolText, const QString& title)
{
    const QString maker = QString::fromLatin1(kMakerAddress);
    const QString footer =
        QStringLiteral("</table><P align=right><a href=\"") + QString::fromLatin1(kProductPage) +
        QStringLiteral("\" title=\"") + title + QStringLiteral("\">") +
        QStringLiteral("<FONT color=#FF0000>Or</FONT><FONT color=#009900>ta</FONT>"
                       "<FONT color=#999999>vin</FONT><FONT color=#666600>&nbsp; "
                       "Software für den Motorsport </FONT>&gt;&gt;</A></P></body></html>");
    const QStringList head = {
        QStringLiteral("<HTML>"),
        QStringLiteral("<HEAD>"),
        QStringLiteral("<!--") + maker + QStringLiteral(" software -->"),
        QStringLiteral("<TITLE>Zeitenprotokoll ") + title + QStringLiteral("</TITLE>"),
        QStringLiteral("<META name=keywords content=\"kartozin, autosport, motosport, softwaren, "
                       "programme, Zeitenprotokoll ") +
            title + QStringLiteral("\">"),
        QStringLiteral("<META name=description content=\"Ortavin professional software "
                       "development for all\">"),
        QStringLiteral("<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"),
        QStringLiteral("</HEAD>"),
        QStringLiteral("<STYLE type=text/css>"),
        QStringLiteral(" body {font-family: Arial}"),
        QStringLiteral(" pre  {padding-left: 36px}"),
        QStringLiteral(".de   {line-height: 4px; width: 28px}"),
        QStringLiteral("</STYLE>"),
        QStringLiteral("<BODY bgcolor=#FFFFFF text=#000000>"),
        QStringLiteral("<H2>&nbsp;") + title + QStringLiteral("</H2>"),
        QStringLiteral("<H4>Zeitenprotokoll</H4>"),
        QStringLiteral("<PRE>"),
    };
    QString page = head.join(u'\n') + u'\n';
    page += escape(protocolText);
    page += u'\n';
    page += QStringLiteral("</PRE>\n");
    page += footer + u'\n';
    return ProtocolText::toFileBytes(page);
}
