#pragma once

#include "controls/TTimerSpeedButtonTimer.h"

#include <QAbstractButton>
#include <QImage>

#include <memory>

// One arrow of a spin button pair: a flat push button that keeps clicking
// while it is held. It never takes the focus itself; its owner draws the
// focus rectangle on it through setFocusRect.
class TTimerSpeedButton : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int FirstRepeatMs = 400;
    static constexpr int RepeatMs = 100;

    explicit TTimerSpeedButton(QWidget* parent = nullptr);
    ~TTimerSpeedButton() override;

    bool AllowTimer() const { return m_allowTimer; }
    bool FocusRect() const { return m_focusRect; }

    // A strip of NumGlyphs images of equal width: up, disabled, down. The
    // bottom-left pixel of each image marks its transparent colour.
    const QImage& Glyph() const { return m_glyph; }
    int NumGlyphs() const { return m_numGlyphs; }

    // Replaces the repeat timer, for instance with one a test drives. The
    // button owns it from now on.
    void setRepeatTimer(std::unique_ptr<TTimerSpeedButtonTimer> timer);
    TTimerSpeedButtonTimer* repeatTimer() const { return m_timer.get(); }

    QSize sizeHint() const override;

public slots:
    void setAllowTimer(bool allow);
    void setFocusRect(bool show);
    void setGlyph(const QImage& glyph);
    void setNumGlyphs(int count);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void repeat();
    QImage glyphForState() const;

    QImage m_glyph;
    int m_numGlyphs = 1;
    bool m_allowTimer = false;
    bool m_focusRect = false;
    bool m_held = false;
    std::unique_ptr<TTimerSpeedButtonTimer> m_timer;
};
