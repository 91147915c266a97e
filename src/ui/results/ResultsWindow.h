#pragma once

#include "core/CorrectionLines.h"
#include "core/Scoring.h"
#include "protocol/ResultsSheet.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class EventScoring;
class QAction;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QTableWidget;
class QPushButton;
class QSettings;
class QTableView;
class ProtocolAccess;
class ResultsFeed;
class ResultsModel;

// "Ergebnisliste": the ranking of the competitors, read from the protocol as
// it grows, is cleared or is loaded. A window of its own, so the operator can
// keep it on a second screen while the race goes on in the main window.
class ResultsWindow : public QWidget
{
    Q_OBJECT

public:
    // `resolution` gives the race's current display resolution. The window
    // shows what `feed` reads from the protocol; without one it keeps a feed
    // of its own.
    ResultsWindow(ProtocolAccess& protocol, ResultsFeed& feed, std::function<int()> resolution,
                  QWidget* parent = nullptr);
    ResultsWindow(ProtocolAccess& protocol, std::function<int()> resolution,
                  QWidget* parent = nullptr);
    ~ResultsWindow() override;

    // Opens the window, or brings it to the front when it is open.
    void showAndRaise();
    // Shows the ranking again at the race's resolution, which may have changed.
    void scheduleRefresh();

    // Ctrl+S, Ctrl+P and the button "Webseite".
    void saveCsv();
    void print();
    void writeWebPage();

    // The window's place in its own group of the settings file. Nothing is
    // written for a window that was never placed, so a store without the
    // group stays without it.
    void restoreSettings(QSettings& settings);
    void saveSettings(QSettings& settings) const;

    QTableView* table() const { return m_table; }
    QLabel* statusLine() const { return m_status; }
    QPushButton* webButton() const { return m_web; }
    QPushButton* liveButton() const { return m_live; }
    ResultsFeed& feed() const { return m_feed; }
    const std::vector<Results::Entry>& entries() const;
    // The table as it shows, row by row in its current order.
    int rowCount() const;
    QString cellText(int row, int column) const;

    // Scoring a club event: above the list the class shown, the rule, the
    // penalty per unit and the entry list's button; below it the runs of
    // the selected competitor, the one chosen there (by default the latest
    // finished) being the one a correction applies to. Keys "+" and "-" in
    // either table, and the context menu, write the correction lines.
    void attachEvent(EventScoring& event);
    // Asks for the competitor a run is moved to ("Lauf zuordnen …"); tests
    // answer in its place.
    using CompetitorQuestion = std::function<std::optional<QString>(const QString& current)>;
    void setCompetitorQuestion(CompetitorQuestion ask) { m_askCompetitor = std::move(ask); }
    QComboBox* classBox() const { return m_classBox; }
    QComboBox* modeBox() const { return m_modeBox; }
    QSpinBox* runsCountedBox() const { return m_runsCountedBox; }
    QDoubleSpinBox* penaltyBox() const { return m_penaltyBox; }
    QPushButton* entryListButton() const { return m_entryListButton; }
    QTableWidget* runsTable() const { return m_runsTable; }
    // The context menu's entries, in its order, for the list and the runs.
    QList<QAction*> correctionActions() const { return m_corrections; }

signals:
    // "Live im Netz…": whoever runs the live results opens their dialog.
    void liveRequested();
    // "Nennliste…".
    void entryListRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ResultsWindow(ProtocolAccess& protocol, ResultsFeed* feed, std::function<int()> resolution,
                  QWidget* parent);
    void show(std::shared_ptr<const Results::Ranking> ranking);
    void fitColumns();
    void showWriteError(const QString& path) const;
    ResultsSheet::Sheet shownSheet() const;
    void buildScoring();
    void fillClasses();
    void rulesEdited();
    void competitorChosen();
    void showRuns();
    const Scoring::Competitor* selectedCompetitor() const;
    const Scoring::RunScore* targetRun() const;
    void correct(const CorrectionLines::Correction& correction);
    void assignRun();
    void openCorrectionMenu(QWidget* from, const QPoint& position);

    ProtocolAccess& m_protocol;
    ResultsFeed& m_feed;
    std::function<int()> m_resolution;
    ResultsModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_web = nullptr;
    QPushButton* m_live = nullptr;
    QAction* m_save = nullptr;
    QAction* m_print = nullptr;
    QStringList m_fittedTo;
    bool m_placed = false;

    EventScoring* m_event = nullptr;
    QWidget* m_scoringBar = nullptr;
    QComboBox* m_classBox = nullptr;
    QComboBox* m_modeBox = nullptr;
    QSpinBox* m_runsCountedBox = nullptr;
    QDoubleSpinBox* m_penaltyBox = nullptr;
    QPushButton* m_entryListButton = nullptr;
    QLabel* m_runsTitle = nullptr;
    QTableWidget* m_runsTable = nullptr;
    QList<QAction*> m_corrections;
    QAction* m_strike = nullptr;
    CompetitorQuestion m_askCompetitor;
    // Kept across rankings, which replace every row: the competitor by its
    // text, the run by its name and start.
    std::string m_chosenCompetitor;
    std::pair<std::string, std::string> m_chosenRun;
    bool m_showingRuns = false;
    bool m_menuByMouse = false; // how the context menu was asked for
};
