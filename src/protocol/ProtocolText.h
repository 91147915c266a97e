#pragma once

#include <QByteArray>
#include <QString>

// The protocol as the program keeps it: lines separated by "\n" while it lives
// in the text area, CR LF and Windows-1252 bytes once it is written to disk.
// Protocol files have to move between Windows and Linux installations
// unchanged, so the encoding never follows the locale.
namespace ProtocolText {

// Every byte decodes, and every character that came from a byte encodes back
// to the same byte (the five holes of the code page map to U+0081 etc., as on
// Windows). Anything else becomes one "?" per character.
QByteArray encodeCp1252(QStringView text);
QString decodeCp1252(QByteArrayView bytes);

// CR LF, a lone CR and a lone LF each become one "\n"; the text ends at its
// first NUL.
QString normaliseBreaks(QStringView text);

// Text area form <-> file bytes.
QByteArray toFileBytes(QStringView text);
QString fromFileBytes(QByteArrayView bytes);

// Line access in the manner of a memo's line list: a final break does not
// start another line, so "a\n" has one line and "" none.
int lineCount(QStringView text);
QString line(QStringView text, int index); // empty when out of range
// Appends the line and a break, first closing an unterminated last line.
void appendLine(QString& text, QStringView lineText);
// Replaces the content of one line and keeps its break; out of range does
// nothing.
void replaceLine(QString& text, int index, QStringView lineText);

} // namespace ProtocolText
