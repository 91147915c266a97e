// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/EntryList.h"

#include "core/Text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace EntryList {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The length of the UTF-8 sequence at `at`, 0 if there is none: no overlong
// forms, no surrogates, nothing beyond U+10FFFF.
std::size_t utf8Length(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) {
        return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
    };
    const unsigned lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void appendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; its five unused
// codes there become U+FFFD, so that they show instead of vanishing.
std::string fromWindows1252(std::string_view bytes)
{
    static constexpr std::array<std::uint16_t, 32> kHigh = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        appendUtf8(out, code >= 0x80 && code < 0xA0 ? kHigh[code - 0x80] : code);
    }
    return out;
}

std::string lineList(const std::vector<int>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text += i + 1 == lines.size() ? " und " : ", ";
        }
        text += std::to_string(lines[i]);
    }
    return text;
}

Import refused(std::vector<Problem> problems)
{
    return Import{List{}, std::move(problems), true};
}

// Control characters other than tab, CR and LF: the first one's line.
std::optional<int> controlCharacterLine(std::string_view bytes)
{
    int line = 1;
    for (const char c : bytes) {
        if (c == '\n') {
            ++line;
        } else if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r') || c == 0x7F) {
            return line;
        }
    }
    return std::nullopt;
}

// UTF-8 as it is, Windows-1252 made UTF-8, or the problems that refuse the
// file: lines that are not UTF-8 beside lines with multi-byte UTF-8 (the BOM
// is one) are two encodings, and a conversion would spoil one of them.
std::optional<std::string> decode(std::string_view bytes, std::vector<Problem>& problems)
{
    std::vector<int> invalidLines;
    bool multiByte = false;
    int line = 1;
    bool lineInvalid = false;
    for (std::size_t at = 0; at < bytes.size();) {
        if (bytes[at] == '\n') {
            ++line;
            lineInvalid = false;
        }
        const std::size_t length = utf8Length(bytes, at);
        if (length == 0) {
            if (!lineInvalid) {
                invalidLines.push_back(line);
            }
            lineInvalid = true;
            ++at;
        } else {
            multiByte = multiByte || length > 1;
            at += length;
        }
    }
    if (invalidLines.empty()) {
        return std::string(bytes.substr(bytes.substr(0, kBom.size()) == kBom ? kBom.size() : 0));
    }
    if (!multiByte) {
        return fromWindows1252(bytes);
    }
    problems.push_back({0, "Die Datei mischt UTF-8 mit einer anderen Zeichenkodierung; sie "
                           "wird nicht gelesen."});
    for (const int invalid : invalidLines) {
        problems.push_back({invalid, "Diese Zeile ist kein UTF-8 wie der Rest der Datei."});
    }
    return std::nullopt;
}

struct Field
{
    std::string text;
    bool quoted = false;
};

struct Record
{
    int line = 0; // the line it begins on
    std::vector<Field> fields;
    bool unclosedQuote = false;

    bool empty() const
    {
        return std::all_of(fields.begin(), fields.end(),
                           [](const Field& field) { return field.text.empty(); });
    }
};

// The separator that occurs most in the first row holding anything but
// blanks, outside quotes; ";" when there is none (a single column).
char detectSeparator(std::string_view text)
{
    std::array<int, 3> counts = {};
    constexpr std::array<char, 3> kCandidates = {';', '\t', ','};
    bool inQuotes = false;
    bool content = false;
    for (const char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == '\n' && !inQuotes) {
            if (content) {
                break;
            }
            counts = {};
        }
        content = content || (c != ' ' && c != '\r' && c != '\n');
        for (std::size_t i = 0; i < kCandidates.size(); ++i) {
            counts[i] += !inQuotes && c == kCandidates[i] ? 1 : 0;
        }
    }
    const auto* const most = std::max_element(counts.begin(), counts.end());
    return *most > 0 ? kCandidates[static_cast<std::size_t>(most - counts.begin())] : ';';
}

bool nextIsLineEnd(std::string_view text, std::size_t at)
{
    return at + 1 == text.size() || text[at + 1] == '\n';
}

