// SPDX-License-Identifier: GPL-3.0-or-later
#include "live/HttpRequest.h"

#include <algorithm>
#include <cctype>

namespace HttpRequest {

namespace {

bool isTokenChar(char c)
{
    static constexpr std::string_view extra = "!#$%&'*+-.^_`|~";
    return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
           extra.find(c) != std::string_view::npos;
}

bool isToken(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isTokenChar);
}

// Visible ASCII only: no spaces, no controls, no bytes above 0x7E.
bool isVisible(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c > 0x20 && c < 0x7F; });
}

bool isFieldValue(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u == '\t' || (u >= 0x20 && u != 0x7F);
    });
}

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return out;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// True when the comma-separated list holds `wanted` (lower case).
bool listHas(std::string_view list, std::string_view wanted)
{
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        if (lower(trim(list.substr(0, comma))) == wanted) {
            return true;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        list.remove_prefix(comma + 1);
    }
    return false;
}

bool requestLine(std::string_view line, Head& head)
{
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string_view::npos || first == last) {
        return false;
    }
    const std::string_view method = line.substr(0, first);
    const std::string_view target = line.substr(first + 1, last - first - 1);
    const std::string_view version = line.substr(last + 1);
    if (!isToken(method) || version.size() != 8 || version.substr(0, 7) != "HTTP/1." ||
        (version[7] != '0' && version[7] != '1')) {
        return false;
    }
    if (target.empty() || target.front() != '/' || !isVisible(target)) {
        return false;
    }
    head.method = method;
    head.path = target.substr(0, target.find('?'));
    return true;
}

bool headerLine(std::string_view line, Head& head, bool& connectionUpgrade)
{
    const std::size_t colon = line.find(':');
    // No folded lines, no space before the colon.
    if (colon == std::string_view::npos || !isToken(line.substr(0, colon))) {
        return false;
    }
    const std::string name = lower(line.substr(0, colon));
    const std::string_view value = trim(line.substr(colon + 1));
    if (!isFieldValue(value)) {
        return false;
    }
    if (name == "upgrade") {
        head.upgradeToWebSocket = listHas(value, "websocket");
    } else if (name == "connection") {
        connectionUpgrade = listHas(value, "upgrade");
    } else if (name == "sec-websocket-key") {
        head.hasWebSocketKey = !value.empty();
    } else if (name == "sec-websocket-version") {
        head.webSocketVersion = value;
    } else if (name == "content-length") {
        if (value.empty() ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return false;
        }
        head.hasBody = head.hasBody || value.find_first_not_of('0') != std::string_view::npos;
    } else if (name == "transfer-encoding") {
        head.hasBody = true;
    }
    return true;
}

} // namespace

Result parse(std::string_view bytes)
{
    Result result;
    const std::size_t end = bytes.find("\r\n\r\n");
    if (end == std::string_view::npos || end + 4 > kMaxHeadBytes) {
        result.status = (end == std::string_view::npos && bytes.size() < kMaxHeadBytes)
                            ? Status::Incomplete
                            : Status::TooLarge;
        return result;
    }
    result.headBytes = end + 4;
    result.status = Status::Bad;
    std::string_view rest = bytes.substr(0, end + 2);
    bool connectionUpgrade = false;
    bool first = true;
    while (!rest.empty()) {
        const std::size_t eol = rest.find("\r\n");
        const std::string_view line = rest.substr(0, eol);
        rest.remove_prefix(eol + 2);
        // A bare CR or LF inside a line is how requests get smuggled past
        // stricter readers: refuse it.
        if (line.find_first_of("\r\n") != std::string_view::npos) {
            return result;
        }
        if (first ? !requestLine(line, result.head)
                  : !headerLine(line, result.head, connectionUpgrade)) {
            return result;
        }
        first = false;
    }
    result.head.upgradeToWebSocket = result.head.upgradeToWebSocket && connectionUpgrade;
    result.status = Status::Complete;
    return result;
}

} // namespace HttpRequest
