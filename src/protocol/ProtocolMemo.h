#pragma once

#include <QByteArray>
#include <QString>

class QPlainTextEdit;

// The protocol text area seen as a list of lines. It behaves exactly like the
// functions of ProtocolText on the area's text, but works on the document's
// blocks, so appending to a long protocol costs the same as to a short one.
class ProtocolMemo
{
public:
    explicit ProtocolMemo(QPlainTextEdit* memo) : m_memo(memo) {}

    QPlainTextEdit* widget() const { return m_memo; }

    // "\n"-separated, every character as stored (a no-break space stays one).
    QString text() const;
    QByteArray fileBytes() const;
    bool isEmpty() const;
    // Replaces everything; the text is normalised first.
    void setText(const QString& text);

    int lineCount() const;
    QString line(int index) const;
    // The caret follows to the end so the newest line stays in view.
    void appendLine(const QString& lineText);
    void replaceLine(int index, const QString& lineText);

private:
    QPlainTextEdit* m_memo;
};