// A field that starts with a quote runs to the quote that closes it; what
// follows that quote up to the separator is kept as it stands.
std::vector<Record> splitRecords(std::string_view text, char separator)
{
    std::vector<Record> records;
    Record record{1, {}, false};
    Field field;
    int line = 1;
    bool inQuotes = false;
    bool fieldStarted = false;
    const auto endField = [&] {
        if (!field.quoted) {
            field.text = Text::trimmed(field.text);
        }
        record.fields.push_back(std::move(field));
        field = Field{};
        fieldStarted = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
        }
        if (inQuotes) {
            if (c != '"') {
                field.text += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field.text += '"';
                ++i;
            } else {
                inQuotes = false;
            }
        } else if (c == '"' && !fieldStarted) {
            field.text.clear(); // blanks before the quote
            inQuotes = true;
            field.quoted = true;
            fieldStarted = true;
        } else if (c == separator) {
            endField();
        } else if (c == '\n') {
            endField();
            records.push_back(std::move(record));
            record = Record{line, {}, false};
        } else {
            // Blanks after a closing quote, as some programs pad, and the CR
            // of a CR LF are no part of the field.
            const bool padding = field.quoted && Text::isBlank(c);
            const bool lineEnd = c == '\r' && nextIsLineEnd(text, i);
            if (!padding && !lineEnd) {
                field.text += c;
                fieldStarted = fieldStarted || !Text::isBlank(c);
            }
        }
    }
    if (fieldStarted || !record.fields.empty() || inQuotes) {
        record.unclosedQuote = inQuotes;
        endField();
        records.push_back(std::move(record));
    }
    return records;
}

// Our own export writes "'=..." so that a spreadsheet shows the text rather
// than running it; an apostrophe written before such apostrophes keeps them.
bool formulaGuarded(std::string_view text)
{
    const std::size_t first = text.find_first_not_of('\'');
    return first != std::string_view::npos && text.substr(0, 1) == "'" &&
           std::string_view("=+-@").find(text[first]) != std::string_view::npos;
}

bool startsFormula(std::string_view text)
{
    return !text.empty() &&
           (std::string_view("=+-@").find(text.front()) != std::string_view::npos ||
            formulaGuarded(text));
}

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

enum Column : std::size_t
{
    kNumber,
    kName,
    kClass,
    kInfo,
    kColumns
};

std::optional<Column> headerColumn(std::string_view title)
{
    static const std::array<std::pair<std::string_view, Column>, 11> kTitles = {{
        {"nr", kNumber},
        {"nr.", kNumber},
        {"startnummer", kNumber},
        {"start-nr.", kNumber},
        {"name", kName},
        {"fahrer", kName},
        {"klasse", kClass},
        {"info", kInfo},
        {"fahrzeug", kInfo},
        {"verein", kInfo},
        {"club", kInfo},
    }};
    const std::string key = lower(title);
    for (const auto& [text, column] : kTitles) {
        if (text == key) {
            return column;
        }
    }
    return std::nullopt;
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), Text::isDigit);
}

struct Row
{
    int line = 0;
    Entrant entrant;
    std::string problem; // not taken when set
};

} // namespace

