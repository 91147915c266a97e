// Painting of TLbSpeedButton, kept apart from its behaviour.
#include "controls/TLbSpeedButton.h"

#include "controls/GlyphStrip.h"

#include <QFontMetrics>
#include <QMenu>
#include <QPainter>

#include <algorithm>

namespace {

int blendChannel(int from, int to, int weight, int of)
{
    return (from * (of - weight) + to * weight + of / 2) / of;
}

QColor blend(const QColor& from, const QColor& to, int weight, int of)
{
    return QColor(blendChannel(from.red(), to.red(), weight, of),
                  blendChannel(from.green(), to.green(), weight, of),
                  blendChannel(from.blue(), to.blue(), weight, of));
}

// Draws lines the way a pen that moves from point to point does: each
// segment covers its start but not its end, so consecutive segments of a
// frame never paint a corner twice.
class Pen
{
public:
    explicit Pen(QPainter& painter) : m_p(painter) {}
    void moveTo(int x, int y) { m_at = {x, y}; }
    void lineTo(int x, int y, const QColor& color)
    {
        const int dx = (x > m_at.x()) - (x < m_at.x());
        const int dy = (y > m_at.y()) - (y < m_at.y());
        if (dx != 0 || dy != 0) {
            m_p.setPen(color);
            m_p.drawLine(m_at, QPoint(x - dx, y - dy));
        }
        m_at = {x, y};
    }

private:
    QPainter& m_p;
    QPoint m_at;
};

void gradient(QPainter& p, int left, int right, int top, int bottom, const QColor& from,
              const QColor& to)
{
    const int extent = bottom - top;
    if (extent <= 0 || right <= left)
        return;
    constexpr int last = 31;
    for (int i = 0; i <= last; ++i) {
        const int y = top + i * extent / last;
        const int h = std::min(extent / last + 1, bottom - y);
        if (h > 0)
            p.fillRect(left, y, right - left, h, blend(from, to, i, last));
    }
}

// The small arrow that marks a button with a menu.
void menuArrow(QPainter& p, int x, int y)
{
    p.setPen(Qt::black);
    for (int row = 0; row < 3; ++row)
        p.drawLine(x + row, y + row, x + 4 - row, y + row);
}

// Where the caption and the glyph go, worked out from the button's size
// and what there is to show.
struct Content
{
    int W = 0;
    int H = 0;
    int d = 0;  // shift of a pressed button
    int gw = 0; // glyph width, 0 without a glyph
    int gh = 0; // glyph height, 0 without a glyph
    int L = 0;  // width the caption may take
    int th = 0; // height of the wrapped caption, 0 without one
    int t = 0;  // single-line caption width plus its gap, 0 without one
    bool hasGlyph = false;
};

using B = TLbSpeedButton;

// Glyph to the left or right of the caption; both centred vertically.
void placeBeside(const Content& c, B::TLbSpeedButtonLayout layout, B::TAlignment placement,
                 QRect& textRect, QPoint& glyphAt)
{
    const int textTop = (c.H - c.th) / 2 + c.d;
    const int glyphTop = (c.H - c.gh) / 2 + c.d;
    if (layout == B::blGlyphLeft) {
        textRect = QRect(c.hasGlyph ? c.d + 4 + c.gw + 4 : c.d + 4, textTop, c.L, c.th);
        if (placement == B::taLeftJustify)
            glyphAt = {c.d + 4, glyphTop};
        else if (placement == B::taRightJustify)
            glyphAt = {c.W + c.d - c.gw - c.t - 4, glyphTop};
        else
            glyphAt = {(c.W - c.gw) / 2 + c.d - c.t / 2, glyphTop};
    } else {
        textRect = QRect(c.d + 4, textTop, c.L, c.th);
        if (placement == B::taLeftJustify)
            glyphAt = {c.d + 4 + c.t, glyphTop};
        else if (placement == B::taRightJustify)
            glyphAt = {c.W + c.d - c.gw - 4, glyphTop};
        else
            glyphAt = {(c.W - c.gw) / 2 + c.d + c.t / 2, glyphTop};
    }
}

// Glyph above or below the caption; the two centred vertically as a block.
void placeStacked(const Content& c, B::TLbSpeedButtonLayout layout, B::TAlignment alignment,
                  QRect& textRect, QPoint& glyphAt)
{
    const int block = c.th + (c.hasGlyph ? c.gh + 4 : 0);
    const int G = (c.H - block) / 2;
    int glyphLeft = c.d + 4;
    if (alignment == B::taRightJustify)
        glyphLeft = c.W + c.d - c.gw - 4;
    else if (alignment == B::taCenter)
        glyphLeft = (c.W - c.gw) / 2 + c.d;
    if (layout == B::blGlyphTop) {
        glyphAt = {glyphLeft, G + c.d};
        textRect = QRect(c.d + 4, G + c.gh + c.d, c.L, c.th);
    } else {
        textRect = QRect(c.d + 4, G + c.d, c.L, c.th);
        glyphAt = {glyphLeft, G + c.th + c.d};
    }
}

} // namespace

