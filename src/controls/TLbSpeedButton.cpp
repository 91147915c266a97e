#include "controls/TLbSpeedButton.h"

#include "controls/TLbSpeedButtonThread.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>

TLbSpeedButton::TLbSpeedButton(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover, false);
    m_hotTrackFont = parent ? parent->window()->font() : QApplication::font();
    resize(100, 23);
}

TLbSpeedButton::~TLbSpeedButton()
{
    m_destroying = true;
    stopThread();
}

void TLbSpeedButton::changed()
{
    if (m_transparent)
        update();
    else
        repaint();
}

bool TLbSpeedButton::reachable() const
{
    return isEnabled() && isVisible() && (!parentWidget() || parentWidget()->isVisible());
}

void TLbSpeedButton::setAlignment(TLbSpeedButton::TAlignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    changed();
}

void TLbSpeedButton::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    delete m_shortcut;
    m_shortcut = nullptr;
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
    if (!mnemonic.isEmpty()) {
        m_shortcut = new QShortcut(mnemonic, this);
        connect(m_shortcut, &QShortcut::activated, this, &TLbSpeedButton::accelerate);
    }
    update();
}

void TLbSpeedButton::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    changed();
}

void TLbSpeedButton::setColorWhenDown(TColor color)
{
    if (color == m_colorWhenDown)
        return;
    m_colorWhenDown = color;
    changed();
}

void TLbSpeedButton::setColorStyle(TLbSpeedButton::TLbColorStyle style)
{
    struct Preset
    {
        TColor color, light, shadow, whenDown, hot;
        TLbSpeedButtonStyle style;
        bool flat;
        TColor font;
    };
    constexpr TColor none = ColorRef::NoColor;
    constexpr TColor face = ColorRef::BtnFace;
    Preset p{};
    switch (style) {
    case lcsCustom:
        return;
    case lcsGold:
        p = {0x00C0C0, 0x00FFFF, 0x008080, none, 0x00DFDF, bsModern, false, 0};
        break;
    case lcsChrome:
        p = {0xC0C0C0, 0xFFFFFF, 0x808080, none, none, bsModern, false, 0};
        break;
    case lcsBlue:
        p = {0xFF8000, 0xFFFF00, 0xFF0000, none, none, bsModern, false, 0};
        break;
    case lcsRed:
        p = {0x0000FF, 0xC0C0FF, 0x0000C0, none, none, bsModern, false, 0};
        break;
    case lcsUltraFlat1:
        p = {face, 0xB59284, 0xB59284, 0xB59284, 0xDED3D6, bsNormal, true, 0};
        break;
    case lcsUltraFlat2:
        p = {face, 0x000000, 0x000000, 0x24DABC, 0x8CF6E4, bsNormal, true, 0};
        break;
    case lcsUltraFlatXP:
        p = {0xD1D8DB, 0xB59284, 0xB59285, 0xB59285, 0xD2BDB6, bsNormal, true, 0};
        break;
    case lcsAqua:
        p = {0xECCE94, 0xFCE6D4, 0x000000, none, none, bsModern, false, 0};
        break;
    case lcsDefault:
        p = {face, 0xFFFFFF, 0x808080, none, none, bsNormal, false, 0};
        break;
    case lcsQuicken:
        p = {0x603000, 0xC0C0C0, 0xC0C0C0, 0xAD6529, 0xCEAE9C, bsQuicken, false, 0xFFFFFF};
        break;
    }
    setFlat(p.flat);
    setFontColor(p.font);
    setColor(p.color);
    setLightColor(p.light);
    setShadowColor(p.shadow);
    setColorWhenDown(p.whenDown);
    setHotTrackColor(p.hot);
    setStyle(p.style);
}

void TLbSpeedButton::setDown(bool down)
{
    if (down == m_down)
        return;
    if (m_groupIndex != 0 && parentWidget()) {
        const auto siblings =
            parentWidget()->findChildren<TLbSpeedButton*>(Qt::FindDirectChildrenOnly);
        for (TLbSpeedButton* other : siblings) {
            if (other != this && other->m_groupIndex == m_groupIndex && other->m_down) {
                other->m_down = false;
                other->changed();
            }
        }
    }
    m_down = down;
    changed();
}

void TLbSpeedButton::setFlat(bool flat)
{
    if (flat == m_flat)
        return;
    m_flat = flat;
    changed();
}

