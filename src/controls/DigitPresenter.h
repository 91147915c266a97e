#pragma once

#include <QPointer>

#include <vector>

class TDigit;

// Shows the digits one clock tick changed without a trip through the widget
// repaint machinery. A running race changes one digit a hundred times a
// second; scheduling a repaint for it posted an event, woke the event loop a
// second time, recomputed which sibling widgets cover which, and cost the
// program ten times what the drawing does. The faces are ready-made images,
// so they are copied straight into the window's backing store and handed to
// the display server in one flush per tick. The backing store thereby holds
// what a repaint would have put there, and a later repaint changes nothing.
//
// Digits that cannot be shown so (hidden, not on screen yet, inside a native
// child window) get an ordinary scheduled repaint instead, and so do the
// parts of a digit that a see-through sibling above it lies over.
class DigitPresenter
{
public:
    // The digit's face changed; it is shown by the next present().
    void hold(TDigit* digit);
    // Shows every digit held since the last call.
    void present();

private:
    std::vector<QPointer<TDigit>> m_held;
};
