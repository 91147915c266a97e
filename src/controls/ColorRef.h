#pragma once

#include <QColor>

#include <cstdint>

// Colours are kept as 0x00BBGGRR integers because that is how the settings
// store them and how the display compares them on every refresh; QColor only
// appears at paint time. The alias is repeated verbatim elsewhere, which C++
// allows, so this library needs nothing but Qt.
using TColor = std::uint32_t;

namespace ColorRef {

// 0xFF0000nn names system colour nn rather than an RGB value.
inline constexpr TColor SystemFlag = 0xFF000000;
inline constexpr TColor NoColor = 0x1FFFFFFF;

inline constexpr TColor ScrollBar = 0xFF000000;
inline constexpr TColor Background = 0xFF000001;
inline constexpr TColor ActiveCaption = 0xFF000002;
inline constexpr TColor InactiveCaption = 0xFF000003;
inline constexpr TColor Menu = 0xFF000004;
inline constexpr TColor Window = 0xFF000005;
inline constexpr TColor WindowFrame = 0xFF000006;
inline constexpr TColor MenuText = 0xFF000007;
inline constexpr TColor WindowText = 0xFF000008;
inline constexpr TColor CaptionText = 0xFF000009;
inline constexpr TColor ActiveBorder = 0xFF00000A;
inline constexpr TColor InactiveBorder = 0xFF00000B;
inline constexpr TColor AppWorkSpace = 0xFF00000C;
inline constexpr TColor Highlight = 0xFF00000D;
inline constexpr TColor HighlightText = 0xFF00000E;
inline constexpr TColor BtnFace = 0xFF00000F;
inline constexpr TColor BtnShadow = 0xFF000010;
inline constexpr TColor GrayText = 0xFF000011;
inline constexpr TColor BtnText = 0xFF000012;
inline constexpr TColor InactiveCaptionText = 0xFF000013;
inline constexpr TColor BtnHighlight = 0xFF000014;
inline constexpr TColor DkShadow3D = 0xFF000015;
inline constexpr TColor Light3D = 0xFF000016;
inline constexpr TColor InfoText = 0xFF000017;
inline constexpr TColor InfoBk = 0xFF000018;
inline constexpr TColor HotLight = 0xFF00001A;
inline constexpr TColor GradientActiveCaption = 0xFF00001B;
inline constexpr TColor GradientInactiveCaption = 0xFF00001C;
inline constexpr TColor MenuHighlight = 0xFF00001D;
inline constexpr TColor MenuBar = 0xFF00001E;

inline constexpr bool isSystemColor(TColor ref)
{
    return (ref & SystemFlag) == SystemFlag;
}

// The RGB value a system colour stands for, as 0x00BBGGRR. The table is the
// standard desktop scheme and deliberately not the running Qt style's
// palette: stored colours and painted pixels must not depend on the theme.
// Unknown numbers give black, as the system does.
TColor systemColorRgb(int index);

} // namespace ColorRef

// System colours resolve through ColorRef::systemColorRgb, "no colour" becomes
// fully transparent, and any other value uses its low three bytes.
QColor colorFromRef(TColor ref);

// Transparent and invalid colours become "no colour"; everything else its RGB.
TColor refFromColor(const QColor& color);
