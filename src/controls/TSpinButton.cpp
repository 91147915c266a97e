#include "controls/TSpinButton.h"

#include "controls/TTimerSpeedButton.h"

#include <QKeyEvent>

namespace {

// 9 x 6 arrows on white; the bottom-left pixel is white, so white is what the
// button leaves transparent.
QImage arrowGlyph(bool up)
{
    QImage image(9, 6, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int row = 0; row < 4; ++row) {
        const int y = up ? 1 + row : 4 - row;
        for (int x = 4 - row; x <= 4 + row; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    }
    return image;
}

} // namespace

TSpinButton::TSpinButton(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    m_up = new TTimerSpeedButton(this);
    m_down = new TTimerSpeedButton(this);
    for (TTimerSpeedButton* arrow : {m_up, m_down}) {
        arrow->setAllowTimer(true);
        connect(arrow, &QAbstractButton::pressed, this, [this, arrow] { arrowPressed(arrow); });
    }
    m_up->setGlyph(defaultUpGlyph());
    m_down->setGlyph(defaultDownGlyph());
    connect(m_up, &QAbstractButton::clicked, this, &TSpinButton::OnUpClick);
    connect(m_down, &QAbstractButton::clicked, this, &TSpinButton::OnDownClick);
    m_focused = m_up;
    setMinimumWidth(MinimumWidth);
    resize(20, 25);
    layoutArrows();
}

QImage TSpinButton::defaultUpGlyph()
{
    static const QImage glyph = arrowGlyph(true);
    return glyph;
}

QImage TSpinButton::defaultDownGlyph()
{
    static const QImage glyph = arrowGlyph(false);
    return glyph;
}

QSize TSpinButton::sizeHint() const
{
    return {20, 25};
}

QImage TSpinButton::UpGlyph() const
{
    return m_up->Glyph();
}

QImage TSpinButton::DownGlyph() const
{
    return m_down->Glyph();
}

int TSpinButton::UpNumGlyphs() const
{
    return m_up->NumGlyphs();
}

int TSpinButton::DownNumGlyphs() const
{
    return m_down->NumGlyphs();
}

void TSpinButton::setUpGlyph(const QImage& glyph)
{
    m_up->setGlyph(glyph.isNull() ? defaultUpGlyph() : glyph);
}

void TSpinButton::setDownGlyph(const QImage& glyph)
{
    m_down->setGlyph(glyph.isNull() ? defaultDownGlyph() : glyph);
}

void TSpinButton::setUpNumGlyphs(int count)
{
    m_up->setNumGlyphs(count);
}

void TSpinButton::setDownNumGlyphs(int count)
{
    m_down->setNumGlyphs(count);
}

void TSpinButton::setFocusControl(QWidget* control)
{
    m_focusControl = control;
}

void TSpinButton::setTabStop(bool tabStop)
{
    setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus);
}

void TSpinButton::resizeEvent(QResizeEvent*)
{
    layoutArrows();
}

void TSpinButton::layoutArrows()
{
    // The arrows share one line, so the pair looks like a single split button.
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half - 1, width(), height() - half + 1);
}

void TSpinButton::arrowPressed(TTimerSpeedButton* arrow)
{
    if (isEnabled())
        setFocusedButton(arrow);
    QWidget* target = m_focusControl;
    if (target && (target->focusPolicy() & Qt::TabFocus) && target->isEnabled() &&
        target->isVisible()) {
        if (!target->hasFocus())
            target->setFocus(Qt::OtherFocusReason);
    } else if (TabStop() && isEnabled() && isVisible()) {
        setFocus(Qt::MouseFocusReason);
    }
}

void TSpinButton::setFocusedButton(TTimerSpeedButton* arrow)
{
    if (arrow == m_focused)
        return;
    m_focused->setFocusRect(false);
    m_focused = arrow;
    m_focused->setFocusRect(hasFocus());
}

void TSpinButton::clickArrow(TTimerSpeedButton* arrow)
{
    if (arrow->isEnabled())
        emit arrow->clicked(false);
}

void TSpinButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        clickArrow(m_focused);
        break;
    case Qt::Key_Up:
        setFocusedButton(m_up);
        clickArrow(m_up);
        break;
    case Qt::Key_Down:
        setFocusedButton(m_down);
        clickArrow(m_down);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TSpinButton::focusInEvent(QFocusEvent* event)
{
    m_focused->setFocusRect(true);
    QWidget::focusInEvent(event);
}

void TSpinButton::focusOutEvent(QFocusEvent* event)
{
    m_focused->setFocusRect(false);
    QWidget::focusOutEvent(event);
}
