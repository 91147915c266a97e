#pragma once

#include "core/IProtocol.h"
#include "protocol/ProtocolMemo.h"

#include <QString>

// The protocol text area as the race core sees it: lines of UTF-8 text.
class MemoProtocol : public IProtocol
{
public:
    explicit MemoProtocol(ProtocolMemo& memo) : m_memo(memo) {}

    int lineCount() const override { return m_memo.lineCount(); }
    std::string line(int index) const override { return m_memo.line(index).toStdString(); }
    void appendLine(const std::string& text) override
    {
        m_memo.appendLine(QString::fromStdString(text));
    }
    void replaceLine(int index, const std::string& text) override
    {
        m_memo.replaceLine(index, QString::fromStdString(text));
    }

private:
    ProtocolMemo& m_memo;
};
