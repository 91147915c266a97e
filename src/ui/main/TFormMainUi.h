// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTimer;
class QToolButton;

class TBitBtnWithColor;
class TDigit;
class TLbSpeedButton;
class TLed;
class TSpinEdit;

// The main window's controls, filled once when the window is built. The
// window owns them as Qt children; this only names them, so the race view
// and the tests can reach them without knowing the window.
struct TFormMainUi
{
    // Named as the operator's documentation names them.
    QFrame* Panel1 = nullptr;
    TLbSpeedButton* bHelp = nullptr;
    TLbSpeedButton* bCFG = nullptr;
    TLbSpeedButton* LbSpeedButton1 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Image5 = nullptr;
    QLabel* PanelDate = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* PanelLeft = nullptr;
    QFrame* PanelTimerOwner = nullptr;
    QFrame* PanelTimer = nullptr;       // the digit panel
    std::array<TDigit*, 8> FirstRow{};  // Digit1 .. Digit8
    std::array<TDigit*, 8> SecondRow{}; // Digit12, 13, 15, 16, 18, 19, 21, 22
    QLabel* LabHour = nullptr;
    QLabel* LabMin = nullptr;
    QLabel* LabSec = nullptr;
    QLabel* LabHour2 = nullptr;
    QLabel* LabMin2 = nullptr;
    QLabel* LabSec2 = nullptr;
    QLabel* Lab_Hour = nullptr;
    QLabel* Lab_Min = nullptr;
    QLabel* Lab_sek = nullptr;
    QLabel* Lab_100 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* LabelMadus2 = nullptr;
    QLabel* Label9 = nullptr;
    TSpinEdit* seStartN = nullptr;
    QLineEdit* editStartN = nullptr;
    TLed* LedModus = nullptr;
    QLabel* LabelModus = nullptr;
    TLed* LedSignal = nullptr;
    QLabel* LabelGesperrt = nullptr;
    TBitBtnWithColor* bSTART = nullptr;
    TBitBtnWithColor* bLAP = nullptr;
    TBitBtnWithColor* bSTOP = nullptr;
    TBitBtnWithColor* bRESET = nullptr;
    QFrame* Panel3 = nullptr;
    QFrame* Panel4 = nullptr;
    QToolButton* sbSave = nullptr;
    QToolButton* sbLoad = nullptr;
    QToolButton* sbInet = nullptr;
    QToolButton* sbPrint = nullptr;
    QToolButton* sbCLS = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    std::array<QLabel*, 3> StatusPanels{};

    QTimer* TimerDate = nullptr;
    QTimer* Clock = nullptr;
    QTimer* TimerGesperrt = nullptr;

    // Hidden menu: the items exist for their short-cuts.
    QMenu* HideMenu1 = nullptr;
    QAction* mStart = nullptr;
    QAction* mSplit = nullptr;
    QAction* mLAP = nullptr;
    QAction* mStop = nullptr;
    QAction* mReset = nullptr;
    QAction* Save1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Auto1 = nullptr;
    QAction* Info1 = nullptr;
    QAction* Hand1 = nullptr;
    QAction* EinstellunGen1 = nullptr;
    QAction* Hilfe1 = nullptr;
    QAction* Drucker1 = nullptr;
    QAction* Beenden1 = nullptr;
    QAction* mHilfe = nullptr;
    QAction* Modus1 = nullptr;
    QAction* Ergebnisse1 = nullptr;   // F6: the results list
    QAction* mAnzeigetafel = nullptr; // F8

    QMenu* PopupMenuProtokol = nullptr;
    QAction* Selectall1 = nullptr;
    QAction* CopytoClipboard1 = nullptr;
    QAction* exporttoWord1 = nullptr;
    QAction* Ergebnisliste1 = nullptr;
};
