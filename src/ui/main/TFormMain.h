#pragma once

#include "core/Color.h"
#include "core/HighResPlatform.h"
#include "core/IDigitDisplay.h"
#include "core/SystemTime.h"
#include "ui/main/TFormMainUi.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QAction;
class QSettings;

class THighResTimer;
class RaceControl;
class MainWindowView;
class QtWindowTimer;
class ProtocolController;
class MemoProtocol;
struct ProtocolServices;
struct SettingsStore;
class TFDlgYesNo;
class TFormInfo;
class THelpSystem;
class PortWiring;
class ResultsWindow;
class Scoreboard;
class LiveController;
class LivePublisher;
class LiveDialog;
class EventScoring;
class DigitPanel;

// Everything the window would otherwise take from the machine it runs on.
// The program uses the defaults; tests point each at something harmless.
struct TFormMainEnvironment
{
    // The executable's full path: names the settings key, the help file, the
    // document template and the exit copy.
    QString programPath;
    // INI file of the settings; empty means the user's own store.
    QString settingsFile;
    // Counter platform; tests pass one without a time-stamp counter so the
    // window is created without the 3 s calibration.
    HighResPlatform counterPlatform = HighResPlatform::system();
    // Opens web addresses and files with the desktop (maker's page, help).
    std::function<bool(const QUrl& target)> openExternal;
    // The application's standard error box.
    std::function<void(const QString& text)> errorBox;
    // The beep of refused input.
    std::function<void()> beep;
    // Lets a caller replace the protocol's dialogs, office and printer.
    std::function<void(ProtocolServices&)> customiseProtocol;
    // Folder the COM port numbers are looked up in.
    QString deviceFolder = QStringLiteral("/dev");
    // The local time of day the protocol lines carry; empty means the
    // machine's own clock.
    std::function<TSystemTime()> localTime;
};

// The main window: two digit rows, the command buttons, the start number, the
// mode and lock indicators, and the protocol. The race itself lives in
// RaceControl; this class builds the controls, forwards their events and runs
// the window's own life cycle.
class TFormMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TFormMain(TFormMainEnvironment environment, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The dialogs that live as long as the window; created by the program
    // entry right after the window, in this order.
    void setDialogs(TFDlgYesNo* yesNo, TFormInfo* info);
    void setHelpSystem(THelpSystem* help);
    // The settings dialog is built from the ports found at creation.
    void createSettingsDialog();
    class TCfgDialog* settingsDialog() const { return m_cfg; }
    PortWiring& portWiring() { return *m_portWiring; }
    ResultsWindow* resultsWindow() const { return m_results; }

    RaceControl& race() { return *m_race; }
    ProtocolController& protocol() { return *m_protocol; }
    QString programName() const;
    // Where the help file and the Word template were found.
    QString helpFile() const { return m_helpFile; }
    QString wordTemplateFile() const;

    // The controls, for the race view and for tests.
    const TFormMainUi& ui() const { return m_ui; }

    // Handlers.
    void TimerDateTimer();
    void ImageDEClick();
    void bExitClick();
    void bHelpClick();
    void bInfoClick();
    void bCFGClick();
    void Drucker1Click();
    void UpdateProtocolButtons();
    QWidget* lostNotice() const { return m_lostNotice; }
    QWidget* journalNotice() const { return m_journalNotice; }

    // Colours of the display: C1 background, C2 active, C3 passive digits.
    TColor C1() const { return m_c1; }
    TColor C2() const { return m_c2; }
    TColor C3() const { return m_c3; }
    void setDisplayColours(TColor c1, TColor c2, TColor c3);

    // The widget behind a display control of the race core.
    QWidget* displayControl(DisplayControl control) const;

    // The window for the public; it exists from the start, shown or not.
    Scoreboard* scoreboard() const { return m_display; }
    void toggleScoreboard();
    // F6: opens the results list, or closes it when it is open.
    void toggleResults();
    // "Live im Netz…" of the results list.
    void showLiveDialog();
    LiveController& live() { return *m_live; }
    LivePublisher& livePublisher() { return *m_livePublisher; }
    LiveDialog* liveDialog() const { return m_liveDialog; }
    // The event the results are scored for: entry list, rules, class shown.
    EventScoring& eventScoring() { return *m_event; }
    // "Nennliste…" of the results list.
    void showEntryListDialog();
    class EntryListDialog* entryListDialog() const { return m_entryListDialog; }

signals:
    // Emitted once the window has been painted for the first time.
    void firstPaint();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    void createHeader(QWidget* parent);
    void createTimingHalf(QWidget* parent);
    void createDigitPanel(QWidget* owner);
    void createProtocolHalf(QWidget* parent);
    void createStatusBar();
    void createMenu();
    void createProtocolPopup();
    void connectHandlers();

    void FormCreate();
    bool FormCloseQuery();
    void FormDestroy();
    void FormResize();

    void loadSettings();
    void createScoreboard(QSettings* stored);
    void placeWindow(int left, int top, int width, int height);
    void setBackgroundOfDisplay();
    bool saveSettings();
    void writeExitCopy();
    void showError(const QString& text);
    QWidget* showNotice(const QString& text);
    void barrierLost(const QString& text);
    void ComPortOpen();
    void ComPortClose();
    // The port choice of the settings dialog; the mode follows the port.
    // Throws EComError when the chosen port does not open.
    void applyPortChoice(int oldIndex, int newIndex, const QString& itemText, int algorithmIndex);
    void journalFailing(const QString& reason);
    void journalRecovered();
    void runCommandOnPress(QAction* item);
    void loadEntryList();

    TFormMainEnvironment m_env;
    TFormMainUi m_ui;
    std::unique_ptr<THighResTimer> m_counter;
    std::unique_ptr<MainWindowView> m_view;
    std::unique_ptr<QtWindowTimer> m_clockTimer;
    std::unique_ptr<QtWindowTimer> m_lockoutTimer;
    std::unique_ptr<PortWiring> m_portWiring;
    std::unique_ptr<ProtocolController> m_protocol;
    // Outlives the results list, which lets go of it when it closes.
    std::unique_ptr<class ResultsFeed> m_resultsFeed;
    std::unique_ptr<MemoProtocol> m_protocolLines;
    std::unique_ptr<RaceControl> m_race;
    std::unique_ptr<class ILocalClock> m_localClock;
    std::unique_ptr<class InputStamps> m_inputStamps;
    // After the feed and the race, which the publisher reads until it goes.
    std::unique_ptr<EventScoring> m_event;
    std::unique_ptr<LiveController> m_live;
    std::unique_ptr<LivePublisher> m_livePublisher;
    LiveDialog* m_liveDialog = nullptr;                 // a child of the results list
    class EntryListDialog* m_entryListDialog = nullptr; // a child of the results list

    QPointer<TFDlgYesNo> m_yesNo;
    QPointer<TFormInfo> m_info;
    class TCfgDialog* m_cfg = nullptr;
    QPointer<QWidget> m_lostNotice;
    QPointer<QWidget> m_journalNotice;
    THelpSystem* m_help = nullptr;
    ResultsWindow* m_results = nullptr;
    DigitPanel* m_digitPanel = nullptr; // PanelTimer, a child
    Scoreboard* m_display = nullptr;    // a child, lives as long as the window
    // What the operator asked for; the program's end hides the window too.
    bool m_displayOpen = false;
    bool m_displayHoldsFeed = false;

    TColor m_c1 = 0x000000;
    TColor m_c2 = 0x00FF00;
    TColor m_c3 = 0x404040;
    bool m_sound = true;
    QString m_helpFile;
    bool m_destroyed = false;
    bool m_painted = false;
};
