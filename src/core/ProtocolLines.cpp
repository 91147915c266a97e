#include "core/ProtocolLines.h"

#include <cstdio>

namespace ProtocolLines {

namespace {

// The widest argument is a start name typed by the operator, so the buffer
// follows the arguments instead of having a fixed size.
template <typename... Args> std::string format(const char* pattern, Args... args)
{
    const int length = std::snprintf(nullptr, 0, pattern, args...);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), pattern, args...);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace

const char* mark(bool triggeredByBarrier)
{
    static const char* const marks[2] = {"H", "A"};
    return marks[triggeredByBarrier ? 1 : 0];
}

std::string nrLine(const std::string& startNumberText)
{
    return "     Nr.: " + startNumberText;
}

std::optional<std::string> startLine(int lapType, bool barrier, const std::string& timeOfDay)
{
    if (lapType == 0) {
        return format("%s  Start: 00:00.00,00  %s", mark(barrier), timeOfDay.c_str());
    }
    if (lapType == 1) {
        return format("%s  Start: %s", mark(barrier), timeOfDay.c_str());
    }
    return std::nullopt;
}

std::optional<std::string> lapLine(int lapType, bool barrier, const std::string& raceTime,
                                   const std::string& timeOfDay, std::int32_t lapCounter)
{
    if (lapType == 0) {
        return format("%s    Lap: %11s  %d.", mark(barrier), raceTime.c_str(), lapCounter);
    }
    if (lapType == 1) {
        return format("%s    Lap: %s  %d.", mark(barrier), timeOfDay.c_str(), lapCounter);
    }
    return std::nullopt;
}

std::optional<std::string> stopLine(int lapType, bool barrier, const std::string& raceTime,
                                    const std::string& timeOfDay)
{
    if (lapType == 0) {
        return format("%s  Stopp: %11s  %s", mark(barrier), raceTime.c_str(), timeOfDay.c_str());
    }
    if (lapType == 1) {
        return format("%s  Stopp: %s", mark(barrier), timeOfDay.c_str());
    }
    return std::nullopt;
}

} // namespace ProtocolLines
