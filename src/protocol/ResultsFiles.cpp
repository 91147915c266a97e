#include "protocol/ResultsFiles.h"

// Placeholder so that the windows build while the writers are written.
namespace ResultsFiles {

QByteArray csv(const std::vector<Results::Entry>&, int)
{
    return {};
}

QByteArray webPage(const std::vector<Results::Entry>&, int)
{
    return {};
}

} // namespace ResultsFiles
