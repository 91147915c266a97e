#pragma once

#include "core/IDigitDisplay.h"
#include "core/Scoring.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QScreen;
class QSettings;
class DigitPanel;
class TDigit;

// "Anzeigetafel": the main display again, scaled to a window of any size for
// the drivers and the public, with the current Nr./Name and the first three of
// the results. It has no clock of its own: its digit panel is one more display
// of the race, which hands every digit and colour to all of them in the same
// call, so all always show the same time.
class Scoreboard : public QWidget
{
    Q_OBJECT

public:
    // The classic panel plus a band for the name and three result rows; the
    // whole board is scaled as one, so nothing changes its proportions.
    static constexpr int kBoardWidth = 495;
    static constexpr int kBoardHeight = 372;

    explicit Scoreboard(QWidget* parent = nullptr);

    // The digits, for the race to drive.
    DigitPanel& digitPanel() const { return *m_panel; }

    // C1 behind everything, C2 for the texts around the digits.
    void setBoardColours(TColor background, TColor text);
    void setStartName(const QString& text);
    // The first three of this ranking are shown, at the digits' resolution.
    // With scoring, those of the class shown, or overall when all are.
    void setRanking(std::shared_ptr<const Results::Ranking> ranking);
    // With scoring: the class whose first three are shown; "" for all.
    void setClassFilter(const QString& klass);

    TDigit* digit(DisplayControl control) const;
    QLabel* label(DisplayControl control) const;
    QLabel* nameLabel() const { return m_name; }
    // The result rows as shown, "1.  Name  12,34", one per placed entry.
    QStringList resultRows() const;
    // 2 = 1/100, 1 = 1/10, 0 = seconds, as the digits show it.
    int resolution() const;

    void toggleFullScreen();
    void enterFullScreen();
    void leaveFullScreen();

    // The "Anzeigetafel" group of the settings file: screen, geometry, full
    // screen and whether it was open. Missing values leave the defaults.
    void saveState(QSettings& settings, bool open) const;
    // Places the window as stored; returns whether it was open.
    bool restoreState(QSettings& settings);
    // Shows it in the place restored, full screen if it was left so.
    void showAsStored();

signals:
    // The operator closed the window itself (not the program ending).
    void closedByOperator();
    // Shown or hidden, by the operator or the program: whoever feeds the
    // ranking need only read the protocol while somebody looks.
    void shownChanged(bool shown);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void layoutBoard();
    void showRanking();
    void showStartName();
    QMargins frameEstimate() const;
    // The stored client area moved and shrunk onto one screen: `target` if
    // given, else where it lies already, else on `named`, else where most of
    // it lies.
    QRect placeOnScreen(QRect frame, QScreen* target, QScreen* named) const;

    DigitPanel* m_panel = nullptr;
    QLabel* m_name = nullptr;
    QString m_startName;
    std::array<QLabel*, 3> m_places{};
    std::array<QLabel*, 3> m_times{};
    std::shared_ptr<const Results::Ranking> m_ranking;
    QString m_classFilter;
    bool m_storedFullScreen = false;
    // The place to go back to from full screen. Not every window system
    // remembers it when the window went full screen right as it was shown.
    QRect m_normalFrame;
};
