#include "controls/TLed.h"

#include <QMouseEvent>
#include <QPainter>

#include <array>

namespace {

using Grid = std::array<const char*, 16>;

// One character per pixel: '.' is left alone, '1'..'6' index the palette.
constexpr Grid kCircleOff = {
    ".....222222.....", "...2233333322...", "..233333333331..", ".23333333333331.",
    ".23334443333331.", "2333443333333331", "2333433333333331", "2333433333333331",
    "2333333333333331", "2333333333333331", "2333333333333331", ".23333333333331.",
    ".23333333333331.", "..133333333331..", "...1133333311...", ".....111111.....",
};

constexpr Grid kCircleOn = {
    ".....222222.....", "...2234444422...", "..234455544441..", ".23455544444441.",
    ".24566644444441.", "2345664444444431", "2455644444444431", "2454444444444431",
    "2454444444444431", "2444444444444331", "2444444444444331", ".24444444444331.",
    ".24444444443331.", "..144444433331..", "...1133333311...", ".....111111.....",
};

constexpr Grid kRectangleOff = {
    "................", "................", "................", "2222222222222222",
    "2333333333333331", "2344443333333331", "2344333333333331", "2333333333333331",
    "2333333333333331", "2333333333333331", "2333333333333331", "2333333333333331",
    "2111111111111111", "................", "................", "................",
};

constexpr Grid kRectangleOn = {
    "................", "................", "................", "2222222222222222",
    "2444444444444441", "2455555555555431", "2456554444444431", "2455544444444431",
    "2455444444444431", "2454444444444431", "2444444444444431", "2433333333333331",
    "2111111111111111", "................", "................", "................",
};

// Indexes 1 to 3 are the rim and the dark body, the same for every kind.
constexpr std::array<std::array<TColor, 6>, 7> kPalettes = {{
    {0xFFFFFF, 0x808080, 0x000000, 0x0000FF, 0xFF00FF, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0x00FF00, 0x00FFFF, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0x00FFFF, 0xFFFFFF, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0x808000, 0xFFFF00, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0xFF00FF, 0xFFFFFF, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0xFF0000, 0xFFFF00, 0xFFFFFF},
    {0xFFFFFF, 0x808080, 0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF},
}};

} // namespace

TLed::TLed(QWidget* parent) : QWidget(parent)
{
    resize(16, 16);
}

void TLed::setKind(TLed::TLedKind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    m_patternDirty = true;
    repaint();
}

void TLed::setShape(TLed::TLedShape shape)
{
    if (shape == m_shape)
        return;
    m_shape = shape;
    m_patternDirty = true;
    repaint();
}

void TLed::setValue(bool value)
{
    if (value == m_value)
        return;
    m_value = value;
    m_patternDirty = true;
    repaint();
    updateLabel();
    emit OnChange(this);
}

void TLed::setLabelLinked(QLabel* label)
{
    if (label == m_labelLinked)
        return;
    m_labelLinked = label;
    updateLabel();
}

void TLed::setLabelOnText(const QString& text)
{
    if (text == m_labelOnText)
        return;
    m_labelOnText = text;
    updateLabel();
}

void TLed::setLabelOffText(const QString& text)
{
    if (text == m_labelOffText)
        return;
    m_labelOffText = text;
    updateLabel();
}

void TLed::updateLabel()
{
    if (m_labelLinked)
        m_labelLinked->setText(m_value ? m_labelOnText : m_labelOffText);
}

const QImage& TLed::pattern()
{
    if (!m_patternDirty)
        return m_pattern;
    const Grid& grid = m_shape == lsRectangle ? (m_value ? kRectangleOn : kRectangleOff)
                                              : (m_value ? kCircleOn : kCircleOff);
    const auto& palette = kPalettes[static_cast<std::size_t>(m_kind)];
    m_pattern = QImage(16, 16, QImage::Format_ARGB32);
    m_pattern.fill(Qt::transparent);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const char index = grid[static_cast<std::size_t>(y)][x];
            if (index < '1' || index > '6')
                continue;
            m_pattern.setPixelColor(x, y,
                                    colorFromRef(palette[static_cast<std::size_t>(index - '1')]));
        }
    }
    m_patternDirty = false;
    return m_pattern;
}

void TLed::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.drawImage(0, 0, pattern());
}

void TLed::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QWidget::mousePressEvent(event);
}

void TLed::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is a press and a release of the left button, both on the LED.
    const bool click = event->button() == Qt::LeftButton && m_pressed &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit OnClick(this);
}
