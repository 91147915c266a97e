#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

class TTimerSpeedButton;

// Two stacked arrow buttons that repeat while held. Pressing an arrow hands
// the keyboard focus to FocusControl, so the edit beside it keeps the caret.
class TSpinButton : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MinimumWidth = 15;

    explicit TSpinButton(QWidget* parent = nullptr);

    TTimerSpeedButton* UpButton() const { return m_up; }
    TTimerSpeedButton* DownButton() const { return m_down; }
    // The arrow that space clicks and that shows the focus rectangle.
    TTimerSpeedButton* FocusedButton() const { return m_focused; }

    QImage UpGlyph() const;
    QImage DownGlyph() const;
    int UpNumGlyphs() const;
    int DownNumGlyphs() const;
    QWidget* FocusControl() const { return m_focusControl; }
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }

    // The arrows drawn when no glyph of one's own was given.
    static QImage defaultUpGlyph();
    static QImage defaultDownGlyph();

    QSize sizeHint() const override;

public slots:
    void setUpGlyph(const QImage& glyph);
    void setDownGlyph(const QImage& glyph);
    void setUpNumGlyphs(int count);
    void setDownNumGlyphs(int count);
    void setFocusControl(QWidget* control);
    void setTabStop(bool tabStop);

signals:
    void OnUpClick();
    void OnDownClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void arrowPressed(TTimerSpeedButton* arrow);
    void setFocusedButton(TTimerSpeedButton* arrow);
    void clickArrow(TTimerSpeedButton* arrow);
    void layoutArrows();

    TTimerSpeedButton* m_up;
    TTimerSpeedButton* m_down;
    TTimerSpeedButton* m_focused;
    QPointer<QWidget> m_focusControl;
};
