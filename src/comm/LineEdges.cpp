#include "comm/LineEdges.h"

#include <algorithm>
#include <array>

namespace {

struct ModemLine
{
    std::uint32_t event;
    std::uint32_t statusBit;
    std::uint32_t LineSample::*counter;
    // The ring counter of UART drivers counts only the trailing edge, so a
    // count of ring edges says nothing about the status in between.
    bool toggles;
};

constexpr std::array<ModemLine, 4> kModemLines{{
    {ComMask::Cts, ModemBits::Cts, &LineSample::cts, true},
    {ComMask::Dsr, ModemBits::Dsr, &LineSample::dsr, true},
    {ComMask::Rlsd, ModemBits::Rlsd, &LineSample::dcd, true},
    {ComMask::Ring, ModemBits::Ring, &LineSample::rng, false},
}};

std::uint32_t streamEvents(const LineSample& before, const LineSample& after, std::uint32_t mask,
                           bool countersValid)
{
    std::uint32_t events = 0;
    const bool received = (countersValid && after.rx != before.rx) || after.inQue > before.inQue;
    if (received)
        events |= ComMask::RxChar;
    if (before.outQue > 0 && after.outQue == 0)
        events |= ComMask::TxEmpty;
    if (countersValid && after.brk != before.brk)
        events |= ComMask::Break;
    if (countersValid && after.errors != before.errors)
        events |= ComMask::Error;
    return events & mask;
}

} // namespace

std::vector<ComEdge> LineEdges::split(const LineSample& before, const LineSample& after,
                                      std::uint32_t mask, bool countersValid)
{
    std::array<std::uint32_t, kModemLines.size()> edges{};
    std::uint32_t rounds = 0;
    for (std::size_t i = 0; i < kModemLines.size(); ++i) {
        const ModemLine& line = kModemLines[i];
        if ((mask & line.event) == 0)
            continue;
        // Unsigned difference: the driver's int counters may wrap.
        std::uint32_t n = countersValid ? after.*line.counter - before.*line.counter : 0;
        if (n == 0 && ((before.status ^ after.status) & line.statusBit) != 0)
            n = 1;
        edges[i] = std::min(n, kMaxEdges);
        rounds = std::max(rounds, edges[i]);
    }

    const std::uint32_t stream = streamEvents(before, after, mask, countersValid);
    if (rounds == 0 && stream == 0)
        return {};
    rounds = std::max<std::uint32_t>(rounds, 1);

    std::vector<ComEdge> result;
    result.reserve(rounds);
    std::uint32_t status = before.status;
    for (std::uint32_t k = 1; k <= rounds; ++k) {
        ComEdge edge;
        if (k == 1)
            edge.mask |= stream;
        for (std::size_t i = 0; i < kModemLines.size(); ++i) {
            if (edges[i] < k)
                continue;
            edge.mask |= kModemLines[i].event;
            if (kModemLines[i].toggles)
                status ^= kModemLines[i].statusBit;
        }
        // The last event ends where the line really is now, whatever the
        // counters suggested about the steps in between.
        edge.status = k == rounds ? after.status : status;
        result.push_back(edge);
    }
    return result;
}

std::vector<ComEdge> LineEdges::hiddenPulse(std::uint32_t status, std::uint32_t mask)
{
    const ModemLine* watched = nullptr;
    for (const ModemLine& line : kModemLines) {
        if ((mask & line.event) == 0)
            continue;
        if (watched != nullptr || !line.toggles)
            return {};
        watched = &line;
    }
    if (watched == nullptr)
        return {};
    return {{watched->event, status ^ watched->statusBit}, {watched->event, status}};
}