QColor TLbSpeedButton::faceColor() const
{
    QColor face = colorFromRef(m_color);
    if (isEnabled() && m_hotTrackColor != ColorRef::NoColor)
        face = blend(face, colorFromRef(m_hotTrackColor), m_fadeLevel, FadeSteps);
    if (m_down && isEnabled() && m_colorWhenDown != ColorRef::NoColor)
        face = colorFromRef(m_colorWhenDown);
    return face;
}

QImage TLbSpeedButton::glyphImage(bool down) const
{
    int index = 0;
    if (!isEnabled())
        index = 1;
    else if (m_hot && m_numGlyphs > 3)
        index = 3;
    else if (down && m_numGlyphs > 2)
        index = 2;
    // A strip without the requested image shows its first one.
    if (index >= m_numGlyphs)
        index = 0;
    return GlyphStrip::cell(m_glyph, m_numGlyphs, index);
}

void TLbSpeedButton::paintBackground(QPainter& p, const QColor& face, int d) const
{
    if (m_style == bsShape || m_transparent)
        return;
    const int W = width();
    const int H = height();
    if (m_style == bsNormal || m_style == bsEncarta || m_style == bsOld) {
        p.fillRect(0, 0, W, H, face);
    } else if (m_style == bsModern) {
        const QColor light = colorFromRef(m_lightColor);
        gradient(p, 2, W - 2, 2, H / 4 + d, light, face);
        gradient(p, 2, W - 2, H / 4 + d, H - 1, face, light);
    }
}

void TLbSpeedButton::paintFrame(QPainter& p, const QColor& face, bool down) const
{
    const int W = width();
    const int H = height();
    const bool enabled = isEnabled();
    const QColor light = colorFromRef(m_lightColor);
    const QColor shadow = colorFromRef(m_shadowColor);
    const bool framed = (enabled && (!m_flat || m_hot || down)) || (!enabled && !m_flat);
    Pen pen(p);
    p.setBrush(Qt::NoBrush);
    switch (m_style) {
    case bsNormal:
    case bsEncarta:
        if (framed) {
            pen.moveTo(0, H - 1);
            pen.lineTo(0, 0, down ? shadow : light);
            pen.lineTo(W - 1, 0, down ? shadow : light);
            pen.lineTo(W - 1, H - 1, down ? light : shadow);
            pen.lineTo(0, H - 1, down ? light : shadow);
        }
        break;
    case bsOld:
        if (framed) {
            const QColor dark = colorFromRef(ColorRef::DkShadow3D);
            if (!down) {
                pen.moveTo(W - 2, 0);
                pen.lineTo(W - 2, H - 2, shadow);
                pen.lineTo(0, H - 2, shadow);
            } else {
                pen.moveTo(1, H - 3);
                pen.lineTo(1, 1, shadow);
                pen.lineTo(W - 2, 1, shadow);
            }
            pen.moveTo(0, H - 1);
            pen.lineTo(0, 0, down ? dark : light);
            pen.lineTo(W - 1, 0, down ? dark : light);
            pen.lineTo(W - 1, H - 1, down ? light : dark);
            pen.lineTo(-1, H - 1, down ? light : dark);
        }
        break;
    case bsModern:
        p.setPen(down ? shadow : face);
        p.drawRect(1, 1, W - 3, H - 3);
        p.setPen(shadow);
        p.drawRoundedRect(QRect(0, 0, W - 1, H - 1), 3, 3);
        break;
    case bsQuicken:
        p.setPen(Qt::NoPen);
        p.setBrush(face);
        p.drawRoundedRect(QRect(0, 1, W, H - 1), 2, 2);
        p.setBrush(Qt::NoBrush);
        pen.moveTo(4, 0);
        pen.lineTo(W - 5, 0, shadow);
        pen.moveTo(4, H - 1);
        pen.lineTo(W - 5, H - 1, shadow);
        break;
    case bsShape:
        break;
    }
}

