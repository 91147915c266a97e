#pragma once

#include "core/IDigitDisplay.h"
#include "core/IRaceView.h"

#include <array>
#include <functional>
#include <optional>
#include <vector>

struct TFormMainUi;

// The main window's controls as the race core drives them. The digits go to
// every display registered: the window's own panel and the scoreboard's.
// Colours of labels are compared here because the race pushes the same
// colours every 10 ms and a palette change always repaints.
class MainWindowView : public IRaceView, public IDigitDisplay
{
public:
    explicit MainWindowView(const TFormMainUi& ui);

    // IRaceView
    void setCommandEnabled(RaceCommand command, bool enabled) override;
    void setCommandColor(RaceCommand command, TColor color) override;
    void setCommandCaption(RaceCommand command, const std::string& caption) override;
    void focusCommand(RaceCommand command) override;
    void setConfigEnabled(bool enabled) override;
    void setModeIndicator(IndicatorLight light, const std::string& caption) override;
    void setSignalIndicator(IndicatorLight light, const std::string& caption) override;
    std::string startNumberText() const override;
    void setStartNumberText(const std::string& text) override;
    void stepStartNumber() override;

    // IDigitDisplay
    void setDigitValue(DisplayControl digit, int value) override;
    void setDigitColorOn(DisplayControl digit, TColor color) override;
    void setDigitColorOff(DisplayControl digit, TColor color) override;
    void setDigitBackground(DisplayControl digit, TColor color) override;
    void setLabelFontColor(DisplayControl label, TColor color) override;
    void applyResolutionLayout(const ResolutionLayout& layout) override;
    void showPending() override;

    // A display joining late starts from what the others show now.
    void addDisplay(IDigitDisplay& display);
    void removeDisplay(IDigitDisplay& display);

    TColor labelFontColor(DisplayControl label) const
    {
        return m_labelColors[static_cast<int>(label)];
    }

private:
    class TBitBtnWithColor* button(RaceCommand command) const;

    const TFormMainUi& m_ui;
    std::array<TColor, kDisplayControlCount> m_labelColors;
    std::optional<ResolutionLayout> m_layout;
    struct ShownDigit
    {
        std::optional<int> value;
        std::optional<TColor> on;
        std::optional<TColor> off;
        std::optional<TColor> background;
    };
    std::array<ShownDigit, static_cast<int>(DisplayControl::Digit22) + 1> m_digits;
    std::vector<IDigitDisplay*> m_displays;
};
