// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/display/DigitPanel.h"

#include "controls/ColorRef.h"
#include "controls/TDigit.h"
#include "core/DisplayLayout.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFirstLabel = static_cast<int>(DisplayControl::LabHour);
constexpr int kSecondRow = static_cast<int>(DisplayControl::Digit12);
constexpr int kFirstSeparator[2] = {static_cast<int>(DisplayControl::LabHour),
                                    static_cast<int>(DisplayControl::LabHour2)};
constexpr int kFirstUnit = static_cast<int>(DisplayControl::Lab_Hour);

// The fonts the classic form names, through their metric twins on Linux.
QFont pixelFont(const char* family, double pixels)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setBold(true);
    return font;
}

void setColour(QWidget* widget, QPalette::ColorRole role, TColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colorFromRef(color));
    widget->setPalette(palette);
}

} // namespace

QRect DigitPanel::scaledRect(QPointF origin, double scale, double x, double y, double w, double h)
{
    const int left = static_cast<int>(std::lround(origin.x() + x * scale));
    const int top = static_cast<int>(std::lround(origin.y() + y * scale));
    return QRect(left, top, static_cast<int>(std::lround(origin.x() + (x + w) * scale)) - left,
                 static_cast<int>(std::lround(origin.y() + (y + h) * scale)) - top);
}

DigitPanel::DigitPanel(QWidget* parent) : QFrame(parent)
{
    setAutoFillBackground(true);
    for (TDigit*& d : m_digits) {
        d = new TDigit(this);
        d->setColor(0x000000);
        d->setColorOff(0x000000);
        d->setValueBinary(TDigit::Patterns[0]);
        d->setPresenter(&m_presenter);
    }
    const char* const texts[] = {":", ".", ",", "Std.", "Min.", "Sek.", "100", ":", ".", ","};
    for (int i = kFirstLabel; i < kDisplayControlCount; ++i) {
        auto* l = new QLabel(QString::fromLatin1(texts[i - kFirstLabel]), this);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_labels[i] = l;
    }
    for (int row : kFirstSeparator) {
        for (int i = 0; i < 3; ++i)
            m_labels[row + i]->setAlignment(Qt::AlignCenter);
    }
    place(1.0);
}

TDigit* DigitPanel::digit(DisplayControl control) const
{
    const int index = static_cast<int>(control);
    return index < kFirstLabel ? m_digits[index] : nullptr;
}

QLabel* DigitPanel::label(DisplayControl control) const
{
    return m_labels[static_cast<int>(control)];
}

QWidget* DigitPanel::control(DisplayControl control) const
{
    if (TDigit* d = digit(control))
        return d;
    return label(control);
}

void DigitPanel::setDigitValue(DisplayControl control, int value)
{
    digit(control)->setValue(value);
}

void DigitPanel::setDigitColorOn(DisplayControl control, TColor color)
{
    digit(control)->setColorOn(color);
}

void DigitPanel::setDigitColorOff(DisplayControl control, TColor color)
{
    digit(control)->setColorOff(color);
}

void DigitPanel::setDigitBackground(DisplayControl control, TColor color)
{
    digit(control)->setColor(color);
}

void DigitPanel::setLabelFontColor(DisplayControl control, TColor color)
{
    setColour(label(control), QPalette::WindowText, color);
}

void DigitPanel::showPending()
{
    m_presenter.present();
}

void DigitPanel::setColours(TColor background, TColor text)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colorFromRef(background));
    palette.setColor(QPalette::WindowText, colorFromRef(text));
    setPalette(palette);
}

void DigitPanel::applyResolutionLayout(const ResolutionLayout& layout)
{
    if (m_layout == layout)
        return;
    m_layout = layout;
    digit(DisplayControl::Digit8)->setVisible(layout.hundredthsVisible);
    digit(DisplayControl::Digit22)->setVisible(layout.hundredthsVisible);
    digit(DisplayControl::Digit7)->setVisible(layout.tenthsVisible);
    digit(DisplayControl::Digit21)->setVisible(layout.tenthsVisible);
    label(DisplayControl::Lab_100)->setText(QString::fromStdString(layout.lab100Caption));
    label(DisplayControl::Lab_100)->setVisible(layout.lab100Visible);
    label(DisplayControl::LabSec)->setVisible(layout.commasVisible);
    label(DisplayControl::LabSec2)->setVisible(layout.commasVisible);
    place(m_scale, m_origin);
    emit resolutionLayoutChanged();
}

void DigitPanel::place(double scale, QPointF origin)
{
    using L = DisplayLayout;
    m_scale = scale;
    m_origin = origin;
    const int left = m_layout ? m_layout->panelTimerLeft : 0;
    const int width = m_layout ? m_layout->panelTimerWidth : L::kOwnerWidth;
    setGeometry(scaledRect(origin, scale, left, 0, width, L::kPanelHeight));
    auto inPanel = [scale](double x, double y, double w, double h) {
        return scaledRect(QPointF(), scale, x, y, w, h);
    };

    for (int place = 0; place < 8; ++place) {
        const double x = L::kDigitLeft[place];
        m_digits[place]->setGeometry(
            inPanel(x, L::kFirstRowTop, L::kDigitWidth, L::kFirstRowHeight));
        m_digits[kSecondRow + place]->setGeometry(
            inPanel(x, L::kSecondRowTop, L::kDigitWidth, L::kSecondRowHeight));
    }
    // The thickness is checked against the size only when it is set.
    const int separation = std::max(1, static_cast<int>(std::lround(L::kDigitSeparation * scale)));
    const int thickness = std::max(1, static_cast<int>(std::lround(L::kDigitThickness * scale)));
    for (TDigit* d : m_digits) {
        d->setSeparation(separation);
        d->setThickness(thickness);
    }

    const QFont separatorFont = pixelFont("Liberation Serif", L::kSeparatorFontPixels * scale);
    const int rowTop[2] = {L::kFirstRowTop, L::kSecondRowTop};
    const int rowHeight[2] = {L::kFirstRowHeight, L::kSecondRowHeight};
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 3; ++i) {
            QLabel* separator = m_labels[kFirstSeparator[row] + i];
            separator->setGeometry(
                inPanel(L::kSeparatorLeft[i], rowTop[row], L::kSeparatorWidth, rowHeight[row]));
            separator->setFont(separatorFont);
        }
    }
    const QFont unitFont = pixelFont("Liberation Sans", L::kUnitFontPixels * scale);
    for (int i = 0; i < 4; ++i) {
        QLabel* unit = m_labels[kFirstUnit + i];
        const int x = i == 3 && m_layout ? m_layout->lab100Left : L::kUnitLabelLeft[i];
        unit->setGeometry(inPanel(x, L::kUnitLabelTop, L::kUnitLabelWidth, L::kUnitLabelHeight));
        unit->setFont(unitFont);
    }
}
