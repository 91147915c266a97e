#include "controls/TSpinEdit.h"

#include "controls/TSpinButton.h"
#include "controls/TSpinEditCommon.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>

#include <limits>

TSpinEdit::TSpinEdit(QWidget* parent)
    : QLineEdit(parent), m_button(TSpinEditCommon::createButton(this)),
      m_decimalSeparator(QLocale().decimalPoint().at(0))
{
    connect(m_button, &TSpinButton::OnUpClick, this, &TSpinEdit::UpClick);
    connect(m_button, &TSpinButton::OnDownClick, this, &TSpinEdit::DownClick);
    connect(this, &QLineEdit::textChanged, this, &TSpinEdit::OnChange);
    setText(QStringLiteral("0"));
    TSpinEditCommon::layout(this, m_button);
}

QSize TSpinEdit::sizeHint() const
{
    QSize hint = QLineEdit::sizeHint();
    hint.setHeight(std::max(hint.height(), TSpinEditCommon::minimumHeight(font())));
    return hint;
}

void TSpinEdit::setBeepHandler(std::function<void()> beep)
{
    m_beep = std::move(beep);
}

void TSpinEdit::beep()
{
    if (m_beep)
        m_beep();
    else
        QApplication::beep();
}

void TSpinEdit::setEditorEnabled(bool enabled)
{
    m_editorEnabled = enabled;
    setAcceptDrops(enabled);
}

std::int32_t TSpinEdit::Value() const
{
    bool ok = false;
    const int value = text().toInt(&ok, 10);
    return ok ? value : m_minValue;
}

std::int32_t TSpinEdit::checkValue(std::int64_t value) const
{
    if (m_minValue != m_maxValue)
        value = std::clamp<std::int64_t>(value, m_minValue, m_maxValue);
    // An unlimited edit stops at the ends of the type instead of wrapping.
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void TSpinEdit::setValue(std::int32_t value)
{
    setText(QString::number(checkValue(value)));
}

void TSpinEdit::UpClick()
{
    if (isReadOnly())
        beep();
    else
        setValue(checkValue(std::int64_t{Value()} + m_increment));
}

void TSpinEdit::DownClick()
{
    if (isReadOnly())
        beep();
    else
        setValue(checkValue(std::int64_t{Value()} - m_increment));
}

bool TSpinEdit::isValidChar(QChar key) const
{
    const bool control = key.unicode() < 0x20;
    if (!m_editorEnabled && (key == QChar(0x08) || !control))
        return false;
    if (control)
        return key != QChar(u'\r');
    return key == u'+' || key == u'-' || (key >= u'0' && key <= u'9') || key == m_decimalSeparator;
}

void TSpinEdit::keyPressEvent(QKeyEvent* event)
{
    if (TSpinEditCommon::dialogTakesKey(this, event)) {
        event->ignore();
        return;
    }
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        if (event->key() == Qt::Key_Up)
            UpClick();
        else
            DownClick();
        event->accept();
        return;
    }
    if (TSpinEditCommon::isCutOrPaste(event) && !clipboardEditAllowed()) {
        event->accept();
        return;
    }
    const QChar key = TSpinEditCommon::typedChar(event);
    if (key.isNull()) {
        // Keys that type nothing (Delete, cursor keys) edit only while typing
        // is allowed; the cursor keys stay useful either way.
        if (!m_editorEnabled && event->key() == Qt::Key_Delete) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (!isValidChar(key)) {
        beep();
        event->accept();
        return;
    }
    emit OnKeyPress(key);
    if (key == QChar(0x1B)) {
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TSpinEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // A press on the arrows hands the focus over without placing the caret,
    // so it counts as entering the field, not as a click into the text.
    const bool pressInside = event->reason() == Qt::MouseFocusReason && !m_button->underMouse();
    if (m_autoSelect && !pressInside)
        selectAll();
    else if (!m_autoSelect && event->reason() != Qt::MouseFocusReason)
        deselect();
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu or another application taking the focus is no exit.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    const std::int32_t value = Value();
    if (checkValue(value) != value)
        setValue(value);
}

void TSpinEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    TSpinEditCommon::layout(this, m_button);
}

void TSpinEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        TSpinEditCommon::layout(this, m_button);
}

void TSpinEdit::contextMenuEvent(QContextMenuEvent* event)
{
    TSpinEditCommon::popupMenu(this, event, clipboardEditAllowed());
}

void TSpinEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (!TSpinEditCommon::swallowsPaste(event, clipboardEditAllowed()))
        QLineEdit::mouseReleaseEvent(event);
}
