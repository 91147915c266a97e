#include "controls/TSpinFloatEdit.h"

#include "controls/TSpinButton.h"
#include "controls/TSpinEditCommon.h"

#include <QApplication>
#include <QKeyEvent>

TSpinFloatEdit::TSpinFloatEdit(QWidget* parent)
    : TCustomFloatEdit(parent), m_button(TSpinEditCommon::createButton(this))
{
    connect(m_button, &TSpinButton::OnUpClick, this, &TSpinFloatEdit::UpClick);
    connect(m_button, &TSpinButton::OnDownClick, this, &TSpinFloatEdit::DownClick);
    TSpinEditCommon::layout(this, m_button);
}

QSize TSpinFloatEdit::sizeHint() const
{
    QSize hint = TCustomFloatEdit::sizeHint();
    hint.setHeight(std::max(hint.height(), TSpinEditCommon::minimumHeight(font())));
    return hint;
}

void TSpinFloatEdit::setOnComputedIncrement(TComputedIncrementEvent handler)
{
    m_computedIncrement = std::move(handler);
}

void TSpinFloatEdit::setBeepHandler(std::function<void()> beep)
{
    m_beep = std::move(beep);
}

void TSpinFloatEdit::setEditorEnabled(bool enabled)
{
    m_editorEnabled = enabled;
    setAcceptDrops(enabled);
}

void TSpinFloatEdit::UpClick()
{
    step(true);
}

void TSpinFloatEdit::DownClick()
{
    step(false);
}

void TSpinFloatEdit::step(bool up)
{
    if (isReadOnly()) {
        if (m_beep)
            m_beep();
        else
            QApplication::beep();
        return;
    }
    if (m_computedIncrement) {
        m_computedIncrement(this, up);
        return;
    }
    setValue(up ? Value() + m_increment : Value() - m_increment);
}

bool TSpinFloatEdit::focusFromPressInside(const QFocusEvent* event) const
{
    // A press on the arrows hands the focus over without placing the caret.
    return TCustomFloatEdit::focusFromPressInside(event) && !m_button->underMouse();
}

void TSpinFloatEdit::keyPressEvent(QKeyEvent* event)
{
    if (TSpinEditCommon::dialogTakesKey(this, event)) {
        event->ignore();
        return;
    }
    if (!m_editorEnabled && TSpinEditCommon::typedChar(event).isNull()) {
        // A locked editor ignores every key that types nothing, the arrow
        // keys included.
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        step(event->key() == Qt::Key_Up);
        event->accept();
        return;
    }
    TCustomFloatEdit::keyPressEvent(event);
}

void TSpinFloatEdit::resizeEvent(QResizeEvent* event)
{
    TCustomFloatEdit::resizeEvent(event);
    TSpinEditCommon::layout(this, m_button);
}

void TSpinFloatEdit::changeEvent(QEvent* event)
{
    TCustomFloatEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        TSpinEditCommon::layout(this, m_button);
}

void TSpinFloatEdit::contextMenuEvent(QContextMenuEvent* event)
{
    TSpinEditCommon::popupMenu(this, event, editorAllowed());
}

void TSpinFloatEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (!TSpinEditCommon::swallowsPaste(event, editorAllowed()))
        TCustomFloatEdit::mouseReleaseEvent(event);
}
