#pragma once

#include <string>

// The results protocol as a list of lines. Texts are UTF-8 without the line
// break; the protocol layer owns line endings and the on-disk encoding.
class IProtocol
{
public:
    virtual ~IProtocol() = default;
    virtual int lineCount() const = 0;
    virtual std::string line(int index) const = 0;
    virtual void appendLine(const std::string& text) = 0;
    virtual void replaceLine(int index, const std::string& text) = 0;
};