TLbSpeedButton::Placement TLbSpeedButton::place(const QFontMetrics& fm, const QImage& glyph,
                                                int d) const
{
    Content c;
    c.W = width();
    c.H = height();
    c.d = d;
    c.hasGlyph = !glyph.isNull();
    c.gw = c.hasGlyph ? glyph.width() : 0;
    c.gh = c.hasGlyph ? glyph.height() : 0;
    const bool vertical = m_layout == blGlyphTop || m_layout == blGlyphBottom;
    c.L = std::max(0, vertical || !c.hasGlyph ? c.W - 8 : c.W - c.gw - 12);

    Placement out;
    out.caption = m_caption;
    const int oneLine = Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (!m_wordWrap)
        while (!out.caption.isEmpty() &&
               fm.boundingRect(QRect(), oneLine, out.caption).width() > c.L)
            out.caption.chop(1);
    Qt::Alignment align = Qt::AlignLeft;
    if (m_alignment == taRightJustify)
        align = Qt::AlignRight;
    else if (m_alignment == taCenter)
        align = Qt::AlignHCenter;
    out.textFlags = int(align) | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
    if (!out.caption.isEmpty()) {
        c.th = fm.boundingRect(QRect(0, 0, c.L, 0xFFFF), out.textFlags, out.caption).height();
        c.t = fm.boundingRect(QRect(), oneLine, out.caption).width() + 4;
    }

    if (m_style == bsShape) {
        out.glyphAt = {(c.W - c.gw) / 2, (c.H - c.gh) / 2};
        out.textRect = QRect(QPoint(d, (c.H - c.th) / 2 + d), QPoint(c.W - 1, c.H - 1));
        out.textFlags |= Qt::AlignHCenter;
    } else if (!vertical) {
        // A wrapping caption takes its whole width, so the glyph keeps the
        // places it has with a left-justified one.
        placeBeside(c, m_layout, m_wordWrap ? taLeftJustify : m_alignment, out.textRect,
                    out.glyphAt);
    } else {
        placeStacked(c, m_layout, m_alignment, out.textRect, out.glyphAt);
    }
    return out;
}

QImage TLbSpeedButton::renderImage() const
{
    QImage image(std::max(width(), 1), std::max(height(), 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);

    const bool enabled = isEnabled();
    const bool down = m_down && enabled;
    const int d = down && m_style != bsEncarta ? 1 : 0;
    const QColor face = faceColor();
    paintBackground(p, face, d);
    paintFrame(p, face, down);

    QFont font = m_hot && m_useHotTrackFont ? m_hotTrackFont : this->font();
    if (m_style == bsEncarta && down)
        font.setBold(true);
    p.setFont(font);
    const QImage glyph = glyphImage(down);
    const Placement at = place(QFontMetrics(font), glyph, d);

    if (!glyph.isNull())
        p.drawImage(at.glyphAt, glyph);
    if (!at.caption.isEmpty()) {
        const bool grey = !enabled && m_style != bsShape;
        p.setPen(grey ? QColor(0x80, 0x80, 0x80) : colorFromRef(m_fontColor));
        p.drawText(at.textRect, at.textFlags, at.caption);
    }
    if (m_popupMenu)
        menuArrow(p, width() - 11, height() / 2 - 1);
    return image;
}
