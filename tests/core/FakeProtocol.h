#pragma once

#include "core/IProtocol.h"

#include <stdexcept>
#include <string>
#include <vector>

// Throws on an index outside the lines, so a write past the end fails a test.
class FakeProtocol : public IProtocol
{
public:
    std::vector<std::string> lines;

    int lineCount() const override { return static_cast<int>(lines.size()); }
    std::string line(int index) const override { return lines.at(static_cast<size_t>(index)); }
    void appendLine(const std::string& text) override { lines.push_back(text); }
    void replaceLine(int index, const std::string& text) override
    {
        lines.at(static_cast<size_t>(index)) = text;
    }
};
