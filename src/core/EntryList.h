// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The entry list of a club event: who may start, under which start number,
// in which class. Read from and written to the CSV files spreadsheets make.
// Texts are UTF-8.
namespace EntryList {

constexpr int kMaxNumber = 99999;
// Larger files are refused before they are read.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxEntrants = 2000;

struct Entrant
{
    int number = 0;    // start number, 1..kMaxNumber
    std::string name;  // "Name"
    std::string klass; // "Klasse"; empty for none
    std::string info;  // "Info": car, club, anything

    friend bool operator==(const Entrant&, const Entrant&) = default;
};

// The value of a competitor text as typed in the start-number field when,
// trimmed, it is all digits and within 1..kMaxNumber ("012" -> 12).
std::optional<int> startNumber(std::string_view text);

// Entrants in their order, found by number.
class List
{
public:
    List() = default;
    // Numbers outside 1..kMaxNumber are never found; of equal numbers the
    // first is found. `parse` gives neither.
    explicit List(std::vector<Entrant> entrants);

    const std::vector<Entrant>& entrants() const { return m_entrants; }
    bool empty() const { return m_entrants.empty(); }
    const Entrant* byNumber(int number) const;
    // The entrant a competitor text stands for (see `startNumber`); nothing
    // for a name or an unknown number, which are shown as typed.
    const Entrant* find(std::string_view competitor) const;

private:
    std::vector<Entrant> m_entrants;
    std::unordered_map<int, std::size_t> m_byNumber;
};

// Something wrong in a file, by its line (1-based, the line a row begins on;
// 0 for the file as a whole), in German for the operator.
struct Problem
{
    int line = 0;
    std::string message;

    friend bool operator==(const Problem&, const Problem&) = default;
};

struct Import
{
    List list;
    std::vector<Problem> problems;
    bool refused = false; // the whole file; `list` is then empty
};

// A file as spreadsheets save it: UTF-8 with or without BOM, or
// Windows-1252 (told apart by the bytes: invalid UTF-8 and no multi-byte
// UTF-8 anywhere); separator ";", "," or tab, whichever occurs most in the
// first non-empty row outside quotes; quoted fields with doubled quotes and
// separators and line breaks inside; CR LF or LF. The first row is a header
// when its first field is not a number and it names known columns (Nr, Nr.,
// Startnummer, Start-Nr. / Name, Fahrer / Klasse / Info, Fahrzeug, Verein,
// Club; any case); otherwise the columns are Nr, Name, Klasse, Info. Blanks
// around unquoted fields are dropped, and a leading apostrophe before "=",
// "+", "-" or "@", which keeps a spreadsheet from running the field.
//
// Rows without a number, with a number outside 1..kMaxNumber, or with a
// number another row has too are listed and not taken (neither of two equal
// numbers is, as nothing tells which is meant); empty rows are passed over.
// The whole file is refused when it is larger than kMaxFileBytes, holds more
// than kMaxEntrants entrants, holds control characters other than tab, CR and
// LF (not a text), mixes UTF-8 and other lines, or has a header without a
// number column.
Import parse(std::string_view bytes);

// UTF-8 with BOM, ";", CR LF, header "Nr.;Name;Klasse;Info"; fields quoted
// where needed and protected with an apostrophe where a spreadsheet would
// take them for a formula. parse(write(entrants)) gives them back.
std::string write(const std::vector<Entrant>& entrants);

} // namespace EntryList
