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

// One pass of the reader over the document finds where the paragraph style
// and the paragraphs go, and the prefixes the root declares.
class PlaceFinder
{
public:
    explicit PlaceFinder(const QString& doc) : m_doc(doc), m_reader(doc) {}

    // False when the document is no flat ODF text or leaves no room.
    bool run()
    {
        while (!m_reader.atEnd()) {
            const auto token = m_reader.readNext();
            const qsizetype end = m_reader.characterOffset();
            if (token == QXmlStreamReader::StartElement && !startElement(end))
                return false;
            if (token == QXmlStreamReader::EndElement && !endElement(end))
                return false;
        }
        return !m_reader.hasError() && !m_misplaced && style.at >= 0 && body.at >= 0;
    }

    QHash<QString, QString> prefixOf; // namespace URI -> prefix declared on the root
    Splice style;
    Splice body;

private:
    // The reader's offset after a token may already include a look-ahead
    // character, so a tag is located from its own end instead: "<" cannot
    // occur inside a tag, hence the last one before the tag's end is its
    // start. The check against the tag's name guards the arithmetic.
    qsizetype tagStart(qsizetype end, bool closing)
    {
        const qsizetype at = m_doc.lastIndexOf(u'<', end - 1);
        const QString name =
            (closing ? QStringLiteral("/") : QString()) + m_reader.qualifiedName().toString();
        if (at < 0 || QStringView(m_doc).mid(at + 1, name.size()) != name)
            m_misplaced = true;
        return at;
    }

    bool startElement(qsizetype end)
    {
        ++m_depth;
        const QStringView ns = m_reader.namespaceUri();
        const QStringView name = m_reader.name();
        if (m_depth == 1) {
            if (ns != kOfficeNs || name != u"document")
                return false;
            for (const auto& decl : m_reader.namespaceDeclarations())
                prefixOf.insert(decl.namespaceUri().toString(), decl.prefix().toString());
        } else if (m_depth == 2 && ns == kOfficeNs && name == u"automatic-styles") {
            m_stylesSeen = true;
            m_stylesStart = tagStart(end, false);
            m_stylesStartEnd = end;
        } else if (m_depth == 2 && ns == kOfficeNs && !m_stylesSeen &&
                   (name == u"master-styles" || name == u"body")) {
            m_stylesSeen = true;
            style.at = tagStart(end, false);
            style.text = QStringLiteral("<%1:automatic-styles>@</%1:automatic-styles>");
        } else if (m_depth == 3 && ns == kOfficeNs && name == u"text") {
            m_inText = true;
            m_textDepth = m_depth;
            m_textStartEnd = end;
        } else if (m_inText && m_depth == m_textDepth + 1 && body.at < 0 &&
                   !isBodyPrelude(ns, name)) {
            body.at = tagStart(end, false);
        }
        return true;
    }

    bool endElement(qsizetype end)
    {
        const QStringView ns = m_reader.namespaceUri();
        const QStringView name = m_reader.name();
        if (m_depth == 2 && ns == kOfficeNs && name == u"automatic-styles") {
            if (end == m_stylesStartEnd) { // <office:automatic-styles/>
                style.at = m_stylesStart;
                style.removeUpTo = end;
                style.text = QStringLiteral("<%1:automatic-styles>@</%1:automatic-styles>");
            } else {
                style.at = tagStart(end, true);
                style.text = QStringLiteral("@");
            }
        } else if (m_inText && m_depth == m_textDepth) {
            m_inText = false;
            if (body.at < 0) {
                if (end == m_textStartEnd)
                    return false; // <office:text/> has no room inside
                body.at = tagStart(end, true);
            }
        }
        --m_depth;
        return true;
    }

    const QString& m_doc;
    QXmlStreamReader m_reader;
    bool m_inText = false;
    int m_depth = 0;
    int m_textDepth = -1;
    qsizetype m_textStartEnd = -1;
    qsizetype m_stylesStart = -1;
    qsizetype m_stylesStartEnd = -1;
    bool m_stylesSeen = false;
    bool m_misplaced = false;
};

// The protocol's paragraph style: fixed pitch and no gaps between the
// paragraphs, so its columns line up as in the window.
QString styleXml(const QString& st, const QString& fo)
{
    return QStringLiteral(
               "<%1:style %1:name=\"%3\" %1:family=\"paragraph\">"
               "<%1:paragraph-properties %2:margin-top=\"0cm\" %2:margin-bottom=\"0cm\"/>"
               "<%1:text-properties %2:font-family=\"'Courier New'\" "
               "%1:font-family-generic=\"modern\" %1:font-pitch=\"fixed\" "
               "%2:font-size=\"10pt\"/></%1:style>")
        .arg(st, fo, QLatin1String(FodtEditor::kStyleName));
}

// One paragraph in the protocol's style per line of the text.
QString paragraphsXml(const QString& text, const QString& tx)
{
    const QString unified = ProtocolText::normaliseBreaks(text);
    const int lines = ProtocolText::lineCount(unified);
    QString paragraphs;
    qsizetype pos = 0;
    for (int i = 0; i < lines; ++i) {
        qsizetype nl = unified.indexOf(u'\n', pos);
        if (nl < 0)
            nl = unified.size();
        paragraphs += QStringLiteral("<%1:p %1:style-name=\"%2\">")
                          .arg(tx, QLatin1String(FodtEditor::kStyleName));
        paragraphs += FodtEditor::paragraphContent(unified.mid(pos, nl - pos), tx);
        paragraphs += QStringLiteral("</%1:p>").arg(tx);
        pos = nl + 1;
    }
    return paragraphs;
}

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
    PlaceFinder places(doc);
    if (!places.run())
        return std::nullopt;

    const QString office = places.prefixOf.value(kOfficeNs);
    const QString st = places.prefixOf.value(kStyleNs);
    const QString tx = places.prefixOf.value(kTextNs);
    const QString fo = places.prefixOf.value(kFoNs);
    if (office.isEmpty() || st.isEmpty() || tx.isEmpty() || fo.isEmpty())
        return std::nullopt;

    Splice style = places.style;
    if (style.text.contains(QLatin1String("%1")))
        style.text = style.text.arg(office);
    style.text.replace(u'@', styleXml(st, fo));

    // Style splice comes first in the document; apply the later one first so
    // the earlier offset stays valid.
    QString out = doc;
    out.insert(places.body.at, paragraphsXml(text, tx));
    if (style.removeUpTo >= 0)
        out.replace(style.at, style.removeUpTo - style.at, style.text);
    else
        out.insert(style.at, style.text);
    return out.toUtf8();
}