std::optional<int> startNumber(std::string_view text)
{
    text = Text::trimmed(text);
    if (!allDigits(text)) {
        return std::nullopt;
    }
    text.remove_prefix(std::min(text.find_first_not_of('0'), text.size()));
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

List::List(std::vector<Entrant> entrants) : m_entrants(std::move(entrants))
{
    m_byNumber.reserve(m_entrants.size());
    for (std::size_t i = 0; i < m_entrants.size(); ++i) {
        m_byNumber.try_emplace(m_entrants[i].number, i);
    }
}

const Entrant* List::byNumber(int number) const
{
    const auto found = m_byNumber.find(number);
    return found == m_byNumber.end() ? nullptr : &m_entrants[found->second];
}

const Entrant* List::find(std::string_view competitor) const
{
    const std::optional<int> number = startNumber(competitor);
    return number ? byNumber(*number) : nullptr;
}

Import parse(std::string_view bytes)
{
    if (bytes.size() > kMaxFileBytes) {
        return refused({{0, "Die Datei ist größer als 1 MiB; eine Teilnehmerliste ist kleiner."}});
    }
    if (const std::optional<int> line = controlCharacterLine(bytes)) {
        return refused({{*line, "Steuerzeichen: die Datei ist keine Textdatei."}});
    }
    std::vector<Problem> problems;
    const std::optional<std::string> text = decode(bytes, problems);
    if (!text) {
        return refused(std::move(problems));
    }

    std::vector<Record> records = splitRecords(*text, detectSeparator(*text));
    std::erase_if(records, [](const Record& record) { return record.empty(); });
    for (Record& record : records) {
        for (Field& field : record.fields) {
            if (formulaGuarded(field.text)) {
                field.text.erase(0, 1);
            }
        }
    }

    std::array<std::size_t, kColumns> columns = {kNumber, kName, kClass, kInfo};
    auto first = records.begin();
    if (first != records.end() && !allDigits(first->fields.front().text)) {
        std::array<std::optional<std::size_t>, kColumns> named;
        for (std::size_t i = 0; i < first->fields.size(); ++i) {
            const std::optional<Column> column = headerColumn(first->fields[i].text);
            if (column && !named[*column]) {
                named[*column] = i;
            }
        }
        if (std::any_of(named.begin(), named.end(),
                        [](const auto& at) { return at.has_value(); })) {
            if (!named[kNumber]) {
                return refused({{first->line, "Die Kopfzeile nennt keine Spalte „Nr.“."}});
            }
            for (std::size_t c = 0; c < kColumns; ++c) {
                // A column the header leaves out reads as empty.
                columns[c] = named[c].value_or(std::numeric_limits<std::size_t>::max());
            }
            ++first;
        }
    }

    std::vector<Row> rows;
    std::unordered_map<int, std::vector<int>> linesOfNumber;
    for (auto record = first; record != records.end(); ++record) {
        const auto field = [&](Column column) {
            const std::size_t at = columns[column];
            return at < record->fields.size() ? record->fields[at].text : std::string();
        };
        Row row{record->line, {0, field(kName), field(kClass), field(kInfo)}, {}};
        const std::string numberText = field(kNumber);
        const std::optional<int> number = startNumber(numberText);
        if (record->unclosedQuote) {
            row.problem = "Ein Anführungszeichen wird bis zum Ende der Datei nicht geschlossen.";
        } else if (numberText.empty()) {
            row.problem = "Die Zeile hat keine Startnummer.";
        } else if (!number) {
            row.problem = "„" + numberText + "“ ist keine Startnummer von 1 bis 99999.";
        } else {
            row.entrant.number = *number;
            linesOfNumber[*number].push_back(row.line);
        }
        rows.push_back(std::move(row));
    }

    std::vector<Entrant> entrants;
    for (Row& row : rows) {
        if (row.problem.empty()) {
            const std::vector<int>& lines = linesOfNumber[row.entrant.number];
            if (lines.size() == 1) {
                entrants.push_back(std::move(row.entrant));
                continue;
            }
            row.problem = "Die Startnummer " + std::to_string(row.entrant.number) +
                          " steht mehrfach in der Liste (Zeilen " + lineList(lines) + ").";
        }
        problems.push_back({row.line, std::move(row.problem)});
    }
    if (entrants.size() > kMaxEntrants) {
        return refused({{0, "Die Liste hat mehr als 2000 Teilnehmer."}});
    }
    return Import{List(std::move(entrants)), std::move(problems), false};
}

std::string write(const std::vector<Entrant>& entrants)
{
    const auto field = [](std::string_view text) {
        std::string out = startsFormula(text) ? "'" : "";
        out += text;
        const bool quoted =
            out.find_first_of(";\"\r\n") != std::string::npos ||
            (!out.empty() && (Text::isBlank(out.front()) || Text::isBlank(out.back())));
        if (!quoted) {
            return out;
        }
        std::string inner = "\"";
        for (const char c : out) {
            inner += c;
            if (c == '"') {
                inner += '"';
            }
        }
        return inner + '"';
    };
    std::string text(kBom);
    text += "Nr.;Name;Klasse;Info\r\n";
    for (const Entrant& entrant : entrants) {
        text += std::to_string(entrant.number) + ';' + field(entrant.name) + ';' +
                field(entrant.klass) + ';' + field(entrant.info) + "\r\n";
    }
    return text;
}

} // namespace EntryList
