// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/EntryList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using EntryList::Entrant;
using EntryList::Problem;

namespace {

std::vector<Entrant> entrantsOf(std::string_view bytes)
{
    const EntryList::Import import = EntryList::parse(bytes);
    EXPECT_FALSE(import.refused);
    EXPECT_EQ(import.problems, std::vector<Problem>{});
    return import.list.entrants();
}

std::vector<int> problemLines(const EntryList::Import& import)
{
    std::vector<int> lines;
    for (const Problem& problem : import.problems) {
        lines.push_back(problem.line);
    }
    return lines;
}

} // namespace

TEST(CoreEntryList, SpreadsheetDialectsReadAlike)
{
    const std::vector<Entrant> expected = {
        {7, "Müller, Hans", "A", "Golf \"GTI\"\nrot"},
        {12, "=Trick", "", "+49"},
    };
    // Our own export: BOM, ";", CR LF, a quoted line break, apostrophes.
    EXPECT_EQ(entrantsOf("\xEF\xBB\xBFNr.;Name;Klasse;Info\r\n"
                         "7;Müller, Hans;A;\"Golf \"\"GTI\"\"\r\nrot\"\r\n"
                         "\r\n"
                         "012;'=Trick;;'+49\r\n"),
              (std::vector<Entrant>{{7, "Müller, Hans", "A", "Golf \"GTI\"\r\nrot"},
                                    {12, "=Trick", "", "+49"}}));
    // Windows-1252, tabs, no header, blanks around fields, LF.
    EXPECT_EQ(entrantsOf(" 7 \tM\xFCller, Hans\tA\t\"Golf \"\"GTI\"\"\nrot\"\n"
                         "12\t=Trick\t\t+49"),
              expected);
    // Commas, columns named otherwise and in another order, and one unknown.
    EXPECT_EQ(entrantsOf("Fahrzeug,Bemerkung,START-NR.,Fahrer,klasse\n"
                         "\"Golf \"\"GTI\"\"\nrot\",x,7,\"Müller, Hans\",A\n"
                         "+49,,12,=Trick\n"),
              expected);
    // The Windows-1252 codes that differ from Latin-1.
    EXPECT_EQ(entrantsOf("1;\x80\x84\x93\x9Cz\xE4\n")[0].name, "€„“œzä");

    EXPECT_EQ(EntryList::startNumber(" 012 "), 12);
    EXPECT_EQ(EntryList::startNumber("0000099999"), 99999);
    EXPECT_FALSE(EntryList::startNumber("100000"));
    EXPECT_FALSE(EntryList::startNumber("0"));
    EXPECT_FALSE(EntryList::startNumber("1 2"));
    EXPECT_FALSE(EntryList::startNumber("+1"));
    const EntryList::List list(expected);
    EXPECT_EQ(list.find("0012")->name, "=Trick");
    EXPECT_EQ(list.find("Müller, Hans"), nullptr);
}

TEST(CoreEntryList, BadRowsAreListedByLineAndNotTaken)
{
    const EntryList::Import import = EntryList::parse("Nr;Name\n"
                                                      "1;\"Zwei\nZeilen\"\n"
                                                      ";Ohne Nummer\n"
                                                      "abc;Text\n"
                                                      "0;Null\n"
                                                      "100000;Zu groß\n"
                                                      "5;Erster\n"
                                                      "6;Gut;Extra\n"
                                                      ";;\n"
                                                      "005;Zweiter\n"
                                                      "7;\"offen\n");
    EXPECT_FALSE(import.refused);
    EXPECT_EQ(import.list.entrants(),
              (std::vector<Entrant>{{1, "Zwei\nZeilen", "", ""}, {6, "Gut", "", ""}}));
    EXPECT_EQ(problemLines(import), (std::vector<int>{4, 5, 6, 7, 8, 11, 12}));
    // Neither of two equal numbers is taken; each names both lines.
    EXPECT_NE(import.problems[4].message.find("8 und 11"), std::string::npos);
    EXPECT_NE(import.problems[5].message.find("8 und 11"), std::string::npos);

    // A header that names columns but not the number guesses nothing.
    EXPECT_TRUE(EntryList::parse("Name;Klasse\nA;B\n").refused);
    // A first row that names nothing known is a row without a number.
    EXPECT_EQ(problemLines(EntryList::parse("Teilnehmer;Wagen\n1;A\n")), std::vector<int>{1});
}

TEST(CoreEntryList, FilesThatAreNoEntryListAreRefusedWhole)
{
    const auto refusedAt = [](const std::string& bytes) {
        const EntryList::Import import = EntryList::parse(bytes);
        EXPECT_TRUE(import.refused);
        EXPECT_TRUE(import.list.empty());
        return problemLines(import);
    };
    EXPECT_EQ(refusedAt(std::string("1;A\n2;B\0C\n", 11)), std::vector<int>{2});
    EXPECT_EQ(refusedAt("1;A\n2;\x1B[0m\n"), std::vector<int>{2});

    std::string rows;
    for (int i = 1; i <= 2001; ++i) {
        rows += std::to_string(i) + ";N\r\n";
    }
    refusedAt(rows);
    rows.resize(rows.rfind("2001;"));
    EXPECT_EQ(EntryList::parse(rows).list.entrants().size(), 2000u);

    std::string large = "1;" + std::string(EntryList::kMaxFileBytes - 3, 'x') + "\n";
    EXPECT_EQ(EntryList::parse(large).list.entrants().size(), 1u);
    refusedAt(large + "\n");

    // UTF-8 and Windows-1252 lines side by side: the foreign ones are named.
    EXPECT_EQ(refusedAt("1;Müller\n2;M\xFCller\n3;Meier\n4;Gro\xDF\n"),
              (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(refusedAt("\xEF\xBB\xBF"
                        "1;A\n2;\xC3\n"),
              (std::vector<int>{0, 2}));
    // Overlong and surrogate forms are no UTF-8 either.
    EXPECT_EQ(refusedAt("1;ä\n2;\xC0\xAF\n3;\xED\xA0\x80\n"), (std::vector<int>{0, 2, 3}));
}

TEST(CoreEntryList, WrittenListReadsBack)
{
    const std::vector<Entrant> entrants = {
        {1, "=HYPERLINK(\"x\")", "-A", "@b"},
        {2, "'=schon geschützt", "'nur Apostroph", "''+zwei"},
        {3, "a;b", "\"", " vorn und hinten "},
        {4, "Zeile\nUmbruch", "Tab\tinnen", ""},
        {99999, "", "", "Ende\r\n"},
    };
    const std::string bytes = EntryList::write(entrants);
    EXPECT_EQ(bytes.substr(0, 27), "\xEF\xBB\xBFNr.;Name;Klasse;Info\r\n1;");
    EXPECT_NE(bytes.find("\n1;\"'=HYPERLINK(\"\"x\"\")\";'-A;'@b\r\n"), std::string::npos);
    EXPECT_EQ(entrantsOf(bytes), entrants);
    EXPECT_EQ(entrantsOf(EntryList::write({})), std::vector<Entrant>{});
}
