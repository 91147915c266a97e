#include "protocol/ResultsFiles.h"

#include "core/Scoring.h"

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
    EXPECT_EQ(ResultsFiles::csv(std::vector<Entry>{}, 2), header);

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

// Without scoring, the files made from the event's table are byte for byte
// those of the classic ranking: ties, an unfinished run, a formula as name.
TEST(ProtocolResultsFiles, ClassicSheetGivesTheFilesOfTheRanking)
{
    Results::Protocol protocol;
    protocol.runs = {{"7", "9:00.00,00", {}, 62500},
                     {"=1+1", "9:01.00,00", {}, 62500},
                     {"7", "9:02.00,00", {}, 61990},
                     {"Huber; Max", "9:03.00,00", {}, std::nullopt},
                     {"3", "9:04.00,00", {}, 3723049}};
    const std::vector<Entry> entries = Results::rank(protocol);
    const Scoring::Table table = Scoring::score(protocol, {}, {});
    for (const int resolution : {0, 1, 2}) {
        SCOPED_TRACE(resolution);
        ResultsSheet::Options options;
        options.resolution = resolution;
        const ResultsSheet::Sheet sheet = ResultsSheet::make(table, options);
        EXPECT_EQ(ResultsFiles::csv(sheet, resolution), ResultsFiles::csv(entries, resolution));
        EXPECT_EQ(ResultsFiles::webPage(sheet, resolution),
                  ResultsFiles::webPage(entries, resolution));
    }
}

// With scoring: the class in its CSV column but a heading on the page, the names
// typed in the entry list guarded like Nr./Name, the seconds of a sum.
TEST(ProtocolResultsFiles, ScoringPutsTheClassInACsvColumnAndAsHeadingsOnThePage)
{
    Results::Protocol protocol;
    protocol.runs = {{"12", "9:00.00,00", {}, 61000},
                     {"7", "9:01.00,00", {}, 70000},
                     {"012", "9:02.00,00", {}, 62500},
                     {"12", "9:03.00,00", {}, 59000}};
    const EntryList::List list({{12, "=Anna", "A", ""}, {7, "-Otto; Kranz", "@B", ""}});
    Scoring::Rules rules;
    rules.mode = Scoring::Mode::Sum;
    const ResultsSheet::Sheet sheet =
        ResultsSheet::make(Scoring::score(protocol, list, rules), {2, true, rules.mode, {}});
    EXPECT_EQ(ResultsFiles::csv(sheet, 2).toStdString(),
              "\xEF\xBB\xBF"
              "Platz;Nr./Name;Name;Klasse;L\xC3\xA4ufe;Summe;Strafe;R\xC3\xBC"
              "ckstand;Letzte Zeit;Summe (s)\r\n"
              "1;12;'=Anna;A;3;2.03,50;;+0,00;59,00;123,50\r\n"
              "1;7;\"'-Otto; Kranz\";'@B;1;1.10,00;;+0,00;1.10,00;70,00\r\n");
    const QByteArray page = ResultsFiles::webPage(sheet, 2);
    const auto heading = [&page](const char* klass) {
        return page.indexOf(QByteArray("<TR><TH colspan=9 style=\"text-align: left\">") + klass +
                            "</TH></TR>");
    };
    EXPECT_GT(heading("A"), 0);
    EXPECT_LT(heading("A"), page.indexOf("<TD>12</TD>"));
    EXPECT_LT(heading("@B"), page.indexOf("<TD>7</TD>"));
    EXPECT_GT(heading("@B"), page.indexOf("<TD>12</TD>"));
}
