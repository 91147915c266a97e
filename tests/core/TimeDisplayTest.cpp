#include "core/TimeDisplay.h"
#include "FakeDigitDisplay.h"

#include <gtest/gtest.h>

#include <vector>

using D = DisplayControl;

namespace {

constexpr TColor kC1 = 0x101010;
constexpr TColor kC2 = 0x00AA00;
constexpr TColor kC3 = 0x333333;

class CoreTimeDisplay : public ::testing::Test
{
protected:
    CoreTimeDisplay() { shown.ApplyDigitColours(kC1, kC2, kC3); }

    // Which of the given controls show the active colour ('A') or the passive one ('p').
    std::string colours(const std::vector<D>& controls, TColor active, TColor passive)
    {
        std::string s;
        for (D c : controls) {
            const bool label = c >= D::LabHour;
            const TColor colour = label ? sink[c].fontColor : sink[c].colorOn;
            s += colour == active ? 'A' : colour == passive ? 'p' : '?';
        }
        return s;
    }

    std::string first()
    {
        return colours({D::Digit1, D::Digit2, D::LabHour, D::Lab_Hour, D::Digit3, D::Digit4,
                        D::LabMin, D::Lab_Min, D::Digit5, D::Digit6, D::Digit7, D::Digit8},
                       kC2, kC3);
    }
    std::string second()
    {
        return colours({D::Digit12, D::Digit13, D::LabHour2, D::Digit15, D::Digit16, D::LabMin2,
                        D::Digit18, D::Digit19, D::Digit21, D::LabSec2, D::Digit22},
                       clYellow, clDarkGrey);
    }
    void both(int h, int m, int s, int c)
    {
        shown.ShowTimeDigits(DisplayRow::First, h, m, s, c);
        shown.ShowTimeDigits(DisplayRow::Second, h, m, s, c);
    }

    FakeDigitDisplay sink;
    TimeDisplay shown{sink};
};

} // namespace

TEST_F(CoreTimeDisplay, LeadingZerosArePassiveOnBothRows)
{
    both(0, 0, 0, 0);
    // The first row's seconds units and fraction keep the active colour.
    EXPECT_EQ(first(), "pppppppppAAA");
    EXPECT_EQ(second(), "ppppppppppp");

    both(0, 0, 9, 99);
    EXPECT_EQ(first(), "pppppppppAAA");
    EXPECT_EQ(second(), "pppppppAAAA");
    EXPECT_EQ(sink[D::Digit6].value, 9);
    EXPECT_EQ(sink[D::Digit7].value, 9);
    EXPECT_EQ(sink[D::Digit8].value, 9);

    both(0, 0, 10, 0);
    EXPECT_EQ(first(), "ppppppppAAAA");
    EXPECT_EQ(second(), "ppppppAAAAA");

    both(0, 1, 0, 0);
    EXPECT_EQ(first(), "ppppp"
                       "AAAAAAA");
    EXPECT_EQ(second(), "pppp"
                        "AAAAAAA");

    both(1, 0, 0, 0);
    EXPECT_EQ(first(), "pAAAAAAAAAAA");
    both(10, 0, 0, 0);
    EXPECT_EQ(first(), "AAAAAAAAAAAA");
    EXPECT_EQ(second(), "AAAAAAAAAAA");
    EXPECT_EQ(sink[D::Digit1].value, 1);
    EXPECT_EQ(sink[D::Digit12].value, 1);
}

TEST_F(CoreTimeDisplay, DigitColoursSetBackgroundAndTheFirstRowPair)
{
    shown.ApplyDigitColours(0x000080, 0x00FFFF, 0x808080);
    const D digits[] = {D::Digit1,  D::Digit2,  D::Digit3,  D::Digit4,  D::Digit5,  D::Digit6,
                        D::Digit7,  D::Digit8,  D::Digit12, D::Digit13, D::Digit15, D::Digit16,
                        D::Digit18, D::Digit19, D::Digit21, D::Digit22};
    for (D d : digits) {
        EXPECT_EQ(sink[d].colorOn, 0x00FFFFu);
        EXPECT_EQ(sink[d].colorOff, 0x000080u);
        EXPECT_EQ(sink[d].background, 0x000080u);
    }
    for (D l : {D::LabHour, D::LabMin, D::LabSec, D::Lab_Hour, D::Lab_Min, D::Lab_sek, D::Lab_100,
                D::LabHour2, D::LabMin2, D::LabSec2}) {
        EXPECT_EQ(sink[l].fontColor, 0x00FFFFu);
    }
    EXPECT_EQ(shown.rowColours(DisplayRow::First).passive, 0x808080u);
    EXPECT_EQ(shown.rowColours(DisplayRow::First).active, 0x00FFFFu);
    // The second row keeps its own fixed pair.
    shown.ShowTimeDigits(DisplayRow::Second, 0, 0, 0, 0);
    EXPECT_EQ(sink[D::Digit22].colorOn, clDarkGrey);
    shown.ShowTimeDigits(DisplayRow::Second, 0, 0, 0, 1);
    EXPECT_EQ(sink[D::Digit22].colorOn, clYellow);
}

TEST_F(CoreTimeDisplay, ResolutionReachesTheSinkWithoutTouchingValues)
{
    both(1, 2, 3, 45);
    shown.ApplyResolution(0);
    EXPECT_EQ(sink.layout.panelTimerWidth, 373);
    EXPECT_FALSE(sink.layout.commasVisible);
    EXPECT_EQ(sink[D::Digit8].value, 5);
    EXPECT_EQ(sink[D::Digit22].value, 5);
}
