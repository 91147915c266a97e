#pragma once

#include "core/Color.h"
#include "core/IDigitDisplay.h"

#include <cstdint>

// Writes time fields to the two digit rows and applies the colour rules that
// tell leading zeros (passive colour) from significant digits (active colour).
class TimeDisplay
{
public:
    struct ColourPair
    {
        TColor passive;
        TColor active;
    };

    explicit TimeDisplay(IDigitDisplay& sink);

    void ShowTimeDigits(DisplayRow row, std::int32_t h, std::int32_t m, std::int32_t s,
                        std::int32_t c);
    void ApplyDigitColours(TColor c1, TColor c2, TColor c3);
    void ApplyResolution(int resolution);

    ColourPair rowColours(DisplayRow row) const;

private:
    void showFirstRow(std::int32_t h, std::int32_t m, std::int32_t s, std::int32_t c);
    void showSecondRow(std::int32_t h, std::int32_t m, std::int32_t s, std::int32_t c);

    IDigitDisplay& m_sink;
    ColourPair m_firstRow{clDarkGrey, clLime};
    const ColourPair m_secondRow{clDarkGrey, clYellow};
};
