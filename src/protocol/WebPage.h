#pragma once

#include <QByteArray>
#include <QString>

// The published form of the protocol: one static page, Windows-1252 bytes
// declared as iso-8859-1, the protocol inside a PRE block.
class WebPage
{
public:
    static constexpr const char* kMakerAddress = "www.ortavin.example";
    static constexpr const char* kProductPage = "http://www.ortavin.example/kelvatron/";

    // protocolText is the text area's form ("\n" breaks); the page carries
    // CR LF. "&", "<" and ">" of the protocol are escaped, so a start name
    // cannot put markup into a published page.
    static QByteArray build(const QString& protocolText, const QString& title);
    static QString escape(const QString& text);
};
