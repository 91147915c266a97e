// The scoreboard as the main window drives it: created with the
// window, fed through the same calls that set the main display, and opened
// and closed with F8.

#include "ui/main/TFormMain.h"

#include "protocol/ProtocolController.h"
#include "ui/display/DigitPanel.h"
#include "ui/display/Scoreboard.h"
#include "ui/live/LiveDialog.h"
#include "ui/main/MainWindowView.h"
#include "ui/results/EventScoring.h"
#include "ui/results/ResultsFeed.h"
#include "ui/results/ResultsWindow.h"

#include <QAction>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>

void TFormMain::createScoreboard(QSettings* stored)
{
    m_display = new Scoreboard(this);
    // It joins a display that is already running: it starts from what the
    // main rows show and then gets every change with them.
    m_view->addDisplay(m_display->digitPanel());
    m_display->setBoardColours(m_c1, m_c2);
    // An entrant's number shows with the name and class of the entry list.
    const auto showStartName = [this] {
        m_display->setStartName(m_event->shownName(m_ui.editStartN->text()));
    };
    showStartName();
    connect(m_ui.editStartN, &QLineEdit::textChanged, m_display, showStartName);
    connect(m_event.get(), &EventScoring::changed, m_display, showStartName);
    // The board reads the ranking of the one results feed while it is shown.
    connect(m_resultsFeed.get(), &ResultsFeed::rankingChanged, m_display, &Scoreboard::setRanking);
    // The board shows the class the results list shows, or all of them.
    m_display->setClassFilter(m_event->classFilter());
    connect(m_event.get(), &EventScoring::classFilterChanged, m_display,
            &Scoreboard::setClassFilter);
    connect(m_display, &Scoreboard::shownChanged, this, [this](bool shown) {
        if (shown == m_displayHoldsFeed)
            return;
        m_displayHoldsFeed = shown;
        if (shown) {
            m_resultsFeed->acquire();
            m_display->setRanking(m_resultsFeed->ranking());
        } else {
            m_resultsFeed->release();
        }
    });
    connect(m_display, &Scoreboard::closedByOperator, this, [this] { m_displayOpen = false; });
    connect(m_ui.mAnzeigetafel, &QAction::triggered, this, &TFormMain::toggleScoreboard);
    // After a double-click on the board the keyboard is there; F9 must still
    // stop the race, so every key of the hidden menu works on it as well.
    m_display->addActions(actions());

    if (stored && m_display->restoreState(*stored)) {
        m_displayOpen = true;
        // Shown once the main window is up, and the keyboard given back to it:
        // shown first, a full-screen board would hold the keys at start.
        QTimer::singleShot(0, this, [this] {
            if (!m_displayOpen)
                return;
            m_display->showAsStored();
            activateWindow();
        });
    }
}

void TFormMain::toggleScoreboard()
{
    m_displayOpen = !m_display->isVisible();
    m_display->setVisible(m_displayOpen);
    // The keys of the race stay with the main window.
    if (m_displayOpen)
        activateWindow();
}

void TFormMain::showLiveDialog()
{
    if (!m_liveDialog) {
        m_liveDialog = new LiveDialog(*m_live, m_results);
        // The race goes on while the operator reads off the address.
        m_liveDialog->addActions(actions());
    }
    m_liveDialog->show();
    m_liveDialog->raise();
    m_liveDialog->activateWindow();
}