void TLbSpeedButton::setFontColor(TColor color)
{
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    changed();
}

void TLbSpeedButton::setGlyph(const QImage& glyph)
{
    m_glyph = glyph;
    m_numGlyphs = glyph.height() > 0 ? glyph.width() / glyph.height() : 0;
    update();
}

void TLbSpeedButton::setGroupIndex(int index)
{
    if (index == m_groupIndex)
        return;
    m_groupIndex = index;
    changed();
}

void TLbSpeedButton::setLayout(TLbSpeedButton::TLbSpeedButtonLayout layout)
{
    if (layout == m_layout)
        return;
    m_layout = layout;
    changed();
}

void TLbSpeedButton::setLightColor(TColor color)
{
    if (color == m_lightColor)
        return;
    m_lightColor = color;
    changed();
}

void TLbSpeedButton::setNumGlyphs(int count)
{
    if (count == m_numGlyphs)
        return;
    m_numGlyphs = std::max(0, count);
    update();
}

void TLbSpeedButton::setPopupMenu(QMenu* menu)
{
    if (menu == m_popupMenu)
        return;
    m_popupMenu = menu;
    changed();
}

void TLbSpeedButton::setShadowColor(TColor color)
{
    if (color == m_shadowColor)
        return;
    m_shadowColor = color;
    changed();
}

void TLbSpeedButton::setSlowDecease(bool slow)
{
    if (slow == m_slowDecease)
        return;
    m_slowDecease = slow;
    if (slow) {
        if (!m_thread) {
            // A step that arrives while the mouse is back over the button
            // would fade the hot look out from under it; it just parks the
            // thread instead.
            m_thread = std::make_unique<TLbButtonThread>([this] {
                if (m_hot)
                    m_thread->Suspend();
                else
                    FadeStep();
            });
            m_thread->start();
        }
    } else {
        m_fadeLevel = 0;
        stopThread();
    }
    update();
}

void TLbSpeedButton::stopThread()
{
    if (!m_thread)
        return;
    m_thread->Terminate();
    m_thread->wait();
    m_thread.reset();
}

void TLbSpeedButton::setStyle(TLbSpeedButton::TLbSpeedButtonStyle style)
{
    // Gradients look wrong on a palette screen.
    if (style == bsModern && screen() && screen()->depth() <= 8)
        style = bsNormal;
    if (style == m_style)
        return;
    m_style = style;
    update();
}

void TLbSpeedButton::setTransparent(bool transparent)
{
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    changed();
}

void TLbSpeedButton::setWordWrap(bool wrap)
{
    if (wrap == m_wordWrap)
        return;
    m_wordWrap = wrap;
    changed();
}

void TLbSpeedButton::FadeStep()
{
    if (m_destroying)
        return;
    if (--m_fadeLevel <= 0) {
        m_fadeLevel = 0;
        if (m_thread)
            m_thread->Suspend();
    }
    changed();
}

void TLbSpeedButton::Click()
{
    if (m_popupMenu)
        m_popupMenu->popup(mapToGlobal(QPoint(0, height())));
    emit OnClick();
}

void TLbSpeedButton::accelerate()
{
    if (!reachable())
        return;
    const bool wasDown = m_down;
    setDown(true);
    repaint();
    Click();
    setDown(wasDown);
    repaint();
}

void TLbSpeedButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    if (m_groupIndex == 0 || !m_down)
        setDown(true);
    else if (m_allowAllUp)
        setDown(false);
}

void TLbSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    if (m_groupIndex == 0)
        setDown(false);
    if (rect().contains(event->position().toPoint()))
        Click();
}

void TLbSpeedButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void TLbSpeedButton::enterEvent(QEnterEvent*)
{
    if (!reachable())
        return;
    m_hot = true;
    m_fadeLevel = FadeSteps;
    if (m_thread)
        m_thread->Suspend();
    changed();
    emit OnMouseEnter();
}

void TLbSpeedButton::leaveEvent(QEvent*)
{
    m_hot = false;
    if (m_slowDecease && m_thread) {
        if (m_thread->Suspended())
            m_thread->Resume();
    } else {
        m_fadeLevel = 0;
        changed();
    }
    if (reachable())
        emit OnMouseExit();
}

void TLbSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, renderImage());
}
