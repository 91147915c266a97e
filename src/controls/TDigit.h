#pragma once

#include "controls/ColorRef.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>

class DigitPresenter;

// One seven-segment digit plus a corner mark, painted from filled polygons.
// The time display sets Value and ColorOn of sixteen of these every 10 ms, so
// every setter asks for a repaint only when the value really changes. A new
// value is shown by the digit's presenter, when it has one, together with the
// other digits of the same tick (see DigitPresenter); otherwise the repaint is
// scheduled, so all digits changed by one tick are painted together in one
// pass and reach the screen in one flush, and a row never shows a
// half-updated time. Every other change takes the scheduled repaint.
class TDigit : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE setValue)
    Q_PROPERTY(int ValueBinary READ ValueBinary WRITE setValueBinary)
    Q_PROPERTY(int Thickness READ Thickness WRITE setThickness)
    Q_PROPERTY(int Separation READ Separation WRITE setSeparation)

public:
    enum TBorderStyle
    {
        bsNone = 0,
        bsSingle = 1,
    };
    Q_ENUM(TBorderStyle)

    // Segment masks of ValueBinary.
    enum : std::uint8_t
    {
        segTop = 1,
        segMiddle = 2,
        segBottom = 4,
        segUpperLeft = 8,
        segUpperRight = 16,
        segLowerLeft = 32,
        segLowerRight = 64,
        segCornerMark = 128,
    };

    static constexpr std::array<std::uint8_t, 10> Patterns = {125, 80,  55, 87,  90,
                                                              79,  111, 81, 127, 95};

    explicit TDigit(QWidget* parent = nullptr);

    int Value() const { return m_value; }
    std::uint8_t ValueBinary() const { return m_valueBinary; }
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    TColor ColorOff() const { return m_colorOff; }
    TColor ColorOn() const { return m_colorOn; }
    TColor Color() const { return m_color; }
    int Separation() const { return m_separation; }
    int Thickness() const { return m_thickness; }

    // Whoever shows new values from now on; nullptr for scheduled repaints.
    void setPresenter(DigitPresenter* presenter) { m_presenter = presenter; }
    // The digit as drawn now, made when first asked for.
    const QImage& face();

public slots:
    // Out of 0..9 shows 0 and reports OnOverflow.
    void setValue(int value);
    // Draws the byte as its bits say, corner mark included; Value is kept.
    void setValueBinary(std::uint8_t pattern);
    void setBorderStyle(TDigit::TBorderStyle style);
    void setColorOff(TColor color);
    void setColorOn(TColor color);
    // The background, also the outline of every element.
    void setColor(TColor color);
    void setSeparation(int separation);
    // Rejected silently when above half the current width or height; the
    // check is not repeated when the size changes later.
    void setThickness(int thickness);

signals:
    void OnOverflow(TDigit* Sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Draws the elements of a pattern; the only place that knows the shape.
    void paintFace(QPainter& painter, std::uint8_t pattern) const;
    // Forgets every drawn face; called whenever the look changes.
    void dropFaces();
    void showNewValue();

    int m_value = 0;
    std::uint8_t m_valueBinary = Patterns[0];
    TBorderStyle m_borderStyle = bsSingle;
    TColor m_colorOff = 0x000000;
    TColor m_colorOn = 0x00FFFF;
    TColor m_color = 0x000000;
    int m_separation = 1;
    int m_thickness = 2;
    // Resolved once per change, not on every paint.
    QColor m_qColorOff;
    QColor m_qColorOn;
    QColor m_qColor;
    // Each pattern shown is drawn once into an image and then only copied:
    // stroking seven outlined polygons every 10 ms cost more than everything
    // else a running race does. A running clock shows at most a dozen
    // patterns per digit, so the faces stay few.
    std::array<QImage, 256> m_faces;
    DigitPresenter* m_presenter = nullptr;
};
