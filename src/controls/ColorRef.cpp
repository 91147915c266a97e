#include "controls/ColorRef.h"

#include <array>

namespace ColorRef {

TColor systemColorRgb(int index)
{
    // Values as 0x00BBGGRR, indexed by system colour number.
    static constexpr std::array<TColor, 31> table = {
        0xC8C8C8, // scroll bar
        0x000000, // desktop
        0xD1B499, // active caption
        0xDBCDBF, // inactive caption
        0xF0F0F0, // menu
        0xFFFFFF, // window
        0x000000, // window frame
        0x000000, // menu text
        0x000000, // window text
        0x000000, // caption text
        0xB4B4B4, // active border
        0xFCF7F4, // inactive border
        0xABABAB, // application work space
        0xFF9933, // highlight
        0xFFFFFF, // highlight text
        0xF0F0F0, // button face
        0xA0A0A0, // button shadow
        0x6D6D6D, // grey text
        0x000000, // button text
        0x544E43, // inactive caption text
        0xFFFFFF, // button highlight
        0x696969, // 3-D dark shadow
        0xE3E3E3, // 3-D light
        0x000000, // tooltip text
        0xE1FFFF, // tooltip background
        0x000000, // unused number 25
        0xCC6600, // hot-tracked item
        0xEAD1B9, // gradient of the active caption
        0xF2E4D7, // gradient of the inactive caption
        0xFF9933, // highlighted menu item
        0xF0F0F0, // menu bar
    };
    if (index < 0 || index >= static_cast<int>(table.size()))
        return 0x000000;
    return table[static_cast<std::size_t>(index)];
}

} // namespace ColorRef

QColor colorFromRef(TColor ref)
{
    if (ref == ColorRef::NoColor)
        return QColor(Qt::transparent);
    const TColor rgb =
        ColorRef::isSystemColor(ref) ? ColorRef::systemColorRgb(static_cast<int>(ref & 0xFF)) : ref;
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>((rgb >> 16) & 0xFF));
}

TColor refFromColor(const QColor& color)
{
    if (!color.isValid() || color.alpha() == 0)
        return ColorRef::NoColor;
    const QRgb rgb = color.rgb();
    return static_cast<TColor>(qRed(rgb)) | (static_cast<TColor>(qGreen(rgb)) << 8) |
           (static_cast<TColor>(qBlue(rgb)) << 16);
}
