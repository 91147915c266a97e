#include "controls/TTimerSpeedButton.h"

#include "controls/ColorRef.h"
#include "controls/GlyphStrip.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TTimerSpeedButton::TTimerSpeedButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

TTimerSpeedButton::~TTimerSpeedButton() = default;

void TTimerSpeedButton::setRepeatTimer(std::unique_ptr<TTimerSpeedButtonTimer> timer)
{
    if (m_timer)
        m_timer->stop();
    m_timer = std::move(timer);
    if (m_timer)
        m_timer->setCallback([this] { repeat(); });
}

QSize TTimerSpeedButton::sizeHint() const
{
    return {15, 9};
}

void TTimerSpeedButton::setAllowTimer(bool allow)
{
    m_allowTimer = allow;
}

void TTimerSpeedButton::setFocusRect(bool show)
{
    if (show == m_focusRect)
        return;
    m_focusRect = show;
    update();
}

void TTimerSpeedButton::setGlyph(const QImage& glyph)
{
    m_glyph = glyph;
    update();
}

void TTimerSpeedButton::setNumGlyphs(int count)
{
    count = std::clamp(count, 1, 4);
    if (count == m_numGlyphs)
        return;
    m_numGlyphs = count;
    update();
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent* event)
{
    QAbstractButton::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isDown())
        return;
    m_held = true;
    if (!m_allowTimer)
        return;
    if (!m_timer)
        setRepeatTimer(TTimerSpeedButtonTimer::create());
    m_timer->setInterval(FirstRepeatMs);
    m_timer->start();
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    // The final click of a held button comes from the base class when the
    // release is over the arrow, exactly like a quick click.
    if (event->button() == Qt::LeftButton)
        m_held = false;
    QAbstractButton::mouseReleaseEvent(event);
    if (m_timer)
        m_timer->stop();
}

void TTimerSpeedButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void TTimerSpeedButton::repeat()
{
    m_timer->setInterval(RepeatMs);
    // isDown() turns false while the pointer is dragged off the arrow.
    if (!m_held || !isDown())
        return;
    try {
        emit clicked(false);
    } catch (...) {
        m_timer->stop();
        throw;
    }
}

QImage TTimerSpeedButton::glyphForState() const
{
    if (!isEnabled()) {
        if (m_numGlyphs >= 2)
            return GlyphStrip::cell(m_glyph, m_numGlyphs, 1);
        return GlyphStrip::engraved(GlyphStrip::cell(m_glyph, m_numGlyphs, 0));
    }
    if (isDown() && m_numGlyphs >= 3)
        return GlyphStrip::cell(m_glyph, m_numGlyphs, 2);
    return GlyphStrip::cell(m_glyph, m_numGlyphs, 0);
}

void TTimerSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    const bool down = isDown();
    p.fillRect(r, colorFromRef(ColorRef::BtnFace));
    const int l = r.left();
    const int t = r.top();
    const int rr = r.right();
    const int b = r.bottom();
    if (down) {
        p.setPen(colorFromRef(ColorRef::BtnShadow));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    } else {
        p.setPen(colorFromRef(ColorRef::BtnHighlight));
        p.drawLine(l, b - 1, l, t);
        p.drawLine(l, t, rr - 1, t);
        p.setPen(colorFromRef(ColorRef::DkShadow3D));
        p.drawLine(rr, t, rr, b);
        p.drawLine(l, b, rr, b);
        p.setPen(colorFromRef(ColorRef::BtnShadow));
        p.drawLine(rr - 1, t + 1, rr - 1, b - 1);
        p.drawLine(l + 1, b - 1, rr - 1, b - 1);
    }
    const int shift = down ? 1 : 0;
    const QImage glyph = glyphForState();
    if (!glyph.isNull()) {
        const QPoint at((width() - glyph.width() + 1) / 2 + shift,
                        (height() - glyph.height() + 1) / 2 + shift);
        p.drawImage(at, glyph);
    }
    if (m_focusRect) {
        QPen pen(colorFromRef(ColorRef::WindowText), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(3 + shift, 3 + shift, -4 + shift, -4 + shift));
    }
}
