#include "controls/TCustomFloatEdit.h"

#include "controls/TSpinEditCommon.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr QChar Enter(u'\r');
constexpr QChar LineFeed(u'\n');
constexpr QChar Escape(0x1B);

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

TCustomFloatEdit::TCustomFloatEdit(QWidget* parent)
    : QLineEdit(parent), m_separator(QLocale().decimalPoint().at(0))
{
    connect(this, &QLineEdit::textChanged, this, &TCustomFloatEdit::OnChange);
    QLineEdit::setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setText(textForm(0.0));
}

void TCustomFloatEdit::setDecimalSeparator(QChar separator)
{
    if (separator == m_separator)
        return;
    const double value = Value();
    m_separator = separator;
    setText(textForm(value));
}

QString TCustomFloatEdit::textForm(double value) const
{
    QString text = QString::number(value, 'f', m_digits);
    // A value that rounds to zero is shown without its sign.
    if (text.startsWith(u'-') &&
        std::all_of(text.begin() + 1, text.end(), [](QChar c) { return c == u'0' || c == u'.'; }))
        text.remove(0, 1);
    text.replace(u'.', m_separator);
    return text;
}

std::optional<double> TCustomFloatEdit::convert(const QString& text) const
{
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text.at(i) == u' ')
        ++i;
    while (end > i && text.at(end - 1) == u' ')
        --end;
    QByteArray number;
    if (i < end && (text.at(i) == u'+' || text.at(i) == u'-'))
        number += static_cast<char>(text.at(i++).unicode());
    int mantissaDigits = 0;
    for (; i < end && isAsciiDigit(text.at(i)); ++i, ++mantissaDigits)
        number += static_cast<char>(text.at(i).unicode());
    if (i < end && text.at(i) == m_separator) {
        number += '.';
        for (++i; i < end && isAsciiDigit(text.at(i)); ++i, ++mantissaDigits)
            number += static_cast<char>(text.at(i).unicode());
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < end && (text.at(i) == u'e' || text.at(i) == u'E')) {
        number += 'e';
        ++i;
        if (i < end && (text.at(i) == u'+' || text.at(i) == u'-'))
            number += static_cast<char>(text.at(i++).unicode());
        int exponentDigits = 0;
        for (; i < end && isAsciiDigit(text.at(i)); ++i, ++exponentDigits)
            number += static_cast<char>(text.at(i).unicode());
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double TCustomFloatEdit::Value() const
{
    QString t = text();
    if (t == QLatin1String("-") || t == QString(m_separator) || t.isEmpty() ||
        t == QLatin1String("E"))
        t = QStringLiteral("0");
    const double value = convert(t).value_or(m_min);
    return std::clamp(value, m_min, m_max);
}

void TCustomFloatEdit::setValue(double value)
{
    if (value > m_max) {
        reportError();
        value = m_max;
    } else if (std::isnan(value) || value < m_min) {
        reportError();
        value = m_min;
    }
    setText(textForm(value));
}

void TCustomFloatEdit::setMin(double value)
{
    if (value == m_min)
        return;
    if (value > m_max)
        throw ERangeError("Minimum value must not be greater than maximum value !");
    m_min = value;
    setValue(Value());
}

void TCustomFloatEdit::setMax(double value)
{
    if (value == m_max)
        return;
    if (value < m_min)
        throw ERangeError("Maximum value must not be less than minimum value !");
    m_max = value;
    setValue(Value());
}

void TCustomFloatEdit::setDigits(int digits)
{
    digits = std::clamp(digits, 0, MaxDigits);
    if (digits == m_digits)
        return;
    const double value = Value();
    m_digits = digits;
    setValue(value);
}

void TCustomFloatEdit::setAlignment(TCustomFloatEdit::TAlignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (alignment == taRightJustify)
        horizontal = Qt::AlignRight;
    else if (alignment == taCenter)
        horizontal = Qt::AlignHCenter;
    QLineEdit::setAlignment(horizontal | Qt::AlignVCenter);
}

void TCustomFloatEdit::reportError()
{
    if (!m_errorMessage.isEmpty())
        showErrorMessage(m_errorMessage);
}

void TCustomFloatEdit::showErrorMessage(const QString& message)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), message, QMessageBox::Ok,
                    this);
    box.exec();
}

