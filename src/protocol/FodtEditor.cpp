#include "protocol/FodtEditor.h"

#include "protocol/ProtocolText.h"

#include <QHash>
#include <QXmlStreamReader>

namespace {

const QString kOfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kStyleNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString kTextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kFoNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0");

// Children of office:text that must stay ahead of the first paragraph.
bool isBodyPrelude(QStringView ns, QStringView name)
{
    if (ns == kOfficeNs)
        return name == u"forms";
    if (ns == kTextNs)
        return name == u"tracked-changes" || name == u"variable-decls" ||
               name == u"sequence-decls" || name == u"user-field-decls" ||
               name == u"dde-connection-decls" || name == u"alphabetical-index-auto-mark-file";
    return name == u"calculation-settings" || name == u"content-validations" ||
           name == u"label-ranges";
}

bool xmlAllowed(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20)
        return u == u'\t' || u == u'\n' || u == u'\r';
    return u != 0xFFFE && u != 0xFFFF;
}

struct Splice
{
    qsizetype at = -1;
    qsizetype removeUpTo = -1; // end of a replaced range, -1 for a pure insertion
    QString text;
};

} // namespace

QString FodtEditor::paragraphContent(const QString& line, const QString& textPrefix)
{
    QString out;
    out.reserve(line.size() + 16);
    for (qsizetype i = 0; i < line.size();) {
        const QChar c = line[i];
        if (c == u' ') {
            qsizetype run = 1;
            while (i + run < line.size() && line[i + run] == u' ')
                ++run;
            const bool edge = i == 0 || i + run == line.size();
            if (run == 1 && !edge) {
                out += u' ';
            } else {
                out += QStringLiteral("<%1:s %1:c=\"%2\"/>").arg(textPrefix).arg(run);
            }
            i += run;
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate()) {
            out += c;
            out += line[i + 1];
            i += 2;
            continue;
        }
        if (c == u'\t')
            out += QStringLiteral("<%1:tab/>").arg(textPrefix);
        else if (c == u'&')
            out += QStringLiteral("&amp;");
        else if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'>')
            out += QStringLiteral("&gt;");
        else if (!xmlAllowed(c) || c.isSurrogate())
            out += u'?';
        else
            out += c;
        ++i;
    }
    return out;
}

std::optional<QByteArray> FodtEditor::insertAtStart(const QByteArray& fodt, const QString& text)
{
    const QString doc = QString::fromUtf8(fodt);
    QXmlStreamReader reader(doc);
    QHash<QString, QString> prefixOf; // namespace URI -> prefix declared on the root
    Splice style;
    Splice body;
    bool inText = false;
    int depth = 0;
    int textDepth = -1;
    qsizetype textStartEnd = -1;
    qsizetype stylesStart = -1;
    qsizetype stylesStartEnd = -1;
    bool stylesSeen = false;
    bool misplaced = false;

    // The reader's offset after a token may already include a look-ahead
    // character, so a tag is located from its own end instead: "<" cannot
    // occur inside a tag, hence the last one before the tag's end is its
    // start. The check against the tag's name guards the arithmetic.
    auto tagStart = [&](qsizetype end, bool closing) {
        const qsizetype at = doc.lastIndexOf(u'<', end - 1);
        const QString name =
            (closing ? QStringLiteral("/") : QString()) + reader.qualifiedName().toString();
        if (at < 0 || QStringView(doc).mid(at + 1, name.size()) != name)
            misplaced = true;
        return at;
    };

    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        const qsizetype end = reader.characterOffset();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QStringView ns = reader.namespaceUri();
            const QStringView name = reader.name();
            if (depth == 1) {
                if (ns != kOfficeNs || name != u"document")
                    return std::nullopt;
                for (const auto& decl : reader.namespaceDeclarations())
                    prefixOf.insert(decl.namespaceUri().toString(), decl.prefix().toString());
            } else if (depth == 2 && ns == kOfficeNs && name == u"automatic-styles") {
                stylesSeen = true;
                stylesStart = tagStart(end, false);
                stylesStartEnd = end;
            } else if (depth == 2 && ns == kOfficeNs && !stylesSeen &&
                       (name == u"master-styles" || name == u"body")) {
                stylesSeen = true;
                style.at = tagStart(end, false);
                style.text = QStringLiteral("<%1:automatic-styles>@</%1:automatic-styles>");
            } else if (depth == 3 && ns == kOfficeNs && name == u"text") {
                inText = true;
                textDepth = depth;
                textStartEnd = end;
            } else if (inText && depth == textDepth + 1 && body.at < 0 &&
                       !isBodyPrelude(ns, name)) {
                body.at = tagStart(end, false);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView ns = reader.namespaceUri();
            const QStringView name = reader.name();
            if (depth == 2 && ns == kOfficeNs && name == u"automatic-styles") {
                if (end == stylesStartEnd) { // <office:automatic-styles/>
                    style.at = stylesStart;
                    style.removeUpTo = end;
                    style.text = QStringLiteral("<%1:automatic-styles>@</%1:automatic-styles>");
                } else {
                    style.at = tagStart(end, true);
                    style.text = QStringLiteral("@");
                }
            } else if (inText && depth == textDepth) {
                inText = false;
                if (body.at < 0) {
                    if (end == textStartEnd)
                        return std::nullopt; // <office:text/> has no room inside
                    body.at = tagStart(end, true);
                }
            }
            --depth;
        }
    }
    if (reader.hasError() || misplaced || style.at < 0 || body.at < 0)
        return std::nullopt;

    const QString office = prefixOf.value(kOfficeNs);
    const QString st = prefixOf.value(kStyleNs);
    const QString tx = prefixOf.value(kTextNs);
    const QString fo = prefixOf.value(kFoNs);
    if (office.isEmpty() || st.isEmpty() || tx.isEmpty() || fo.isEmpty())
        return std::nullopt;

    const QString styleXml =
        QStringLiteral("<%1:style %1:name=\"%3\" %1:family=\"paragraph\">"
                       "<%1:paragraph-properties %2:margin-top=\"0cm\" %2:margin-bottom=\"0cm\"/>"
                       "<%1:text-properties %2:font-family=\"'Courier New'\" "
                       "%1:font-family-generic=\"modern\" %1:font-pitch=\"fixed\" "
                       "%2:font-size=\"10pt\"/></%1:style>")
            .arg(st, fo, QLatin1String(kStyleName));
    if (style.text.contains(QLatin1String("%1")))
        style.text = style.text.arg(office);
    style.text.replace(u'@', styleXml);

    const QString unified = ProtocolText::normaliseBreaks(text);
    const int lines = ProtocolText::lineCount(unified);
    QString paragraphs;
    qsizetype pos = 0;
    for (int i = 0; i < lines; ++i) {
        qsizetype nl = unified.indexOf(u'\n', pos);
        if (nl < 0)
            nl = unified.size();
        paragraphs +=
            QStringLiteral("<%1:p %1:style-name=\"%2\">").arg(tx, QLatin1String(kStyleName));
        paragraphs += paragraphContent(unified.mid(pos, nl - pos), tx);
        paragraphs += QStringLiteral("</%1:p>").arg(tx);
        pos = nl + 1;
    }
    body.text = paragraphs;

    // Style splice comes first in the document; apply the later one first so
    // the earlier offset stays valid.
    QString out = doc;
    out.insert(body.at, body.text);
    if (style.removeUpTo >= 0)
        out.replace(style.at, style.removeUpTo - style.at, style.text);
    else
        out.insert(style.at, style.text);
    return out.toUtf8();
}
