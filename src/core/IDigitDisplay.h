#pragma once

#include "core/Color.h"

#include <string>

// The controls of the two digit rows, named as the window names them so the
// window can map them one to one.
enum class DisplayControl
{
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8,
    Digit12,
    Digit13,
    Digit15,
    Digit16,
    Digit18,
    Digit19,
    Digit21,
    Digit22,
    LabHour,
    LabMin,
    LabSec,
    Lab_Hour,
    Lab_Min,
    Lab_sek,
    Lab_100,
    LabHour2,
    LabMin2,
    LabSec2,
};

inline constexpr int kDisplayControlCount = static_cast<int>(DisplayControl::LabSec2) + 1;

enum class DisplayRow
{
    First,
    Second,
};

// What a display resolution does to the digit panel. The window applies it to
// its widgets; digit values are never touched by it.
struct ResolutionLayout
{
    bool hundredthsVisible = true; // Digit8, Digit22
    bool tenthsVisible = true;     // Digit7, Digit21
    int panelTimerWidth = 0;
    int panelTimerLeft = 0;
    int lab100Left = 0;
    std::string lab100Caption;
    bool lab100Visible = true;
    bool commasVisible = true; // LabSec, LabSec2

    friend bool operator==(const ResolutionLayout&, const ResolutionLayout&) = default;
};

// Sink for everything the time base shows. Implementations are expected to
// ignore values equal to the current ones, because the first row is refreshed
// every 10 ms with mostly unchanged values.
class IDigitDisplay
{
public:
    virtual ~IDigitDisplay() = default;
    virtual void setDigitValue(DisplayControl digit, int value) = 0;
    virtual void setDigitColorOn(DisplayControl digit, TColor color) = 0;
    virtual void setDigitColorOff(DisplayControl digit, TColor color) = 0;
    virtual void setDigitBackground(DisplayControl digit, TColor color) = 0;
    // Separators and unit labels.
    virtual void setLabelFontColor(DisplayControl label, TColor color) = 0;
    virtual void applyResolutionLayout(const ResolutionLayout& layout) = 0;
    // Every value of one refresh is set. A display that holds changed values
    // back, to show them all at once, shows them now.
    virtual void showPending() {}
};
