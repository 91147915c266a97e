#include "protocol/ProtocolText.h"

#include <array>

namespace ProtocolText {

namespace {

// 0x80..0x9F; the holes 0x81, 0x8D, 0x8F, 0x90, 0x9D keep their C1 code points
// so that no byte is lost on the way through the text area.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char encodeOne(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

bool isBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// Breaks of every kind become "\n" (the separators a text document may hand
// back are included); nothing else changes. Runs over whole protocols of
// many megabytes, hence the plain pointer loop.
QString unifyBreaks(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    const QChar* src = text.data();
    const QChar* const end = src + text.size();
    while (src != end) {
        const QChar c = *src++;
        if (c == u'\r' && src != end && *src == u'\n')
            continue;
        *dst++ = isBreak(c) ? QChar(u'\n') : c;
    }
    out.truncate(dst - out.constData());
    return out;
}

// Start and end (exclusive, before the break) of a line; false when the line
// does not exist.
bool lineSpan(QStringView text, int index, qsizetype& start, qsizetype& end)
{
    if (index < 0)
        return false;
    qsizetype pos = 0;
    for (int i = 0; i < index; ++i) {
        const qsizetype nl = text.indexOf(u'\n', pos);
        if (nl < 0)
            return false;
        pos = nl + 1;
    }
    if (pos >= text.size())
        return false;
    const qsizetype nl = text.indexOf(u'\n', pos);
    start = pos;
    end = nl < 0 ? text.size() : nl;
    return true;
}

} // namespace

QByteArray encodeCp1252(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.append('?');
            ++i;
            continue;
        }
        out.append(encodeOne(c.unicode()));
    }
    return out;
}

QString decodeCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        dst[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

QString normaliseBreaks(QStringView text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return unifyBreaks(nul < 0 ? text : text.left(nul));
}

QByteArray toFileBytes(QStringView text)
{
    // At most two bytes per character (a break becomes CR LF).
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char* dst = out.data();
    const QChar* src = text.data();
    const QChar* const end = src + text.size();
    while (src != end) {
        const QChar c = *src++;
        if (isBreak(c)) {
            if (c == u'\r' && src != end && *src == u'\n')
                ++src;
            *dst++ = '\r';
            *dst++ = '\n';
        } else if (c.isHighSurrogate() && src != end && src->isLowSurrogate()) {
            *dst++ = '?';
            ++src;
        } else {
            *dst++ = encodeOne(c.unicode());
        }
    }
    out.truncate(dst - out.constData());
    return out;
}

QString fromFileBytes(QByteArrayView bytes)
{
    return normaliseBreaks(decodeCp1252(bytes));
}

int lineCount(QStringView text)
{
    if (text.isEmpty())
        return 0;
    const auto breaks = static_cast<int>(text.count(u'\n'));
    return text.back() == u'\n' ? breaks : breaks + 1;
}

QString line(QStringView text, int index)
{
    qsizetype start = 0;
    qsizetype end = 0;
    if (!lineSpan(text, index, start, end))
        return {};
    return text.mid(start, end - start).toString();
}

void appendLine(QString& text, QStringView lineText)
{
    if (!text.isEmpty() && text.back() != u'\n')
        text.append(u'\n');
    text.append(unifyBreaks(lineText));
    text.append(u'\n');
}

void replaceLine(QString& text, int index, QStringView lineText)
{
    qsizetype start = 0;
    qsizetype end = 0;
    if (!lineSpan(text, index, start, end))
        return;
    text.replace(start, end - start, unifyBreaks(lineText));
}

} // namespace ProtocolText
