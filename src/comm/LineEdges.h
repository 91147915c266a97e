#pragma once

#include "comm/ComTypes.h"

#include <cstdint>
#include <vector>

// One look at the line: the modem status word (Windows layout) and the
// driver's running counters. Counters only grow; comparing two looks tells how
// many edges happened in between even when they were too quick to see.
struct LineSample
{
    std::uint32_t status = 0;
    std::uint32_t cts = 0;
    std::uint32_t dsr = 0;
    std::uint32_t rng = 0;
    std::uint32_t dcd = 0;
    std::uint32_t rx = 0;
    std::uint32_t brk = 0;
    std::uint32_t errors = 0;
    std::uint32_t inQue = 0;
    std::uint32_t outQue = 0;
};

// Turns two looks at the line into the events between them.
class LineEdges
{
public:
    // More edges than this between two looks are folded into the last one; a
    // contact bouncing that fast carries no timing anyway.
    static constexpr std::uint32_t kMaxEdges = 4096;

    // Events in `mask` between `before` and `after`, oldest first. With
    // `countersValid` every counted edge of a watched modem line becomes its
    // own event, carrying the status word the line had right after it: a pulse
    // on DSR that came and went between two looks gives two events, "on" and
    // then "off". Without counters a changed status bit counts as one edge.
    // Several lines changing together share one event, so a caller dispatches
    // their handlers in its own fixed order.
    static std::vector<ComEdge> split(const LineSample& before, const LineSample& after,
                                      std::uint32_t mask, bool countersValid);

    // The kernel said a watched line moved, yet without counters the status
    // looks unchanged: the line went and came back. When exactly one line
    // that toggles is watched, that is two events, out and back; otherwise
    // nothing can be said.
    static std::vector<ComEdge> hiddenPulse(std::uint32_t status, std::uint32_t mask);
};
