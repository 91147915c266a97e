#include "controls/GlyphStrip.h"

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

} // namespace GlyphStrip
