#pragma once

#include "core/Scoring.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
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

signals:
    // "Live im Netz…": whoever runs the live results opens their dialog.
    void liveRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    ResultsWindow(ProtocolAccess& protocol, ResultsFeed* feed, std::function<int()> resolution,
                  QWidget* parent);
    void show(std::shared_ptr<const Results::Ranking> ranking);
    void fitColumns();
    void showWriteError(const QString& path) const;

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
};
