// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The few text helpers the readers of the program's own files share. ASCII
// only: every byte of a multi-byte UTF-8 sequence is above 0x7F, so none is
// taken for a blank or a digit.
namespace Text {

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

inline std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

inline bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace Text
