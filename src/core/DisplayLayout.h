#pragma once

// Pixel positions of the digit panel that the resolution layout is computed
// from. The window builds its panel from the same numbers, so both agree.
struct DisplayLayout
{
    static constexpr int kOwnerWidth = 495; // PanelTimerOwner
    static constexpr int kPanelHeight = 222;
    static constexpr int kBevelWidth = 5;
    static constexpr int kDigitWidth = 45;
    static constexpr int kFirstRowTop = 11;
    static constexpr int kFirstRowHeight = 89;
    static constexpr int kSecondRowTop = 136;
    static constexpr int kSecondRowHeight = 69;
    // Left edges of the eight digit places, hours tens first.
    static constexpr int kDigitLeft[8] = {8, 56, 136, 184, 264, 312, 392, 440};
    static constexpr int kLabHourLeft = 109;
    static constexpr int kLabMinLeft = 240;
    static constexpr int kLabSecLeft = 368;
    static constexpr int kUnitLabelTop = 106;
    static constexpr int kUnitLabelLeft[4] = {40, 164, 292, 422};

    static constexpr int kDigit8Left = kDigitLeft[7];
};
