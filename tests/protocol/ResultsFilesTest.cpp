#include "protocol/ResultsFiles.h"

#include <gtest/gtest.h>

using Results::Entry;

namespace {

Entry ranked(int place, const char* name, int runs, std::int32_t best, std::int32_t gap,
             std::int32_t last)
{
    return Entry{place, name, runs, best, gap, last};
}

Entry unranked(const char* name)
{
    return Entry{0, name, 0, std::nullopt, std::nullopt, std::nullopt};
}

} // namespace

TEST(ProtocolResultsFiles, CsvQuotesWhatASpreadsheetWouldSplitAndCutsSecondsLikeTheList)
{
    const std::vector<Entry> entries = {
        ranked(1, "Anna", 2, 62500, 0, 63000),
        ranked(1,
               "Team \"Blau\"; S\xC3\xBC"
               "d",
               1, 62500, 0, 62500),
        ranked(3, "7", 1, 3723049, 3660549, 3723049),
        unranked("Zeile\nzwei"),
        unranked("Wagen\r7"),
    };
    const QByteArray header = "\xEF\xBB\xBF"
                              "Platz;Nr./Name;L\xC3\xA4ufe;Bestzeit;R\xC3\xBC"
                              "ckstand;Letzte Zeit;Bestzeit (s)\r\n";
    EXPECT_EQ(ResultsFiles::csv(entries, 2),
              header + "1;Anna;2;1.02,50;+0,00;1.03,00;62,50\r\n"
                       "1;\"Team \"\"Blau\"\"; S\xC3\xBC"
                       "d\";1;1.02,50;+0,00;1.02,50;62,50\r\n"
                       "3;7;1;1:02.03,04;+1:01.00,54;1:02.03,04;3723,04\r\n"
                       ";\"Zeile\nzwei\";0;;;;\r\n"
                       ";\"Wagen\r7\";0;;;;\r\n");
    const std::vector<Entry> first = {entries.front()};
    EXPECT_EQ(ResultsFiles::csv(first, 1), header + "1;Anna;2;1.02,5;+0,0;1.03,0;62,5\r\n");
    EXPECT_EQ(ResultsFiles::csv(first, 0), header + "1;Anna;2;1.02;+0;1.03;62\r\n");
    EXPECT_EQ(ResultsFiles::csv({}, 2), header);

    // A name a spreadsheet would run as a formula shows as text; the gap's
    // "+" and a sign inside a name stay as they are.
    const std::vector<Entry> formulas = {
        ranked(1, "=HYPERLINK(\"http://x\";\"7\")", 1, 1000, 0, 1000),
        unranked("+49 7"),
        unranked("-5"),
        unranked("@SUMME(A1)"),
        unranked("A=B-C"),
    };
    EXPECT_EQ(ResultsFiles::csv(formulas, 2),
              header + "1;\"'=HYPERLINK(\"\"http://x\"\";\"\"7\"\")\";1;1,00;+0,00;1,00;1,00\r\n"
                       ";'+49 7;0;;;;\r\n"
                       ";'-5;0;;;;\r\n"
                       ";'@SUMME(A1);0;;;;\r\n"
                       ";A=B-C;0;;;;\r\n");
}

TEST(ProtocolResultsFiles, WebPageIsWindows1252WithTheNamesEscaped)
{
    const std::vector<Entry> entries = {
        ranked(1, "<b>Fritz & Co</b>", 3, 65430, 0, 70000),
        unranked("S\xC3\xBC"
                 "d"),
    };
    const QByteArray expected =
        "<HTML>\r\n"
        "<HEAD>\r\n"
        "<!--www.ortavin.example software -->\r\n"
        "<TITLE>Ergebnisliste Kelvatron</TITLE>\r\n"
        "<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">\r\n"
        "</HEAD>\r\n"
        "<STYLE type=text/css>\r\n"
        " body {font-family: Arial}\r\n"
        " th, td {padding: 2px 12px; text-align: right}\r\n"
        " th:nth-child(2), td:nth-child(2) {text-align: left}\r\n"
        "</STYLE>\r\n"
        "<BODY bgcolor=#FFFFFF text=#000000>\r\n"
        "<H2>&nbsp;Kelvatron</H2>\r\n"
        "<H4>Ergebnisliste</H4>\r\n"
        "<TABLE border=1 cellspacing=0>\r\n"
        "<TR><TH>Platz</TH><TH>Nr./Name</TH><TH>L\xE4ufe</TH><TH>Bestzeit</TH>"
        "<TH>R\xFC"
        "ckstand</TH><TH>Letzte Zeit</TH></TR>\r\n"
        "<TR><TD>1</TD><TD>&lt;b&gt;Fritz &amp; Co&lt;/b&gt;</TD><TD>3</TD><TD>1.05,4</TD>"
        "<TD>+0,0</TD><TD>1.10,0</TD></TR>\r\n"
        "<TR><TD></TD><TD>S\xFC"
        "d</TD><TD>0</TD><TD></TD><TD></TD><TD></TD></TR>\r\n"
        "</TABLE>\r\n"
        "<P align=right><a href=\"http://www.ortavin.example/kelvatron/\">Kelvatron</a></P>"
        "</BODY></HTML>\r\n";
    EXPECT_EQ(ResultsFiles::webPage(entries, 1), expected);
}
