#pragma once

#include "core/Results.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

class QAction;
class QLabel;
class QPushButton;
class QSettings;
class QTableWidget;
class ProtocolController;

// "Ergebnisliste": the ranking of the competitors, read from the protocol as
// it grows, is cleared or is loaded. A window of its own, so the operator can
// keep it on a second screen while the race goes on in the main window.
class ResultsWindow : public QWidget
{
    Q_OBJECT

public:
    // `resolution` gives the race's current display resolution.
    ResultsWindow(ProtocolController& protocol, std::function<int()> resolution,
                  QWidget* parent = nullptr);
    ~ResultsWindow() override;

    // Opens the window, or brings it to the front when it is open.
    void showAndRaise();
    // Reads the protocol again once the current burst of changes is over.
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

    QTableWidget* table() const { return m_table; }
    QLabel* statusLine() const { return m_status; }
    QPushButton* webButton() const { return m_web; }
    const std::vector<Results::Entry>& entries() const { return m_entries; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void showWriteError(const QString& path) const;

    ProtocolController& m_protocol;
    std::function<int()> m_resolution;
    QTableWidget* m_table = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_web = nullptr;
    QAction* m_save = nullptr;
    QAction* m_print = nullptr;
    QTimer m_refresh;
    std::vector<Results::Entry> m_entries;
    int m_shownResolution = 2;
    bool m_stale = true;
    bool m_placed = false;
};
