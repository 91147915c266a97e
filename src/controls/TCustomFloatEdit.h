#pragma once

#include <QLineEdit>

#include <optional>
#include <stdexcept>

// A single-line edit for a decimal number within a range, shown with a fixed
// number of decimals. Every typed character is checked against the text it
// would produce, so the text only ever grows through numbers in range.
// Leaving the field with a number out of range is refused and the field
// keeps the focus.
class TCustomFloatEdit : public QLineEdit
{
    Q_OBJECT

public:
    enum TAlignment
    {
        taLeftJustify,
        taRightJustify,
        taCenter
    };

    // A bound that would make the range empty. Callers decide how to show it.
    class ERangeError : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };

    static constexpr int MaxDigits = 18;

    explicit TCustomFloatEdit(QWidget* parent = nullptr);

    // The number the text stands for: the texts "-", the separator alone,
    // "E" and the empty text read as 0, what does not convert reads as Min,
    // and the result is clamped to the range without a message.
    double Value() const;
    double Min() const { return m_min; }
    double Max() const { return m_max; }
    int Digits() const { return m_digits; }
    QString ErrorMessage() const { return m_errorMessage; }
    TAlignment Alignment() const { return m_alignment; }
    bool AutoSelect() const { return m_autoSelect; }
    bool ReadOnly() const { return isReadOnly(); }
    int MaxLength() const { return maxLength(); }

    QChar decimalSeparator() const { return m_separator; }
    // Taken from the user's locale when the edit is created; settable so a
    // caller (or a test) can pin it.
    void setDecimalSeparator(QChar separator);

    // The text a value is shown as: fixed point, Digits decimals.
    QString textForm(double value) const;
    // Converts like the system's number conversion under this edit's
    // separator: optional blanks and sign, digits with at most one separator,
    // an optional exponent. Empty when the text is no number.
    std::optional<double> convert(const QString& text) const;

    // Bounds are checked against each other; a violation throws ERangeError
    // and leaves both bounds as they were.
    void setMin(double value);
    void setMax(double value);

public slots:
    // Clamps to the range and shows ErrorMessage if it had to.
    void setValue(double value);
    void setDigits(int digits);
    void setErrorMessage(const QString& message) { m_errorMessage = message; }
    void setAlignment(TCustomFloatEdit::TAlignment alignment);
    void setAutoSelect(bool autoSelect) { m_autoSelect = autoSelect; }

signals:
    void OnChange();
    void OnEnterPress();
    // A character the filter refused, or a null character after Escape.
    void OnKeyPress(QChar key);
    void OnEnter();
    void OnExit();

protected:
    enum class KeyVerdict
    {
        Pass,
        Drop
    };

    // The character filter; it may rewrite the text itself (for "-" and a
    // lone separator) and then drops the character.
    virtual KeyVerdict filterKey(QChar key);
    // Shows ErrorMessage; overridable so it can be observed without a box.
    virtual void showErrorMessage(const QString& message);

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    // Whether typing, cutting and pasting may change the text.
    virtual bool editorAllowed() const { return !isReadOnly(); }
    // Whether a press of the mouse inside the text gave the focus.
    virtual bool focusFromPressInside(const QFocusEvent* event) const;
    void reportError();
    double valueAtEntry() const { return m_valueAtEntry; }

private:
    KeyVerdict discard(QChar key);
    QString proposedText(QChar key) const;

    QChar m_separator;
    double m_min = 0.0;
    double m_max = 100.0;
    double m_valueAtEntry = 0.0;
    int m_digits = 1;
    QString m_errorMessage;
    TAlignment m_alignment = taRightJustify;
    bool m_autoSelect = true;
};
