#include "core/TimeBase.h"

#include <gtest/gtest.h>

using namespace TimeBase;

TEST(CoreTimeBase, CalcMsRoundsHalvesToEvenAndKeepsLow32Bits)
{
    // 1000 ticks per microsecond: ticks = ms * 1e6.
    EXPECT_EQ(CalcMS(1004500000, 1000.0), 1004);
    EXPECT_EQ(CalcMS(1005500000, 1000.0), 1006);
    EXPECT_EQ(CalcMS(1004500001, 1000.0), 1005);
    EXPECT_EQ(CalcMS(-1500000, 1000.0), -2);
    EXPECT_EQ(CalcMS(-500000, 1000.0), 0);
    // The nominal rate of a 3,579,545 Hz counter: one second of ticks.
    EXPECT_EQ(CalcMS(3579545, 3.579545), 1000);

    const std::int64_t msPerWrap = std::int64_t{1} << 32;
    EXPECT_EQ(CalcMS((msPerWrap + 5) * 1000000, 1000.0), 5);
    EXPECT_EQ(CalcMS(std::int64_t{2147483647} * 1000000, 1000.0), 2147483647);
    EXPECT_EQ(CalcMS(std::int64_t{2147483648} * 1000000, 1000.0), -2147483647 - 1);
    // A quotient far beyond 64 bits (a tiny rate) still yields its low 32
    // bits: 2^66 + 2^33 + 3 * 2^20 ms, exactly representable.
    const std::int64_t hugeTicks = 1000 * ((std::int64_t{1} << 46) + (1 << 13) + 3);
    EXPECT_EQ(CalcMS(hugeTicks, 1.0 / 1048576.0), 3 * 1048576);
    EXPECT_EQ(CalcMS(5, 0.0), 0);
}

TEST(CoreTimeBase, SplitDropsTheLastMillisecondDigitAndWrapsHours)
{
    EXPECT_EQ(splitRaceTime(1009), (RaceTimeFields{0, 0, 1, 0}));
    EXPECT_EQ(splitRaceTime(3723040), (RaceTimeFields{1, 2, 3, 4}));
    EXPECT_EQ(splitRaceTime(360000000), (RaceTimeFields{0, 0, 0, 0})); // 100 h
    EXPECT_EQ(splitRaceTime(363599999), (RaceTimeFields{0, 59, 59, 99}));
}

TEST(CoreTimeBase, FormatRaceTimeStripsLeadingZerosButKeepsSecondsUnits)
{
    struct Case
    {
        std::int32_t ms;
        int r;
        const char* text;
    };
    const Case cases[] = {
        {0, 2, "0,00"},
        {300, 2, "0,30"},
        {5300, 2, "5,30"},
        {59999, 2, "59,99"},
        {65430, 2, "1.05,43"},
        {600000, 2, "10.00,00"},
        {3723040, 2, "1:02.03,04"},
        {43200000, 2, "12:00.00,00"},
        {5300, 1, "5,3"},
        {5300, 0, "5"},
        {0, 0, "0"},
        {0, 1, "0,0"},
        {1009, 2, "1,00"},
        {360000000, 2, "0,00"},
        {60000, 0, "1.00"},
        {36000000, 1, "10:00.00,0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatRaceTime(c.ms, c.r), c.text) << c.ms << " ms at resolution " << c.r;
    }
}

TEST(CoreTimeBase, TimeOfDayAndFileTimestamp)
{
    EXPECT_EQ(FormatTimeOfDay(TSystemTime{2009, 1, 0, 4, 9, 5, 3, 70}), "9:05.03,07");
    EXPECT_EQ(FormatTimeOfDay(TSystemTime{2009, 1, 0, 4, 14, 30, 0, 500}), "14:30.00,50");
    EXPECT_EQ(FormatTimeOfDay(TSystemTime{2009, 1, 0, 4, 0, 0, 0, 9}), "0:00.00,00");
    EXPECT_EQ(FileTimestamp(TSystemTime{2009, 1, 0, 4, 14, 5, 59, 999}), "2009-01-04-14-05");
    EXPECT_EQ(FileTimestamp(TSystemTime{2024, 12, 2, 31, 0, 0, 0, 0}), "2024-12-31-00-00");
}

TEST(CoreTimeBase, ResolutionLayoutFitsThePanel)
{
    const ResolutionLayout whole = computeResolutionLayout(0);
    EXPECT_EQ(whole.panelTimerWidth, 373);
    EXPECT_EQ(whole.panelTimerLeft, 61);
    EXPECT_FALSE(whole.hundredthsVisible);
    EXPECT_FALSE(whole.tenthsVisible);
    EXPECT_FALSE(whole.commasVisible);
    EXPECT_FALSE(whole.lab100Visible);

    const ResolutionLayout tenths = computeResolutionLayout(1);
    EXPECT_EQ(tenths.panelTimerWidth, 445);
    EXPECT_EQ(tenths.panelTimerLeft, 25);
    EXPECT_FALSE(tenths.hundredthsVisible);
    EXPECT_TRUE(tenths.tenthsVisible);
    EXPECT_TRUE(tenths.commasVisible);
    EXPECT_TRUE(tenths.lab100Visible);
    EXPECT_EQ(tenths.lab100Caption, "1/10");
    EXPECT_EQ(tenths.lab100Left, 392);

    const ResolutionLayout hundredths = computeResolutionLayout(2);
    EXPECT_EQ(hundredths.panelTimerWidth, 495);
    EXPECT_EQ(hundredths.panelTimerLeft, 0);
    EXPECT_TRUE(hundredths.hundredthsVisible);
    EXPECT_EQ(hundredths.lab100Caption, "1/100");
    EXPECT_EQ(hundredths.lab100Left, 412);
}

TEST(CoreTimeBase, SubtractingMillisecondsCrossesDayMonthAndYear)
{
    // 1 January 2009 00:00:00.100 was a Thursday.
    const TSystemTime newYear{2009, 1, 4, 1, 0, 0, 0, 100};
    EXPECT_EQ(subtractMilliseconds(newYear, 250), (TSystemTime{2008, 12, 3, 31, 23, 59, 59, 850}));
    EXPECT_EQ(subtractMilliseconds(newYear, -86400000), (TSystemTime{2009, 1, 5, 2, 0, 0, 0, 100}));
    EXPECT_EQ(subtractMilliseconds(TSystemTime{2008, 3, 6, 1, 0, 0, 0, 0}, 1),
              (TSystemTime{2008, 2, 5, 29, 23, 59, 59, 999}));
}
