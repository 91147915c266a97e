#pragma once

class QWidget;

// Puts a dialog in the middle of its owner window every time it is shown, kept
// inside the owner's screen, so a question never opens on another monitor or
// half off the desktop.
class DialogPlacement
{
public:
    static void centreOn(QWidget* dialog, const QWidget* owner);
};
