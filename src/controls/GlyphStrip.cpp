#include "controls/GlyphStrip.h"

#include "controls/ColorRef.h"

namespace GlyphStrip {

QImage cell(const QImage& strip, int count, int index)
{
    if (strip.isNull() || count < 1 || index < 0 || index >= count)
        return {};
    const int width = strip.width() / count;
    if (width < 1)
        return {};
    QImage image =
        strip.copy(index * width, 0, width, strip.height()).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == key)
                line[x] = 0;
    }
    return image;
}

QImage engraved(const QImage& up)
{
    QImage result(up.size(), QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    const auto dark = [&](int x, int y) {
        const QRgb rgb = up.pixel(x, y);
        return qAlpha(rgb) != 0 && qGray(rgb) < 128;
    };
    const QRgb highlight = colorFromRef(ColorRef::BtnHighlight).rgb();
    const QRgb shadow = colorFromRef(ColorRef::BtnShadow).rgb();
    // The highlight goes first so that the shape covers it wherever the two
    // overlap.
    for (int y = 0; y + 1 < up.height(); ++y)
        for (int x = 0; x + 1 < up.width(); ++x)
            if (dark(x, y))
                result.setPixel(x + 1, y + 1, highlight);
    for (int y = 0; y < up.height(); ++y)
        for (int x = 0; x < up.width(); ++x)
            if (dark(x, y))
                result.setPixel(x, y, shadow);
    return result;
}

} // namespace GlyphStrip
