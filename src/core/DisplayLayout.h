#pragma once

// Pixel positions of the digit panel that the resolution layout is computed
// from. The main window's panel is built from these numbers as they are, the
// scoreboard's from the same numbers scaled, so all of them agree.
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
    static constexpr int kDigitThickness = 5;
    static constexpr int kDigitSeparation = 1;
    // The separators stand as high as their row; their glyphs are centred.
    static constexpr int kSeparatorLeft[3] = {kLabHourLeft, kLabMinLeft, kLabSecLeft};
    static constexpr int kSeparatorWidth = 27;
    static constexpr int kSeparatorFontPixels = 64;
    static constexpr int kUnitLabelTop = 106;
    static constexpr int kUnitLabelLeft[4] = {40, 164, 292, 422};
    static constexpr int kUnitLabelWidth = 60;
    static constexpr int kUnitLabelHeight = 24;
    static constexpr int kUnitFontPixels = 19;

    static constexpr int kDigit8Left = kDigitLeft[7];
};
