#include "ui/main/MainWindowView.h"

#include "controls/TBitBtnWithColor.h"
#include "controls/TLbSpeedButton.h"
#include "controls/TLed.h"
#include "controls/TSpinEdit.h"
#include "ui/main/TFormMainUi.h"

#include <QAction>
#include <QLineEdit>

namespace {
constexpr TColor kUnset = 0xFEFEFEFE;
}

MainWindowView::MainWindowView(const TFormMainUi& ui) : m_ui(ui)
{
    // An impossible colour, so the first real one is always applied.
    m_labelColors.fill(kUnset);
}

TBitBtnWithColor* MainWindowView::button(RaceCommand command) const
{
    switch (command) {
    case RaceCommand::Start:
        return m_ui.bSTART;
    case RaceCommand::Lap:
        return m_ui.bLAP;
    case RaceCommand::Stop:
        return m_ui.bSTOP;
    case RaceCommand::Reset:
        return m_ui.bRESET;
    }
    return nullptr;
}

void MainWindowView::setCommandEnabled(RaceCommand command, bool enabled)
{
    button(command)->setEnabled(enabled);
    switch (command) {
    case RaceCommand::Start:
        m_ui.mStart->setEnabled(enabled);
        break;
    case RaceCommand::Lap:
        m_ui.mLAP->setEnabled(enabled);
        m_ui.mSplit->setEnabled(enabled);
        break;
    case RaceCommand::Stop:
        m_ui.mStop->setEnabled(enabled);
        break;
    case RaceCommand::Reset:
        m_ui.mReset->setEnabled(enabled);
        break;
    }
}

void MainWindowView::setCommandColor(RaceCommand command, TColor color)
{
    button(command)->setColor(color);
}

void MainWindowView::setCommandCaption(RaceCommand command, const std::string& caption)
{
    button(command)->setText(QString::fromStdString(caption));
}

void MainWindowView::focusCommand(RaceCommand command)
{
    button(command)->setFocus(Qt::OtherFocusReason);
}

void MainWindowView::setConfigEnabled(bool enabled)
{
    m_ui.bCFG->setEnabled(enabled);
}

void MainWindowView::setModeIndicator(IndicatorLight light, const std::string& caption)
{
    m_ui.LedModus->setKind(light == IndicatorLight::Green ? TLed::lkGreen : TLed::lkRed);
    m_ui.LabelModus->setText(QString::fromStdString(caption));
}

void MainWindowView::setSignalIndicator(IndicatorLight light, const std::string& caption)
{
    m_ui.LedSignal->setKind(light == IndicatorLight::Green ? TLed::lkGreen : TLed::lkRed);
    m_ui.LabelGesperrt->setText(QString::fromStdString(caption));
}

std::string MainWindowView::startNumberText() const
{
    return m_ui.editStartN->text().toStdString();
}

void MainWindowView::setStartNumberText(const std::string& text)
{
    m_ui.editStartN->setText(QString::fromStdString(text));
}

void MainWindowView::stepStartNumber()
{
    m_ui.seStartN->setValue(m_ui.seStartN->Value() + 1);
}

void MainWindowView::addDisplay(IDigitDisplay& display)
{
    m_displays.push_back(&display);
    for (std::size_t i = 0; i < m_digits.size(); ++i) {
        const auto control = static_cast<DisplayControl>(i);
        const ShownDigit& shown = m_digits[i];
        if (shown.value)
            display.setDigitValue(control, *shown.value);
        if (shown.on)
            display.setDigitColorOn(control, *shown.on);
        if (shown.off)
            display.setDigitColorOff(control, *shown.off);
        if (shown.background)
            display.setDigitBackground(control, *shown.background);
    }
    for (int i = static_cast<int>(DisplayControl::LabHour); i < kDisplayControlCount; ++i) {
        if (m_labelColors[i] != kUnset)
            display.setLabelFontColor(static_cast<DisplayControl>(i), m_labelColors[i]);
    }
    if (m_layout)
        display.applyResolutionLayout(*m_layout);
    display.showPending();
}

void MainWindowView::removeDisplay(IDigitDisplay& display)
{
    std::erase(m_displays, &display);
}

void MainWindowView::setDigitValue(DisplayControl control, int value)
{
    m_digits[static_cast<int>(control)].value = value;
    for (IDigitDisplay* display : m_displays)
        display->setDigitValue(control, value);
}

void MainWindowView::showPending()
{
    for (IDigitDisplay* display : m_displays)
        display->showPending();
}

void MainWindowView::setDigitColorOn(DisplayControl control, TColor color)
{
    m_digits[static_cast<int>(control)].on = color;
    for (IDigitDisplay* display : m_displays)
        display->setDigitColorOn(control, color);
}

void MainWindowView::setDigitColorOff(DisplayControl control, TColor color)
{
    m_digits[static_cast<int>(control)].off = color;
    for (IDigitDisplay* display : m_displays)
        display->setDigitColorOff(control, color);
}

void MainWindowView::setDigitBackground(DisplayControl control, TColor color)
{
    m_digits[static_cast<int>(control)].background = color;
    for (IDigitDisplay* display : m_displays)
        display->setDigitBackground(control, color);
}

void MainWindowView::setLabelFontColor(DisplayControl control, TColor color)
{
    TColor& current = m_labelColors[static_cast<int>(control)];
    if (current == color)
        return;
    current = color;
    for (IDigitDisplay* display : m_displays)
        display->setLabelFontColor(control, color);
}

void MainWindowView::applyResolutionLayout(const ResolutionLayout& layout)
{
    m_layout = layout;
    for (IDigitDisplay* display : m_displays)
        display->applyResolutionLayout(layout);
}
