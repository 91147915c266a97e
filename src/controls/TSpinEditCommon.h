#pragma once

#include <QChar>
#include <QRect>

class QContextMenuEvent;
class QFont;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QMouseEvent;
class QWidget;
class TSpinButton;

// What the integer and the decimal spin edit share: where the arrow pair
// sits, how small the edit may get, and how typed keys are told apart from
// the keys that belong to the dialog around the edit.
class TSpinEditCommon
{
public:
    // The arrow pair's size when an edit creates it.
    static constexpr int ButtonWidth = 15;
    static constexpr int ButtonHeight = 17;
    // Width of the sunken frame; positions inside a framed edit are counted
    // from its inner corner.
    static constexpr int FrameWidth = 2;

    // Character height plus a quarter of the smaller of it and the system
    // font's, four border lines and two pixels.
    static int minimumHeight(const QFont& font);

    // Geometry of the arrow pair inside an edit of the given size.
    static QRect buttonGeometry(const QSize& editSize, int buttonWidth, bool framed);

    // Creates the arrow pair of an edit: fixed size, focus back to the edit.
    static TSpinButton* createButton(QLineEdit* edit);

    // Sets the minimum height and places the arrow pair with the text
    // ending two pixels before it. Called after construction, on resizes
    // and on font changes.
    static void layout(QLineEdit* edit, TSpinButton* button);

    // Return and Escape belong to the dialog when it has a button for them:
    // the edit then lets the key pass up unfiltered.
    static bool dialogTakesKey(const QWidget* edit, const QKeyEvent* event);

    // The typed character of a key event, or a null QChar for keys that
    // type nothing (arrows, Delete, function keys).
    static QChar typedChar(const QKeyEvent* event);

    static bool isCutOrPaste(const QKeyEvent* event);

    // Pops up the edit's standard context menu; while the text may not be
    // edited, cut, paste and delete are disabled in it.
    static void popupMenu(QLineEdit* edit, const QContextMenuEvent* event, bool editable);

    // The middle button pastes the selection on X11, so the release is
    // swallowed while the text may not be edited. True when it was.
    static bool swallowsPaste(QMouseEvent* event, bool editable);
};
