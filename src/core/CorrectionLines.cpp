// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CorrectionLines.h"

#include "core/Text.h"

#include <algorithm>
#include <array>

namespace CorrectionLines {

namespace {

constexpr std::string_view kPrefix = "*  Wertung: ";
constexpr std::string_view kStartTag = "  Start ";
constexpr std::string_view kNrTag = "  Nr.:";
constexpr std::string_view kAssign = "zugeordnet \"";

struct Named
{
    Correction correction;
    std::string_view text;
};

const std::array<Named, 8>& namedOps()
{
    static const std::array<Named, 8> ops = {{
        {Correction::penalty(+1), "Strafe +1"},
        {Correction::penalty(-1), "Strafe -1"},
        {Correction::setStatus(RunStatus::Retired), "Ausfall"},
        {Correction::setStatus(RunStatus::Disqualified), "Disqualifiziert"},
        {Correction::setStatus(RunStatus::NotStarted), "Nicht gestartet"},
        {Correction::setStatus(RunStatus::Rated), "gewertet"},
        {Correction::strike(true), "gestrichen"},
        {Correction::strike(false), "nicht gestrichen"},
    }};
    return ops;
}

bool holdsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The quoted target of "zugeordnet", up to its closing quote; `text` is left
// after it. A quote inside is doubled, so a single one ends the target.
std::optional<std::string> takeQuoted(std::string_view& text)
{
    std::string target;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '"') {
            target += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
            target += '"';
            ++i;
        } else {
            text.remove_prefix(i + 1);
            return target;
        }
    }
    return std::nullopt;
}

} // namespace

const char* statusText(RunStatus status)
{
    switch (status) {
    case RunStatus::Retired:
        return "Ausfall";
    case RunStatus::Disqualified:
        return "Disqualifiziert";
    case RunStatus::NotStarted:
        return "Nicht gestartet";
    case RunStatus::Rated:
        break;
    }
    return "gewertet";
}

std::optional<std::string> line(const Correction& correction, std::string_view startOfDay,
                                std::string_view competitor)
{
    const std::string_view name = Text::trimmed(competitor);
    const bool blankInStart = std::any_of(startOfDay.begin(), startOfDay.end(), Text::isBlank);
    if (startOfDay.empty() || blankInStart || holdsLineBreak(name)) {
        return std::nullopt;
    }
    std::string op;
    if (correction.op == Op::Assign) {
        const std::string_view target = Text::trimmed(correction.target);
        if (target.empty() || holdsLineBreak(target)) {
            return std::nullopt;
        }
        op = kAssign;
        for (const char c : target) {
            op += c;
            if (c == '"') {
                op += '"';
            }
        }
        op += '"';
    } else {
        const auto& ops = namedOps();
        const auto* const found = std::find_if(ops.begin(), ops.end(), [&](const Named& named) {
            return named.correction.op == correction.op &&
                   (correction.op != Op::Status || named.correction.status == correction.status);
        });
        if (found == ops.end()) {
            return std::nullopt;
        }
        op = found->text;
    }
    std::string text(kPrefix);
    text.append(op).append(kStartTag).append(startOfDay).append(kNrTag).append(" ").append(name);
    return text;
}

std::optional<Parsed> parse(std::string_view text)
{
    if (!Text::startsWith(text, kPrefix)) {
        return std::nullopt;
    }
    text.remove_prefix(kPrefix.size());

    Parsed parsed;
    if (Text::startsWith(text, kAssign)) {
        text.remove_prefix(kAssign.size());
        std::optional<std::string> target = takeQuoted(text);
        if (!target || Text::trimmed(*target).empty()) {
            return std::nullopt;
        }
        parsed.correction = Correction::assign(std::string(Text::trimmed(*target)));
    } else {
        // The named ops hold no "  Start ", so the first one ends the op.
        const std::size_t end = text.find(kStartTag);
        const std::string_view op = text.substr(0, end);
        const auto& ops = namedOps();
        const auto* const found = std::find_if(
            ops.begin(), ops.end(), [&](const Named& named) { return named.text == op; });
        if (end == std::string_view::npos || found == ops.end()) {
            return std::nullopt;
        }
        parsed.correction = found->correction;
        text.remove_prefix(end);
    }

    if (!Text::startsWith(text, kStartTag)) {
        return std::nullopt;
    }
    text.remove_prefix(kStartTag.size());
    // A start of day holds no blank, so the competitor is all after the
    // first "  Nr.:", whatever it holds itself.
    const std::size_t blank = text.find(' ');
    parsed.startOfDay = text.substr(0, blank);
    text.remove_prefix(parsed.startOfDay.size());
    if (parsed.startOfDay.empty() || !Text::startsWith(text, kNrTag)) {
        return std::nullopt;
    }
    text.remove_prefix(kNrTag.size());
    if (!text.empty() && text.front() != ' ') {
        return std::nullopt;
    }
    parsed.competitor = Text::trimmed(text);
    return parsed;
}

} // namespace CorrectionLines
