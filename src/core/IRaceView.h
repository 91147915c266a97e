#pragma once

#include "core/Color.h"

#include <string>

enum class RaceCommand
{
    Start,
    Lap,
    Stop,
    Reset,
};

enum class IndicatorLight
{
    Red,
    Green,
};

// The controls of the main window that the race control drives. Every
// command button has twin menu items; they follow the button's enabled state.
class IRaceView
{
public:
    virtual ~IRaceView() = default;

    virtual void setCommandEnabled(RaceCommand command, bool enabled) = 0;
    virtual void setCommandColor(RaceCommand command, TColor color) = 0;
    virtual void setCommandCaption(RaceCommand command, const std::string& caption) = 0;
    virtual void focusCommand(RaceCommand command) = 0;
    // bCFG; its menu twin stays enabled.
    virtual void setConfigEnabled(bool enabled) = 0;

    // LedModus + LabelModus, LedSignal + LabelGesperrt.
    virtual void setModeIndicator(IndicatorLight light, const std::string& caption) = 0;
    virtual void setSignalIndicator(IndicatorLight light, const std::string& caption) = 0;

    // editStartN.
    virtual std::string startNumberText() const = 0;
    virtual void setStartNumberText(const std::string& text) = 0;
    // seStartN := value + 1; the spin edit clamps to 1..1000000 and, when the
    // value really changed, reports it back through RaceControl::seStartNChange.
    virtual void stepStartNumber() = 0;
};
