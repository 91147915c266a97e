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

QImage TLbSpeedButton::glyphImage(int index) const
{
    // A strip without the requested image shows its first one.
    if (index >= m_numGlyphs)
        index = 0;
    return GlyphStrip::cell(m_glyph, m_numGlyphs, index);
}

QImage TLbSpeedButton::renderImage() const
{
    const int W = width();
    const int H = height();
    QImage image(std::max(W, 1), std::max(H, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);

    const bool enabled = isEnabled();
    const bool down = m_down && enabled;
    const int d = down && m_style != bsEncarta ? 1 : 0;
    const QColor face = faceColor();
    const QColor light = colorFromRef(m_lightColor);
    const QColor shadow = colorFromRef(m_shadowColor);

    if (m_style != bsShape && !m_transparent) {
        if (m_style == bsNormal || m_style == bsEncarta || m_style == bsOld) {
            p.fillRect(0, 0, W, H, face);
        } else if (m_style == bsModern) {
            gradient(p, 2, W - 2, 2, H / 4 + d, light, face);
            gradient(p, 2, W - 2, H / 4 + d, H - 1, face, light);
        }
    }

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

    QFont font = m_hot && m_useHotTrackFont ? m_hotTrackFont : this->font();
    if (m_style == bsEncarta && down)
        font.setBold(true);
    p.setFont(font);
    const QFontMetrics fm(font);

    int index = 0;
    if (!enabled)
        index = 1;
    else if (m_hot && m_numGlyphs > 3)
        index = 3;
    else if (down && m_numGlyphs > 2)
        index = 2;
    const QImage glyph = glyphImage(index);
    const bool hasGlyph = !glyph.isNull();
    const int gw = hasGlyph ? glyph.width() : 0;
    const int gh = hasGlyph ? glyph.height() : 0;

    const bool vertical = m_layout == blGlyphTop || m_layout == blGlyphBottom;
    const int L = std::max(0, vertical || !hasGlyph ? W - 8 : W - gw - 12);
    QString caption = m_caption;
    const int oneLine = Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (!m_wordWrap)
        while (!caption.isEmpty() && fm.boundingRect(QRect(), oneLine, caption).width() > L)
            caption.chop(1);
    Qt::Alignment align = Qt::AlignLeft;
    if (m_alignment == taRightJustify)
        align = Qt::AlignRight;
    else if (m_alignment == taCenter)
        align = Qt::AlignHCenter;
    const int textFlags = int(align) | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
    const int th = caption.isEmpty()
                       ? 0
                       : fm.boundingRect(QRect(0, 0, L, 0xFFFF), textFlags, caption).height();
    const int t = caption.isEmpty() ? 0 : fm.boundingRect(QRect(), oneLine, caption).width() + 4;
    const TAlignment placement = m_wordWrap ? taLeftJustify : m_alignment;

    QRect textRect;
    QPoint glyphAt;
    if (m_style == bsShape) {
        glyphAt = {(W - gw) / 2, (H - gh) / 2};
        textRect = QRect(QPoint(d, (H - th) / 2 + d), QPoint(W - 1, H - 1));
    } else if (!vertical) {
        const int textTop = (H - th) / 2 + d;
        const int glyphTop = (H - gh) / 2 + d;
        if (m_layout == blGlyphLeft) {
            textRect = QRect(hasGlyph ? d + 4 + gw + 4 : d + 4, textTop, L, th);
            if (placement == taLeftJustify)
                glyphAt = {d + 4, glyphTop};
            else if (placement == taRightJustify)
                glyphAt = {W + d - gw - t - 4, glyphTop};
            else
                glyphAt = {(W - gw) / 2 + d - t / 2, glyphTop};
        } else {
            textRect = QRect(d + 4, textTop, L, th);
            if (placement == taLeftJustify)
                glyphAt = {d + 4 + t, glyphTop};
            else if (placement == taRightJustify)
                glyphAt = {W + d - gw - 4, glyphTop};
            else
                glyphAt = {(W - gw) / 2 + d + t / 2, glyphTop};
        }
    } else {
        const int block = th + (hasGlyph ? gh + 4 : 0);
        const int G = (H - block) / 2;
        int glyphLeft = d + 4;
        if (m_alignment == taRightJustify)
            glyphLeft = W + d - gw - 4;
        else if (m_alignment == taCenter)
            glyphLeft = (W - gw) / 2 + d;
        if (m_layout == blGlyphTop) {
            glyphAt = {glyphLeft, G + d};
            textRect = QRect(d + 4, G + gh + d, L, th);
        } else {
            textRect = QRect(d + 4, G + d, L, th);
            glyphAt = {glyphLeft, G + th + d};
        }
    }

    if (hasGlyph)
        p.drawImage(glyphAt, glyph);
    if (!caption.isEmpty()) {
        const bool grey = !enabled && m_style != bsShape;
        p.setPen(grey ? QColor(0x80, 0x80, 0x80) : colorFromRef(m_fontColor));
        p.drawText(textRect, m_style == bsShape ? int(Qt::AlignHCenter) | textFlags : textFlags,
                   caption);
    }
    if (m_popupMenu)
        menuArrow(p, W - 11, H / 2 - 1);
    return image;
}
