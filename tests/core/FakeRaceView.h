#pragma once

#include "core/IRaceView.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// The main window's race controls as plain state, starting as the form does.
class FakeRaceView : public IRaceView
{
public:
    struct Command
    {
        bool enabled = false;
        TColor color = clBtnFace;
        std::string caption;
    };

    Command commands[4] = {{true, clGreen, "START"},
                           {false, clBtnFace, "LAP"},
                           {false, clBtnFace, "STOPP"},
                           {false, clBtnFace, "00:00"}};
    bool configEnabled = true;
    std::vector<RaceCommand> focusLog;
    IndicatorLight modeLight = IndicatorLight::Red;
    std::string modeCaption = "Hand";
    IndicatorLight signalLight = IndicatorLight::Red;
    std::string signalCaption = "Gesperrt";
    int signalChanges = 0;
    std::string startText = "1";
    int spinValue = 1;
    // The window forwards a real change of the spin edit to seStartNChange.
    std::function<void(int)> onSpinChange;

    Command& operator[](RaceCommand c) { return commands[static_cast<int>(c)]; }

    void setCommandEnabled(RaceCommand c, bool enabled) override { (*this)[c].enabled = enabled; }
    void setCommandColor(RaceCommand c, TColor color) override { (*this)[c].color = color; }
    void setCommandCaption(RaceCommand c, const std::string& caption) override
    {
        (*this)[c].caption = caption;
    }
    void focusCommand(RaceCommand c) override { focusLog.push_back(c); }
    void setConfigEnabled(bool enabled) override { configEnabled = enabled; }
    void setModeIndicator(IndicatorLight light, const std::string& caption) override
    {
        modeLight = light;
        modeCaption = caption;
    }
    void setSignalIndicator(IndicatorLight light, const std::string& caption) override
    {
        signalLight = light;
        signalCaption = caption;
        ++signalChanges;
    }
    std::string startNumberText() const override { return startText; }
    void setStartNumberText(const std::string& text) override { startText = text; }
    void stepStartNumber() override
    {
        const int next = std::clamp(spinValue + 1, 1, 1000000);
        if (next != spinValue) {
            spinValue = next;
            if (onSpinChange) {
                onSpinChange(next);
            }
        }
    }
};
