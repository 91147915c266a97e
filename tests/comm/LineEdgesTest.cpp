#include "comm/LineEdges.h"

#include <gtest/gtest.h>

namespace {

LineSample sample(std::uint32_t status, std::uint32_t dsr = 0, std::uint32_t cts = 0)
{
    LineSample s;
    s.status = status;
    s.dsr = dsr;
    s.cts = cts;
    return s;
}

constexpr std::uint32_t kDsr = ModemBits::Dsr;
constexpr std::uint32_t kCts = ModemBits::Cts;

TEST(CommEdges, APulseBetweenTwoLooksIsTwoEventsWithTheirOwnStatus)
{
    const auto edges = LineEdges::split(sample(0, 4), sample(0, 6), ComMask::Dsr, true);
    EXPECT_EQ(edges, (std::vector<ComEdge>{{ComMask::Dsr, kDsr}, {ComMask::Dsr, 0}}));

    // Three edges end "on": on, off, on.
    const auto odd = LineEdges::split(sample(0, 0), sample(kDsr, 3), ComMask::Dsr, true);
    EXPECT_EQ(
        odd, (std::vector<ComEdge>{{ComMask::Dsr, kDsr}, {ComMask::Dsr, 0}, {ComMask::Dsr, kDsr}}));
}

TEST(CommEdges, LinesMovingTogetherShareEvents)
{
    // CTS moved twice, DSR once; other status bits ride along unchanged.
    const auto edges =
        LineEdges::split(sample(ModemBits::Rlsd, 0, 0), sample(ModemBits::Rlsd | kDsr, 1, 2),
                         ComMask::Dsr | ComMask::Cts, true);
    EXPECT_EQ(edges,
              (std::vector<ComEdge>{{ComMask::Dsr | ComMask::Cts, ModemBits::Rlsd | kDsr | kCts},
                                    {ComMask::Cts, ModemBits::Rlsd | kDsr}}));
}

TEST(CommEdges, OnlyWatchedLinesCount)
{
    EXPECT_TRUE(LineEdges::split(sample(0, 0, 0), sample(kCts, 0, 1), ComMask::Dsr, true).empty());
    EXPECT_TRUE(LineEdges::split(sample(kDsr, 1), sample(kDsr, 1), ComMask::Dsr, true).empty());
}

TEST(CommEdges, WithoutCountersAChangedStatusIsOneEdge)
{
    EXPECT_EQ(LineEdges::split(sample(0), sample(kDsr), ComMask::Dsr, false),
              (std::vector<ComEdge>{{ComMask::Dsr, kDsr}}));
    // Counters that are not valid are ignored even when they differ.
    EXPECT_TRUE(LineEdges::split(sample(0, 0), sample(0, 9), ComMask::Dsr, false).empty());
}

TEST(CommEdges, WrappedCountersStillCount)
{
    const auto edges = LineEdges::split(sample(0, 0xFFFFFFFFu), sample(0, 1), ComMask::Dsr, true);
    EXPECT_EQ(edges.size(), 2u);
}

TEST(CommEdges, AFloodIsCappedAndEndsOnTheRealStatus)
{
    const auto edges = LineEdges::split(sample(0, 0), sample(kDsr, 1'000'001), ComMask::Dsr, true);
    ASSERT_EQ(edges.size(), LineEdges::kMaxEdges);
    EXPECT_EQ(edges.back().status, kDsr);
}

TEST(CommEdges, StreamEventsGoWithTheFirstEdgeWhenWatched)
{
    LineSample before = sample(0, 0);
    LineSample after = sample(0, 2);
    after.inQue = 3;
    after.brk = 1;
    const std::uint32_t mask = ComMask::Dsr | ComMask::RxChar;
    const auto edges = LineEdges::split(before, after, mask, true);
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_EQ(edges[0].mask, ComMask::Dsr | ComMask::RxChar); // no Break: not watched
    EXPECT_EQ(edges[1].mask, ComMask::Dsr);

    LineSample sent;
    sent.outQue = 5;
    EXPECT_EQ(LineEdges::split(sent, LineSample{}, ComMask::TxEmpty, true),
              (std::vector<ComEdge>{{ComMask::TxEmpty, 0}}));
}

} // namespace

namespace {

TEST(CommEdges, AWakeWithoutVisibleChangeIsAPulseOnTheOneWatchedLine)
{
    EXPECT_EQ(LineEdges::hiddenPulse(kCts, ComMask::Dsr),
              (std::vector<ComEdge>{{ComMask::Dsr, kCts | kDsr}, {ComMask::Dsr, kCts}}));
    EXPECT_TRUE(LineEdges::hiddenPulse(0, ComMask::Dsr | ComMask::Cts).empty());
    EXPECT_TRUE(LineEdges::hiddenPulse(0, ComMask::Ring).empty());
}

} // namespace
