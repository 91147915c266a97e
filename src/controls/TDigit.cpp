#include "controls/TDigit.h"

#include "controls/DigitPresenter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPoint>
#include <QResizeEvent>

TDigit::TDigit(QWidget* parent)
    : QWidget(parent), m_qColorOff(colorFromRef(m_colorOff)), m_qColorOn(colorFromRef(m_colorOn)),
      m_qColor(colorFromRef(m_color))
{
    // Every pixel is ours, so the parent need not paint behind the digit.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(16, 32);
}

void TDigit::setValue(int value)
{
    if (value == m_value)
        return;
    const bool overflow = value < 0 || value > 9;
    m_value = overflow ? 0 : value;
    if (overflow)
        emit OnOverflow(this);
    // Only a pattern that differs is redrawn: an overflowing digit keeps
    // showing 0 and is fed again on every refresh.
    const std::uint8_t pattern = Patterns[static_cast<std::size_t>(m_value)];
    if (pattern == m_valueBinary)
        return;
    m_valueBinary = pattern;
    showNewValue();
}

void TDigit::setValueBinary(std::uint8_t pattern)
{
    if (pattern == m_valueBinary)
        return;
    m_valueBinary = pattern;
    showNewValue();
}

void TDigit::showNewValue()
{
    if (m_presenter)
        m_presenter->hold(this);
    else
        update();
}

void TDigit::setBorderStyle(TDigit::TBorderStyle style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    dropFaces();
    update();
}

void TDigit::setColorOff(TColor color)
{
    if (color == m_colorOff)
        return;
    m_colorOff = color;
    m_qColorOff = colorFromRef(color);
    dropFaces();
    update();
}

void TDigit::setColorOn(TColor color)
{
    if (color == m_colorOn)
        return;
    m_colorOn = color;
    m_qColorOn = colorFromRef(color);
    dropFaces();
    update();
}

void TDigit::setColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    m_qColor = colorFromRef(color);
    dropFaces();
    update();
}

void TDigit::setSeparation(int separation)
{
    m_separation = separation;
    dropFaces();
    update();
}

void TDigit::setThickness(int thickness)
{
    if (thickness > width() / 2 || thickness > height() / 2)
        return;
    m_thickness = thickness;
    dropFaces();
    update();
}

void TDigit::dropFaces()
{
    for (QImage& face : m_faces)
        face = QImage();
}

void TDigit::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    dropFaces();
}

const QImage& TDigit::face()
{
    QImage& face = m_faces[m_valueBinary];
    const qreal ratio = devicePixelRatioF();
    if (face.isNull() || face.devicePixelRatio() != ratio) {
        face = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
        face.setDevicePixelRatio(ratio);
        QPainter facePainter(&face);
        paintFace(facePainter, m_valueBinary);
    }
    return face;
}

void TDigit::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, face());
}

void TDigit::paintFace(QPainter& painter, std::uint8_t pattern) const
{
    const int w = width() - 1;
    const int h = height() - 1;
    const int t = m_thickness;
    const int s = m_separation;
    const int m = h / 2;

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect(), m_qColor);
    // The outline in the background colour is what separates neighbouring
    // elements, so it is part of the look and not a decoration.
    painter.setPen(QPen(m_qColor, 0));

    const auto draw = [&](std::uint8_t mask, const QPoint* points, int count) {
        painter.setBrush((pattern & mask) == mask ? m_qColorOn : m_qColorOff);
        painter.drawPolygon(points, count);
    };

    static constexpr std::uint8_t barMasks[] = {segTop, segMiddle, segBottom};
    const int barTops[] = {0, m - t, h - 2 * t};
    for (int i = 0; i < 3; ++i) {
        const int y0 = barTops[i];
        const QPoint bar[6] = {{s + t, y0 + t},
                               {s + 2 * t, y0},
                               {w - s - 2 * t, y0},
                               {w - s - t, y0 + t},
                               {w - s - 2 * t, y0 + 2 * t},
                               {s + 2 * t, y0 + 2 * t}};
        draw(barMasks[i], bar, 6);
    }

    static constexpr std::uint8_t sideMasks[] = {segUpperLeft, segUpperRight, segLowerLeft,
                                                 segLowerRight};
    const int sideLefts[] = {0, w - 2 * t, 0, w - 2 * t};
    const int sideTops[] = {0, 0, m - t, m - t};
    for (int i = 0; i < 4; ++i) {
        const int x0 = sideLefts[i];
        const int y0 = sideTops[i];
        const QPoint bar[6] = {{x0, y0 + 2 * t + s},         {x0 + t, y0 + t + s},
                               {x0 + 2 * t, y0 + 2 * t + s}, {x0 + 2 * t, y0 + m - t - s},
                               {x0 + t, y0 + m - s},         {x0, y0 + m - t - s}};
        draw(sideMasks[i], bar, 6);
    }

    const QPoint corner[3] = {{w, h}, {w - 2 * t + s, h}, {w, h - 2 * t + s}};
    draw(segCornerMark, corner, 3);
}
