#include "ui/main/MainWindowView.h"

#include "controls/ColorRef.h"
#include "controls/TBitBtnWithColor.h"
#include "controls/TDigit.h"
#include "controls/TLbSpeedButton.h"
#include "controls/TLed.h"
#include "controls/TSpinEdit.h"
#include "ui/display/Scoreboard.h"
#include "ui/main/TFormMain.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

namespace {
constexpr TColor kUnset = 0xFEFEFEFE;
}

MainWindowView::MainWindowView(TFormMain& form) : m_form(form)
{
    // An impossible colour, so the first real one is always applied.
    m_labelColors.fill(kUnset);
    for (int i = 0; i <= static_cast<int>(DisplayControl::Digit22); ++i)
        digit(static_cast<DisplayControl>(i))->setPresenter(&m_presenter);
}

TBitBtnWithColor* MainWindowView::button(RaceCommand command) const
{
    switch (command) {
    case RaceCommand::Start:
        return m_form.bSTART;
    case RaceCommand::Lap:
        return m_form.bLAP;
    case RaceCommand::Stop:
        return m_form.bSTOP;
    case RaceCommand::Reset:
        return m_form.bRESET;
    }
    return nullptr;
}

void MainWindowView::setCommandEnabled(RaceCommand command, bool enabled)
{
    button(command)->setEnabled(enabled);
    switch (command) {
    case RaceCommand::Start:
        m_form.mStart->setEnabled(enabled);
        break;
    case RaceCommand::Lap:
        m_form.mLAP->setEnabled(enabled);
        m_form.mSplit->setEnabled(enabled);
        break;
    case RaceCommand::Stop:
        m_form.mStop->setEnabled(enabled);
        break;
    case RaceCommand::Reset:
        m_form.mReset->setEnabled(enabled);
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
    m_form.bCFG->setEnabled(enabled);
}

void MainWindowView::setModeIndicator(IndicatorLight light, const std::string& caption)
{
    m_form.LedModus->setKind(light == IndicatorLight::Green ? TLed::lkGreen : TLed::lkRed);
    m_form.LabelModus->setText(QString::fromStdString(caption));
}

void MainWindowView::setSignalIndicator(IndicatorLight light, const std::string& caption)
{
    m_form.LedSignal->setKind(light == IndicatorLight::Green ? TLed::lkGreen : TLed::lkRed);
    m_form.LabelGesperrt->setText(QString::fromStdString(caption));
}

std::string MainWindowView::startNumberText() const
{
    return m_form.editStartN->text().toStdString();
}

void MainWindowView::setStartNumberText(const std::string& text)
{
    m_form.editStartN->setText(QString::fromStdString(text));
}

void MainWindowView::stepStartNumber()
{
    m_form.seStartN->setValue(m_form.seStartN->Value() + 1);
}

TDigit* MainWindowView::digit(DisplayControl control) const
{
    return static_cast<TDigit*>(m_form.displayControl(control));
}

IDigitDisplay* MainWindowView::mirror() const
{
    return m_form.scoreboard();
}

void MainWindowView::mirrorTo(IDigitDisplay& other) const
{
    for (int i = 0; i <= static_cast<int>(DisplayControl::Digit22); ++i) {
        const auto control = static_cast<DisplayControl>(i);
        const TDigit* shown = digit(control);
        other.setDigitValue(control, shown->Value());
        other.setDigitColorOn(control, shown->ColorOn());
        other.setDigitColorOff(control, shown->ColorOff());
        other.setDigitBackground(control, shown->Color());
    }
    for (int i = static_cast<int>(DisplayControl::LabHour); i < kDisplayControlCount; ++i) {
        if (m_labelColors[i] != kUnset)
            other.setLabelFontColor(static_cast<DisplayControl>(i), m_labelColors[i]);
    }
    if (m_layout)
        other.applyResolutionLayout(*m_layout);
    other.showPending();
}

void MainWindowView::setDigitValue(DisplayControl control, int value)
{
    digit(control)->setValue(value);
    if (IDigitDisplay* other = mirror())
        other->setDigitValue(control, value);
}

void MainWindowView::showPending()
{
    m_presenter.present();
    if (IDigitDisplay* other = mirror())
        other->showPending();
}

void MainWindowView::setDigitColorOn(DisplayControl control, TColor color)
{
    digit(control)->setColorOn(color);
    if (IDigitDisplay* other = mirror())
        other->setDigitColorOn(control, color);
}

void MainWindowView::setDigitColorOff(DisplayControl control, TColor color)
{
    digit(control)->setColorOff(color);
    if (IDigitDisplay* other = mirror())
        other->setDigitColorOff(control, color);
}

void MainWindowView::setDigitBackground(DisplayControl control, TColor color)
{
    digit(control)->setColor(color);
    if (IDigitDisplay* other = mirror())
        other->setDigitBackground(control, color);
}

void MainWindowView::setLabelFontColor(DisplayControl control, TColor color)
{
    TColor& current = m_labelColors[static_cast<int>(control)];
    if (current == color)
        return;
    current = color;
    if (IDigitDisplay* other = mirror())
        other->setLabelFontColor(control, color);
    QWidget* label = m_form.displayControl(control);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colorFromRef(color));
    label->setPalette(palette);
}

void MainWindowView::applyResolutionLayout(const ResolutionLayout& layout)
{
    m_layout = layout;
    if (IDigitDisplay* other = mirror())
        other->applyResolutionLayout(layout);
    m_form.displayControl(DisplayControl::Digit8)->setVisible(layout.hundredthsVisible);
    m_form.displayControl(DisplayControl::Digit22)->setVisible(layout.hundredthsVisible);
    m_form.displayControl(DisplayControl::Digit7)->setVisible(layout.tenthsVisible);
    m_form.displayControl(DisplayControl::Digit21)->setVisible(layout.tenthsVisible);
    m_form.PanelTimer->setGeometry(layout.panelTimerLeft, m_form.PanelTimer->y(),
                                   layout.panelTimerWidth, m_form.PanelTimer->height());
    m_form.Lab_100->move(layout.lab100Left, m_form.Lab_100->y());
    m_form.Lab_100->setText(QString::fromStdString(layout.lab100Caption));
    m_form.Lab_100->setVisible(layout.lab100Visible);
    m_form.LabSec->setVisible(layout.commasVisible);
    m_form.LabSec2->setVisible(layout.commasVisible);
}
