#pragma once

#include <QImage>

namespace GlyphStrip {

// Image `index` of a strip of `count` images of equal width, with the colour
// of its bottom-left pixel made transparent, as glyph strips are drawn.
// Empty when the strip holds no such image.
QImage cell(const QImage& strip, int count, int index);

// The look of an unavailable glyph made from its up image, for strips that
// bring no disabled image of their own: the dark parts as a shape in the
// button-shadow colour over a copy of it in the highlight colour one pixel
// down and right. Everything else is transparent.
QImage engraved(const QImage& up);

} // namespace GlyphStrip
