#include "core/Results.h"

#include "core/TimeBase.h"

// Placeholder so that the windows build while the reader is written.
namespace Results {

Protocol read(const std::vector<std::string>&)
{
    return {};
}

std::vector<Entry> rank(const Protocol&)
{
    return {};
}

std::string formatTime(std::int32_t ms, int resolution)
{
    return TimeBase::FormatRaceTime(ms, resolution);
}

std::string formatGap(std::int32_t ms, int resolution)
{
    return "+" + formatTime(ms, resolution);
}

} // namespace Results
