#pragma once

#include <QLineEdit>

#include <cstdint>
#include <functional>

class TSpinButton;

// A single-line edit for a whole number with an arrow pair at its right
// edge. Typing is filtered to characters a number can hold; the range is
// enforced when the value is written, stepped or when the edit is left.
class TSpinEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    TSpinButton* Button() const { return m_button; }

    bool AutoSelect() const { return m_autoSelect; }
    bool EditorEnabled() const { return m_editorEnabled; }
    std::int32_t Increment() const { return m_increment; }
    std::int32_t MinValue() const { return m_minValue; }
    std::int32_t MaxValue() const { return m_maxValue; }
    bool ReadOnly() const { return isReadOnly(); }
    int MaxLength() const { return maxLength(); }

    // The text as a number; MinValue when it is not one. Deliberately not
    // clamped: a value out of range is corrected when the edit is left.
    std::int32_t Value() const;

    // Replaces the system beep, for callers that must not make a sound.
    void setBeepHandler(std::function<void()> beep);
    // The decimal separator the key filter lets through; the user's locale
    // unless set.
    void setDecimalSeparator(QChar separator) { m_decimalSeparator = separator; }

    QSize sizeHint() const override;

public slots:
    void setAutoSelect(bool autoSelect) { m_autoSelect = autoSelect; }
    void setEditorEnabled(bool enabled);
    void setIncrement(std::int32_t increment) { m_increment = increment; }
    void setMinValue(std::int32_t value) { m_minValue = value; }
    void setMaxValue(std::int32_t value) { m_maxValue = value; }
    void setMaxLength(int length) { QLineEdit::setMaxLength(length); }
    void setValue(std::int32_t value);
    void UpClick();
    void DownClick();

signals:
    void OnChange();
    // A character that passed the filter, just before the edit inserts it.
    void OnKeyPress(QChar key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::int32_t checkValue(std::int64_t value) const;
    bool isValidChar(QChar key) const;
    bool clipboardEditAllowed() const { return m_editorEnabled && !isReadOnly(); }
    void beep();

    TSpinButton* m_button;
    std::function<void()> m_beep;
    QChar m_decimalSeparator;
    std::int32_t m_increment = 1;
    std::int32_t m_minValue = 0;
    std::int32_t m_maxValue = 0;
    bool m_autoSelect = true;
    bool m_editorEnabled = true;
};