QString TCustomFloatEdit::proposedText(QChar key) const
{
    const QString t = text();
    qsizetype start = cursorPosition();
    qsizetype length = 0;
    if (hasSelectedText()) {
        start = selectionStart();
        length = selectedText().size();
    }
    return t.left(start) + key + t.mid(start + length);
}

TCustomFloatEdit::KeyVerdict TCustomFloatEdit::discard(QChar key)
{
    emit OnKeyPress(key);
    return KeyVerdict::Drop;
}

TCustomFloatEdit::KeyVerdict TCustomFloatEdit::filterKey(QChar key)
{
    if (key == Enter || key == LineFeed) {
        emit OnEnterPress();
        return KeyVerdict::Drop;
    }
    if (key == Escape) {
        setValue(m_valueAtEntry);
        selectAll();
        emit OnKeyPress(QChar());
        return KeyVerdict::Drop;
    }
    // The rules below rewrite the text; a field the user may not type into
    // must not change behind a dropped key.
    if (!editorAllowed())
        return KeyVerdict::Drop;
    if (key.unicode() < 0x20)
        return KeyVerdict::Pass;
    if (key != u'-' && !isAsciiDigit(key) && key != u'e' && key != m_separator)
        return discard(key);
    const QString s = proposedText(key);
    if (s == QLatin1String("-")) {
        discard(key);
        setText(QStringLiteral("-0"));
        setSelection(1, 1);
        return KeyVerdict::Drop;
    }
    if (s == QString(m_separator)) {
        discard(key);
        setText(QStringLiteral("0") + m_separator + QStringLiteral("0"));
        setSelection(2, 1);
        return KeyVerdict::Drop;
    }
    if (s.isEmpty()) {
        discard(key);
        setText(textForm(m_min));
        selectAll();
        return KeyVerdict::Drop;
    }
    const std::optional<double> number = convert(s);
    if (!number || *number < m_min || *number > m_max)
        return discard(key);
    if (key == m_separator && m_digits == 0)
        return discard(key);
    const qsizetype separatorAt = s.indexOf(m_separator);
    if (!s.contains(u'E', Qt::CaseInsensitive) && separatorAt >= 0 &&
        s.size() - (separatorAt + 1) > m_digits)
        return discard(key);
    emit OnKeyPress(key);
    return KeyVerdict::Pass;
}

void TCustomFloatEdit::keyPressEvent(QKeyEvent* event)
{
    if (TSpinEditCommon::dialogTakesKey(this, event)) {
        event->ignore();
        return;
    }
    if (TSpinEditCommon::isCutOrPaste(event) && !editorAllowed()) {
        event->accept();
        return;
    }
    const QChar key = TSpinEditCommon::typedChar(event);
    if (key.isNull()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (filterKey(key) == KeyVerdict::Pass)
        QLineEdit::keyPressEvent(event);
    else
        event->accept();
}

bool TCustomFloatEdit::focusFromPressInside(const QFocusEvent* event) const
{
    return event->reason() == Qt::MouseFocusReason;
}

void TCustomFloatEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (m_autoSelect && !focusFromPressInside(event))
        selectAll();
    else if (!m_autoSelect && event->reason() != Qt::MouseFocusReason)
        deselect();
    m_valueAtEntry = Value();
    emit OnEnter();
}

void TCustomFloatEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu or another application taking the focus is no exit.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    QString t = text();
    if (t.isEmpty())
        t = textForm(m_min);
    const std::optional<double> number = convert(t);
    if (!number || *number < m_min || *number > m_max) {
        reportError();
        setValue(m_valueAtEntry);
        selectAll();
        // Taking the focus back from inside its own hand-over would confuse
        // the widget that is just receiving it; do it right afterwards.
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && isEnabled())
                setFocus(Qt::OtherFocusReason);
        });
        return;
    }
    setText(textForm(*number));
    setValue(convert(text()).value_or(m_min));
    emit OnExit();
}
