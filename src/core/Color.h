#pragma once

#include <cstdint>

// Colours travel as 0x00BBGGRR so they compare and persist exactly like the
// values stored in the settings; 0xFF0000nn names system colour nn.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clDarkGrey = 0x404040;
inline constexpr TColor clBtnFace = 0xFF00000F;
inline constexpr TColor clNone = 0x1FFFFFFF;
