#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The texts of the protocol lines. A line type the lap display type does not
// know yields no line at all, which the caller then skips.
namespace ProtocolLines {

// "H" for a hand command, "A" for a light-barrier trigger.
const char* mark(bool triggeredByBarrier);

std::string nrLine(const std::string& startNumberText);
std::optional<std::string> startLine(int lapType, bool barrier, const std::string& timeOfDay);
std::optional<std::string> lapLine(int lapType, bool barrier, const std::string& raceTime,
                                   const std::string& timeOfDay, std::int32_t lapCounter);
std::optional<std::string> stopLine(int lapType, bool barrier, const std::string& raceTime,
                                    const std::string& timeOfDay);

} // namespace ProtocolLines
