#include "protocol/ProtocolMemo.h"

#include "protocol/ProtocolText.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// The document splits inserted text at every kind of break itself; handing it
// "\n" only keeps the block structure identical to the pure text model.
QString unified(const QString& lineText)
{
    QString copy = lineText;
    copy.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    copy.replace(u'\r', u'\n');
    copy.replace(QChar::ParagraphSeparator, u'\n');
    copy.replace(QChar::LineSeparator, u'\n');
    return copy;
}

} // namespace

QString ProtocolMemo::text() const
{
    // toPlainText() would turn no-break spaces into blanks and change the
    // bytes of a loaded file on the next save.
    QString raw = m_memo->document()->toRawText();
    for (QChar& c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return raw;
}

QByteArray ProtocolMemo::fileBytes() const
{
    // The encoder takes the document's own separators as breaks.
    return ProtocolText::toFileBytes(m_memo->document()->toRawText());
}

bool ProtocolMemo::isEmpty() const
{
    return m_memo->document()->characterCount() <= 1;
}

void ProtocolMemo::setText(const QString& text)
{
    m_memo->setPlainText(ProtocolText::normaliseBreaks(text));
}

int ProtocolMemo::lineCount() const
{
    const QTextDocument* doc = m_memo->document();
    const int blocks = doc->blockCount();
    return doc->lastBlock().length() <= 1 ? blocks - 1 : blocks;
}

QString ProtocolMemo::line(int index) const
{
    if (index < 0 || index >= lineCount())
        return {};
    return m_memo->document()->findBlockByNumber(index).text();
}

void ProtocolMemo::appendLine(const QString& lineText)
{
    QTextCursor cursor(m_memo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (cursor.block().length() > 1)
        cursor.insertText(QStringLiteral("\n"));
    cursor.insertText(unified(lineText) + u'\n');
    cursor.endEditBlock();
    m_memo->setTextCursor(cursor);
    m_memo->ensureCursorVisible();
    // The caret sits at the start of the new empty line; keep the lines'
    // beginnings in view, a narrow window would otherwise show only their tails.
    m_memo->horizontalScrollBar()->setValue(0);
}

void ProtocolMemo::replaceLine(int index, const QString& lineText)
{
    if (index < 0 || index >= lineCount())
        return;
    // STOPP usually writes its "Nr." line back unchanged; an unchanged line
    // is no change, and the crash copy need not be touched for it.
    const QTextBlock block = m_memo->document()->findBlockByNumber(index);
    const QString text = unified(lineText);
    if (block.text() == text)
        return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}
