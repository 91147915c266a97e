// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The head of an HTTP/1.x request, read strictly: the live results answer a
// handful of fixed paths, so anything a browser would not send is refused
// rather than interpreted. Plain C++, so it can be fuzzed without a socket.
namespace HttpRequest {

// Larger heads are refused whole; no browser sends one to this server.
inline constexpr std::size_t kMaxHeadBytes = std::size_t{8} * 1024;

enum class Status
{
    Incomplete, // no blank line yet, and still within the limit
    TooLarge,   // the head does not end within kMaxHeadBytes
    Bad,        // malformed: answered with 400
    Complete,
};

struct Head
{
    std::string method;
    // The path without its query, exactly as sent (no percent-decoding: the
    // fixed paths contain nothing to decode, so an encoded one never matches).
    std::string path;
    bool upgradeToWebSocket = false; // "Upgrade: websocket" with "Connection: upgrade"
    bool hasWebSocketKey = false;
    std::string webSocketVersion;
    bool hasBody = false; // Content-Length other than 0, or Transfer-Encoding
};

struct Result
{
    Status status = Status::Incomplete;
    Head head;
    std::size_t headBytes = 0; // up to and including the blank line, when complete
};

// Reads the head at the start of `bytes` (what has arrived so far).
Result parse(std::string_view bytes);

} // namespace HttpRequest
