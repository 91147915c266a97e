// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever arrives, the reader answers one of its four verdicts, never reads
// past the head and never lets a head through that the server could
// misunderstand.

#include "live/HttpRequest.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using HttpRequest::Status;

const std::string kUpgrade =
    "GET /live?x=1 HTTP/1.1\r\nHost: 10.0.0.2:8080\r\nUpgrade: WebSocket\r\n"
    "Connection: keep-alive, Upgrade\r\nSec-WebSocket-Key: abc==\r\n"
    "Sec-WebSocket-Version: 13\r\n\r\n";

TEST(HttpRequestTest, ReadsABrowsersUpgradeAndStopsAtTheBlankLine)
{
    const auto result = HttpRequest::parse(kUpgrade + "\x81\x05hello");
    ASSERT_EQ(result.status, Status::Complete);
    EXPECT_EQ(result.headBytes, kUpgrade.size());
    EXPECT_EQ(result.head.method, "GET");
    EXPECT_EQ(result.head.path, "/live");
    EXPECT_TRUE(result.head.upgradeToWebSocket);
    EXPECT_TRUE(result.head.hasWebSocketKey);
    EXPECT_EQ(result.head.webSocketVersion, "13");
    EXPECT_FALSE(result.head.hasBody);

    // Both headers are needed: an upgrade the connection does not ask for is none.
    const auto plain = HttpRequest::parse("GET /live HTTP/1.1\r\nUpgrade: websocket\r\n\r\n");
    ASSERT_EQ(plain.status, Status::Complete);
    EXPECT_FALSE(plain.head.upgradeToWebSocket);
}

TEST(HttpRequestTest, RefusesWhatAStricterOrLaxerReaderWouldReadOtherwise)
{
    const char* const bad[] = {
        "GET / HTTP/1.1\nHost: a\n\r\n\r\n",            // bare LF line ends
        "GET / HTTP/1.1\r\nHost: a\rb\r\n\r\n",         // bare CR in a value
        "GET / HTTP/1.1\r\nHost : a\r\n\r\n",           // space before the colon
        "GET / HTTP/1.1\r\nHost: a\r\n folded\r\n\r\n", // folded header
        "GET  / HTTP/1.1\r\n\r\n",                      // two spaces
        "GET http://x/ HTTP/1.1\r\n\r\n",               // absolute form
        "GET / HTTP/2.0\r\n\r\n",                       // another version
        "GET /a b HTTP/1.1\r\n\r\n",                    // space in the target
        "GET /\xC3\xA4 HTTP/1.1\r\n\r\n",               // raw non-ASCII target
        "G(T / HTTP/1.1\r\n\r\n",                       // method not a token
        "GET / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", // no number
        "GET / HTTP/1.1\r\nX: a\x01b\r\n\r\n",          // control byte in a value
        "\r\n\r\n",                                     // empty request line
    };
    for (const char* text : bad) {
        EXPECT_EQ(HttpRequest::parse(text).status, Status::Bad) << text;
    }
    const auto body = HttpRequest::parse("GET / HTTP/1.0\r\nContent-Length: 007\r\n\r\n");
    ASSERT_EQ(body.status, Status::Complete);
    EXPECT_TRUE(body.head.hasBody);
    // Encoded bytes stay encoded, so no fixed path can be reached through them.
    EXPECT_EQ(HttpRequest::parse("GET /ergebnisse.json%00 HTTP/1.1\r\n\r\n").head.path,
              "/ergebnisse.json%00");
}

TEST(HttpRequestTest, AHeadIsLimitedWhetherOrNotItEnds)
{
    std::string head = "GET / HTTP/1.1\r\nX: ";
    head.append(HttpRequest::kMaxHeadBytes - head.size() - 4, 'a');
    EXPECT_EQ(HttpRequest::parse(head + "\r\n\r\n").status, Status::Complete);
    EXPECT_EQ(HttpRequest::parse(head + "a\r\n\r\n").status, Status::TooLarge);
    EXPECT_EQ(HttpRequest::parse(head).status, Status::Incomplete);
    EXPECT_EQ(HttpRequest::parse(head + std::string(100, 'a')).status, Status::TooLarge);
}

// Mutations of real heads: bytes flipped, cut, doubled. Whatever the verdict,
// a complete head lies within the limit and names a path from the root.
TEST(HttpRequestTest, SurvivesMutatedHeads)
{
    std::mt19937 random(20261209);
    const std::string seeds[] = {kUpgrade, "GET /ergebnisse.csv HTTP/1.0\r\nHost: a\r\n\r\n"};
    int complete = 0;
    for (int round = 0; round < 200000; ++round) {
        std::string text = seeds[round % 2];
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % text.size();
            switch (random() % 4) {
            case 0:
                text[at] = static_cast<char>(random() % 256);
                break;
            case 1:
                text.erase(at, 1 + random() % 8);
                break;
            case 2:
                text.insert(at, text.substr(at, random() % 16));
                break;
            default:
                text.insert(at, 1, "\r\n :%\0"[random() % 6]);
                break;
            }
            if (text.empty()) {
                text = "G";
            }
        }
        const auto result = HttpRequest::parse(text);
        if (result.status == Status::Complete) {
            ++complete;
            ASSERT_LE(result.headBytes, text.size());
            ASSERT_LE(result.headBytes, HttpRequest::kMaxHeadBytes);
            ASSERT_FALSE(result.head.path.empty());
            ASSERT_EQ(result.head.path.front(), '/');
            ASSERT_EQ(result.head.path.find_first_of(std::string("\0\r\n ", 4)), std::string::npos);
        }
    }
    // The mutations must leave some heads whole, or this tested nothing.
    EXPECT_GT(complete, 1000);
}

} // namespace
