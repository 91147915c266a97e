#pragma once

#include "core/IDigitDisplay.h"

#include <array>

// Holds what the digit panel would show: one record per control.
class FakeDigitDisplay : public IDigitDisplay
{
public:
    struct Control
    {
        int value = 0;
        TColor colorOn = clLime;
        TColor colorOff = clBlack;
        TColor background = clBlack;
        TColor fontColor = clLime;
    };

    std::array<Control, kDisplayControlCount> controls{};
    ResolutionLayout layout;
    int layoutsApplied = 0;

    Control& operator[](DisplayControl c) { return controls[static_cast<size_t>(c)]; }

    void setDigitValue(DisplayControl digit, int value) override { (*this)[digit].value = value; }
    void setDigitColorOn(DisplayControl digit, TColor color) override
    {
        (*this)[digit].colorOn = color;
    }
    void setDigitColorOff(DisplayControl digit, TColor color) override
    {
        (*this)[digit].colorOff = color;
    }
    void setDigitBackground(DisplayControl digit, TColor color) override
    {
        (*this)[digit].background = color;
    }
    void setLabelFontColor(DisplayControl label, TColor color) override
    {
        (*this)[label].fontColor = color;
    }
    void applyResolutionLayout(const ResolutionLayout& value) override
    {
        layout = value;
        ++layoutsApplied;
    }
};
