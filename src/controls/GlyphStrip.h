#pragma once

#include <QImage>

namespace GlyphStrip {

// Image `index` of a strip of `count` images of equal width, with the colour
// of its bottom-left pixel made transparent, as glyph strips are drawn.
// Empty when the strip holds no such image.
QImage cell(const QImage& strip, int count, int index);

} // namespace GlyphStrip
