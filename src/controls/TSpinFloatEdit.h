#pragma once

#include "controls/TCustomFloatEdit.h"

#include <functional>

class TSpinButton;

// The decimal edit with an arrow pair: the arrows and the up and down keys
// step the value by Increment, and EditorEnabled locks the text against
// typing while the arrows keep working.
class TSpinFloatEdit : public TCustomFloatEdit
{
    Q_OBJECT

public:
    // Replaces the built-in step; bIncrement is true for a step up.
    using TComputedIncrementEvent = std::function<void(QObject* Sender, bool bIncrement)>;

    explicit TSpinFloatEdit(QWidget* parent = nullptr);

    TSpinButton* Button() const { return m_button; }

    bool EditorEnabled() const { return m_editorEnabled; }
    double Increment() const { return m_increment; }
    void setOnComputedIncrement(TComputedIncrementEvent handler);

    // Replaces the system beep, for callers that must not make a sound.
    void setBeepHandler(std::function<void()> beep);

    QSize sizeHint() const override;

public slots:
    void setEditorEnabled(bool enabled);
    void setIncrement(double increment) { m_increment = increment; }
    void UpClick();
    void DownClick();

protected:
    bool editorAllowed() const override { return m_editorEnabled && !isReadOnly(); }
    bool focusFromPressInside(const QFocusEvent* event) const override;

    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void step(bool up);

    TSpinButton* m_button;
    TComputedIncrementEvent m_computedIncrement;
    std::function<void()> m_beep;
    double m_increment = 1.0;
    bool m_editorEnabled = true;
};
