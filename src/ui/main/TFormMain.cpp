#include "ui/main/TFormMain.h"

#include "comm/ComErrors.h"
#include "comm/PortWiring.h"
#include "controls/TBitBtnWithColor.h"
#include "controls/TDigit.h"
#include "controls/TLbSpeedButton.h"
#include "controls/TLed.h"
#include "controls/TSpinEdit.h"
#include "core/ProductLimits.h"
#include "core/RaceControl.h"
#include "core/SystemLocalClock.h"
#include "core/THighResTimer.h"
#include "core/TimeBase.h"
#include "core/Version.h"
#include "help/TFDlgYesNo.h"
#include "help/TFormInfo.h"
#include "help/THelpSystem.h"
#include "help/WindowPlacement.h"
#include "protocol/ProtocolController.h"
#include "protocol/ProtocolDialogs.h"
#include "protocol/ProtocolJournal.h"
#include "settings/SettingsStore.h"
#include "ui/display/DigitPanel.h"
#include "ui/display/Scoreboard.h"
#include "ui/live/LiveController.h"
#include "ui/main/DataFiles.h"
#include "ui/main/InputStamps.h"
#include "ui/main/LivePublisher.h"
#include "ui/main/MainWindowView.h"
#include "ui/main/MemoProtocol.h"
#include "ui/main/QtWindowTimer.h"
#include "ui/results/EntryListDialog.h"
#include "ui/results/EventScoring.h"
#include "ui/results/ResultsFeed.h"
#include "ui/results/ResultsWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Kelvatron");
const QString kFormCaption = QStringLiteral(KELVATRON_VERSION);
// The maker's web site, opened by a click on the logo.
const QUrl kMakerSite(QStringLiteral("https://www.ortavin.example/"));

class FunctionLocalClock : public ILocalClock
{
public:
    explicit FunctionLocalClock(std::function<TSystemTime()> now) : m_now(std::move(now)) {}
    TSystemTime now() const override { return m_now(); }

private:
    std::function<TSystemTime()> m_now;
};

std::unique_ptr<QSettings> openSettings(const TFormMainEnvironment& env, const QString& program)
{
    return env.settingsFile.isEmpty() ? SettingsStore::openUserStore(program)
                                      : SettingsStore::openFile(env.settingsFile);
}

} // namespace

TFormMain::TFormMain(TFormMainEnvironment environment, QWidget* parent)
    : QMainWindow(parent), m_env(std::move(environment))
{
    if (m_env.programPath.isEmpty())
        m_env.programPath = QCoreApplication::applicationFilePath();
    if (!m_env.openExternal)
        m_env.openExternal = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    if (!m_env.errorBox)
        m_env.errorBox = [this](const QString& text) {
            QMessageBox::critical(isVisible() ? this : nullptr, kTitle, text);
        };

    if (!m_env.beep)
        m_env.beep = [] { QApplication::beep(); };

    setMinimumSize(ProductLimits::kMinWindowWidth, ProductLimits::kMinWindowHeight);
    resize(minimumSize());
    createControls();

    // Creating the counter calibrates it: about 3 s on a processor with a
    // time-stamp counter, before the window is first shown.
    m_counter = std::make_unique<THighResTimer>(m_env.counterPlatform);
    if (m_env.localTime)
        m_localClock = std::make_unique<FunctionLocalClock>(m_env.localTime);
    else
        m_localClock = std::make_unique<SystemLocalClock>();
    m_inputStamps = std::make_unique<InputStamps>(*m_counter);
    m_view = std::make_unique<MainWindowView>(m_ui);
    m_view->addDisplay(*m_digitPanel);
    m_clockTimer = std::make_unique<QtWindowTimer>(*m_ui.Clock);
    // A coarse timer may end the lock-out up to 5 % early and let a second
    // trigger of the same car through.
    m_ui.TimerGesperrt->setTimerType(Qt::PreciseTimer);
    m_lockoutTimer = std::make_unique<QtWindowTimer>(*m_ui.TimerGesperrt);

    ProtocolServices services = ProtocolDialogs::defaults(this);
    services.title = kTitle;
    services.programName = programName();
    services.programFolder = QFileInfo(m_env.programPath).absolutePath();
    services.wordTemplate =
        DataFiles::locate(m_env.programPath, QStringLiteral("Protokollvorlage.doc"));
    services.dialogFolder = DataFiles::dialogFolder(m_env.programPath);
    services.fileTimestamp = [clock = m_localClock.get()] {
        return QString::fromStdString(TimeBase::FileTimestamp(clock->now()));
    };
    // The clear question goes through the program's one yes/no dialog.
    services.askYesNo = [this](const QString& question) {
        if (!m_yesNo)
            return false;
        m_yesNo->setQuestion(question);
        return m_yesNo->exec() == TFDlgYesNo::mrYes;
    };
    services.openUrl = [this](const QUrl& url) { m_env.openExternal(url); };
    if (m_env.customiseProtocol)
        m_env.customiseProtocol(services);
    ProtocolControls controls;
    controls.Memo1 = m_ui.Memo1;
    controls.sbSave = m_ui.sbSave;
    controls.sbLoad = m_ui.sbLoad;
    controls.sbInet = m_ui.sbInet;
    controls.sbPrint = m_ui.sbPrint;
    controls.sbCLS = m_ui.sbCLS;
    controls.Selectall1 = m_ui.Selectall1;
    controls.CopytoClipboard1 = m_ui.CopytoClipboard1;
    controls.exporttoWord1 = m_ui.exporttoWord1;
    m_protocol = std::make_unique<ProtocolController>(controls, std::move(services), this);
    m_protocolLines = std::make_unique<MemoProtocol>(m_protocol->memo());

    m_portWiring = std::make_unique<PortWiring>(
        m_env.deviceFolder, [counter = m_counter.get()] { return counter->ReadCounter(); });
    m_race =
        std::make_unique<RaceControl>(*m_counter, *m_localClock, *m_view, *m_view, *m_protocolLines,
                                      *m_portWiring, *m_clockTimer, *m_lockoutTimer);
    if (ProtocolJournal* journal = m_protocol->journal()) {
        connect(journal, &ProtocolJournal::writingFailed, this, &TFormMain::journalFailing);
        connect(journal, &ProtocolJournal::writingRecovered, this, &TFormMain::journalRecovered);
    }
    m_race->InitialiseView();
    m_resultsFeed = std::make_unique<ResultsFeed>(m_protocol->memo());
    m_results = new ResultsWindow(
        *m_protocol, *m_resultsFeed, [race = m_race.get()] { return race->DisplayResolution(); },
        this);
    // The entry list is kept beside the crash copies.
    m_event = std::make_unique<EventScoring>(m_protocol->services().journalFolder);
    m_live = std::make_unique<LiveController>();
    m_livePublisher = std::make_unique<LivePublisher>(*m_race, *m_ui.editStartN, m_protocol->memo(),
                                                      *m_resultsFeed, *m_live, *m_event);
    connect(m_results, &ResultsWindow::liveRequested, this, &TFormMain::showLiveDialog);
    connect(m_event.get(), &EventScoring::changed, this,
            [this] { m_resultsFeed->setEvent(m_event->entries(), m_event->rules()); });
    m_results->attachEvent(*m_event);
    connect(m_results, &ResultsWindow::entryListRequested, this, &TFormMain::showEntryListDialog);

    connectHandlers();
    FormCreate();
}

TFormMain::~TFormMain()
{
    FormDestroy();
    // They read the protocol and its feed, which go with the members, before
    // the window's children would.
    delete m_results;
    if (m_display)
        m_view->removeDisplay(m_display->digitPanel());
    delete m_display;
    m_display = nullptr;
}

QString TFormMain::wordTemplateFile() const
{
    return m_protocol->wordTemplatePath();
}

QString TFormMain::programName() const
{
    return SettingsStore::programNameFromPath(m_env.programPath);
}

void TFormMain::setDialogs(TFDlgYesNo* yesNo, TFormInfo* info)
{
    m_yesNo = yesNo;
    m_info = info;
}

void TFormMain::setHelpSystem(THelpSystem* help)
{
    m_help = help;
    if (m_help)
        m_help->setHelpFile(m_helpFile);
}

QWidget* TFormMain::displayControl(DisplayControl control) const
{
    return m_digitPanel->control(control);
}

void TFormMain::connectHandlers()
{
    RaceControl& race = *m_race;
    PortWiring& barrier = *m_portWiring;
    connect(&barrier, &PortWiring::opened, this, &TFormMain::ComPortOpen);
    connect(&barrier, &PortWiring::closed, this, &TFormMain::ComPortClose);
    // Timed with the edge's own reading: a busy window never delays a race time.
    connect(&barrier, &PortWiring::edge, this,
            [&race](std::int64_t ticks, std::uint32_t) { race.ComPortDSR(ticks); });
    connect(&barrier, &PortWiring::lost, this, [this, &race](const QString& text) {
        race.SetHandMode();
        barrierLost(text);
    });
    connect(&barrier, &PortWiring::notice, this, &TFormMain::barrierLost);
    // A hand time is the moment the key or the button was pressed.
    const std::pair<QAction*, RaceCommand> commands[] = {{m_ui.mStart, RaceCommand::Start},
                                                         {m_ui.mSplit, RaceCommand::Lap},
                                                         {m_ui.mLAP, RaceCommand::Lap},
                                                         {m_ui.mStop, RaceCommand::Stop},
                                                         {m_ui.mReset, RaceCommand::Reset}};
    for (const auto& [item, command] : commands) {
        connect(item, &QAction::triggered, this, [this, &race, command = command] {
            race.runHandCommand(command, m_inputStamps->take());
        });
    }
    connect(m_ui.Auto1, &QAction::triggered, this, [&race] { race.Auto1Click(); });
    connect(m_ui.Hand1, &QAction::triggered, this, [&race] { race.Hand1Click(); });
    connect(m_ui.Modus1, &QAction::triggered, this, [&race] { race.LedModusClick(); });
    connect(m_ui.LedModus, &TLed::OnClick, this, [&race] { race.LedModusClick(); });

    // The race buttons act on the press of any mouse button, through their
    // menu twins, so a disabled command stays a no-op however it is reached.
    connect(m_ui.bSTART, &TBitBtnWithColor::mouseDown, this,
            [this] { runCommandOnPress(m_ui.mStart); });
    connect(m_ui.bLAP, &TBitBtnWithColor::mouseDown, this,
            [this] { runCommandOnPress(m_ui.mSplit); });
    connect(m_ui.bSTOP, &TBitBtnWithColor::mouseDown, this,
            [this] { runCommandOnPress(m_ui.mStop); });
    connect(m_ui.bRESET, &TBitBtnWithColor::mouseDown, this,
            [this] { runCommandOnPress(m_ui.mReset); });

    connect(m_ui.Clock, &QTimer::timeout, this, [&race] { race.ClockTimer(); });
    connect(m_ui.TimerGesperrt, &QTimer::timeout, this, [&race] { race.TimerGesperrtTimer(); });
    connect(m_ui.TimerDate, &QTimer::timeout, this, &TFormMain::TimerDateTimer);
    connect(m_ui.seStartN, &TSpinEdit::OnChange, this,
            [this, &race] { race.seStartNChange(m_ui.seStartN->Value()); });

    ProtocolController& protocol = *m_protocol;
    connect(m_ui.Save1, &QAction::triggered, this, [&protocol] { protocol.sbSaveClick(); });
    connect(m_ui.Open1, &QAction::triggered, this, [&protocol] { protocol.sbLoadClick(); });
    connect(m_ui.New1, &QAction::triggered, this, [&protocol] { protocol.sbCLSClick(); });
    connect(m_ui.Drucker1, &QAction::triggered, this, &TFormMain::Drucker1Click);
    connect(m_ui.Memo1, &QWidget::customContextMenuRequested, this, [this, &protocol](QPoint pos) {
        protocol.PopupMenuProtokolPopup();
        m_ui.PopupMenuProtokol->popup(m_ui.Memo1->viewport()->mapToGlobal(pos));
    });

    connect(m_ui.Info1, &QAction::triggered, this, &TFormMain::bInfoClick);
    connect(m_ui.LbSpeedButton1, &TLbSpeedButton::OnClick, this, &TFormMain::bInfoClick);
    connect(m_ui.EinstellunGen1, &QAction::triggered, this, &TFormMain::bCFGClick);
    connect(m_ui.bCFG, &TLbSpeedButton::OnClick, this, &TFormMain::bCFGClick);
    connect(m_ui.Hilfe1, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(m_ui.mHilfe, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(m_ui.bHelp, &TLbSpeedButton::OnClick, this, &TFormMain::bHelpClick);
    connect(m_ui.Beenden1, &QAction::triggered, this, &TFormMain::bExitClick);
    connect(m_ui.Ergebnisse1, &QAction::triggered, this, &TFormMain::toggleResults);
    connect(m_ui.Ergebnisliste1, &QAction::triggered, m_results, &ResultsWindow::showAndRaise);
    // The race keys mean the same in the results list: the operator may
    // have clicked into it while a car is on the track.
    m_results->addActions(
        {m_ui.mStart, m_ui.mSplit, m_ui.mStop, m_ui.mReset, m_ui.Ergebnisse1, m_ui.mAnzeigetafel});
}

void TFormMain::toggleResults()
{
    if (!m_results->isVisible()) {
        m_results->showAndRaise();
        return;
    }
    // Closed from its own window, the keyboard goes back to the race.
    const bool hadKeyboard = m_results->isActiveWindow();
    m_results->close();
    if (hadKeyboard)
        activateWindow();
}

void TFormMain::runCommandOnPress(QAction* item)
{
    if (item->isEnabled())
        item->trigger();
}

void TFormMain::FormCreate()
{
    setWindowTitle(kTitle + QLatin1Char(' ') + kFormCaption);
    setWindowIcon(QApplication::windowIcon());

    // Race times come from the monotonic clock; the time-stamp counter is
    // only calibrated, never used, because its rate may change with power
    // states.
    m_counter->setUseTSC(false);

    loadSettings();

    m_view->setCommandColor(RaceCommand::Stop, clBtnFace);
    m_view->setCommandColor(RaceCommand::Lap, clBtnFace);
    m_view->setCommandColor(RaceCommand::Reset, clBtnFace);
    m_ui.sbCLS->setToolTip(QStringLiteral("Löschen"));
    m_ui.sbLoad->setToolTip(QStringLiteral("Öffnen"));

    const QString helpBeside = THelpSystem::helpFileForProgram(m_env.programPath);
    m_helpFile = DataFiles::locate(m_env.programPath, QFileInfo(helpBeside).fileName());
    m_ui.bHelp->setEnabled(QFileInfo::exists(m_helpFile));
    if (m_help)
        m_help->setHelpFile(m_helpFile);

    m_race->ApplyResolution(m_race->DisplayResolution());
    m_portWiring->ProbePorts();
    m_race->ApplyDigitColours(m_c1, m_c2, m_c3);
    setBackgroundOfDisplay();
    m_race->ShowRaceTime(0, DisplayRow::First);
    m_race->ShowRaceTime(0, DisplayRow::Second);
    TimerDateTimer();
    m_ui.TimerDate->start();
    if (m_portWiring->openAtStartUp())
        m_race->SetAutoMode();
    UpdateProtocolButtons();
    FormResize();
}

void TFormMain::loadSettings()
{
    // A store that cannot be read counts as missing: every default stays.
    SettingsStore stored;
    const std::unique_ptr<QSettings> settings = openSettings(m_env, programName());
    if (settings) {
        stored.load(*settings);
        m_results->restoreSettings(*settings);
        m_event->load(*settings);
        m_live->restore(*settings);
    }
    loadEntryList();
    createScoreboard(settings.get());
    // Whatever was stored, the window must come up usable; the store keeps
    // the raw values and only what we clamp here is written back changed.
    const SettingsStore values = stored.sanitised();

    m_portWiring->setPortNumber(values.Port);
    m_race->setBarrierAlgorithm(values.Alg);
    m_race->setLapLimit(values.Splits);
    placeWindow(values.Left, values.Top, values.Width, values.Height);
    m_sound = values.Sound;
    m_c1 = static_cast<TColor>(values.C1);
    m_c2 = static_cast<TColor>(values.C2);
    m_c3 = static_cast<TColor>(values.C3);
    m_race->setDisplayResolution(values.Acc);
    m_race->setLockoutTime(values.WaitStart);
    m_protocol->setFilterInd(values.FilterInd);
    m_race->setLapType(values.LAPType);
}

void TFormMain::showEntryListDialog()
{
    if (!m_entryListDialog) {
        m_entryListDialog = new EntryListDialog(*m_event, m_results);
        // The race goes on while the operator edits the list.
        m_entryListDialog->addActions(actions());
    }
    m_entryListDialog->show();
    m_entryListDialog->raise();
    m_entryListDialog->activateWindow();
}

void TFormMain::loadEntryList()
{
    // A file put there by hand is read like an import: what it could not
    // take is named, line by line, and nothing is guessed.
    const EntryList::Import stored = m_event->loadStored();
    if (stored.problems.empty() || !m_env.errorBox)
        return;
    QStringList lines{QStringLiteral("Nennliste: %1").arg(m_event->filePath())};
    constexpr int kShown = 12;
    for (std::size_t i = 0; i < stored.problems.size() && i < kShown; ++i) {
        const EntryList::Problem& problem = stored.problems[i];
        lines.append(problem.line > 0 ? QStringLiteral("Zeile %1: %2")
                                            .arg(problem.line)
                                            .arg(QString::fromStdString(problem.message))
                                      : QString::fromStdString(problem.message));
    }
    if (stored.problems.size() > kShown)
        lines.append(QStringLiteral("… und %1 weitere").arg(stored.problems.size() - kShown));
    m_env.errorBox(lines.join(u'\n'));
}

void TFormMain::placeWindow(int left, int top, int width, int height)
{
    // Whatever was stored, no sum below may overflow: X11 places and sizes
    // windows in 16 bits anyway.
    QRect frame = WindowPlacement::withinReach(left, top, width, height, minimumSize(),
                                               SettingsStore::MaxExtent);
    // A position that no screen shows any more (a monitor was unplugged)
    // would hide the window; bring it back onto the primary screen.
    QScreen* home = nullptr;
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(frame.adjusted(0, 0, -50, -50))) {
            home = screen;
            break;
        }
    }
    const bool lost = home == nullptr;
    if (lost)
        home = QGuiApplication::primaryScreen();
    if (home) {
        // Never larger than the screen it opens on, never below its minimum.
        const QRect area = home->availableGeometry();
        const QSize stored = frame.size();
        frame.setSize(WindowPlacement::fitted(stored, area.size(), minimumSize()));
        // Made to fit, it has to lie on the screen too, or its status bar
        // would still hang below it.
        Qt::Orientations shrunk;
        if (frame.width() < stored.width())
            shrunk |= Qt::Horizontal;
        if (frame.height() < stored.height())
            shrunk |= Qt::Vertical;
        frame = WindowPlacement::keptInside(frame, area, shrunk);
        if (lost) {
            frame.moveCenter(area.center());
            frame.moveTopLeft(
                QPoint(std::max(frame.left(), area.left()), std::max(frame.top(), area.top())));
        }
    }
    resize(frame.size());
    move(frame.topLeft());
}

bool TFormMain::saveSettings()
{
    // Something other than a settings file in the store's place was put
    // there by someone; it is left as it is and nothing is written.
    const std::unique_ptr<QSettings> settings = openSettings(m_env, programName());
    if (!settings)
        return true;
    // Their own groups, written out with the values below and never between them.
    if (m_display)
        m_display->saveState(*settings, m_displayOpen);
    m_results->saveSettings(*settings);
    m_event->save(*settings);
    m_live->save(*settings);
    SettingsStore values;
    values.Left = x();
    values.Top = y();
    values.Width = width();
    values.Height = height();
    values.Sound = m_sound;
    values.Port = m_portWiring->portNumber();
    values.Alg = m_race->BarrierAlgorithm();
    values.Splits = m_race->LapLimit();
    values.C1 = static_cast<int32_t>(m_c1);
    values.C2 = static_cast<int32_t>(m_c2);
    values.C3 = static_cast<int32_t>(m_c3);
    values.Acc = m_race->DisplayResolution();
    values.WaitStart = m_race->LockoutTime();
    values.FilterInd = m_protocol->FilterInd();
    values.LAPType = m_race->LapType();
    return values.save(*settings);
}

void TFormMain::setDisplayColours(TColor c1, TColor c2, TColor c3)
{
    m_c1 = c1;
    m_c2 = c2;
    m_c3 = c3;
    m_race->ApplyDigitColours(m_c1, m_c2, m_c3);
    setBackgroundOfDisplay();
}

void TFormMain::setBackgroundOfDisplay()
{
    m_digitPanel->setColours(m_c1, m_c2);
    if (m_display)
        m_display->setBoardColours(m_c1, m_c2);
}

void TFormMain::TimerDateTimer()
{
    // The short date: the panel is 222 pixels wide and a long date with the
    // weekday and month name would be cut off.
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    const QString text = locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral("   ") +
                         locale.toString(now.time(), QLocale::ShortFormat);
    // Some locales write longer dates than the panel holds; shrink rather
    // than cut off the time.
    QFont font = m_ui.PanelDate->font();
    font.setPixelSize(24);
    const int room = m_ui.PanelDate->width() - 8;
    while (font.pixelSize() > 12 && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPixelSize(font.pixelSize() - 1);
    m_ui.PanelDate->setFont(font);
    m_ui.PanelDate->setText(text);
}

void TFormMain::FormResize()
{
    m_ui.StatusPanels[2]->setText(QStringLiteral("%1x%2     ").arg(width()).arg(height()));
    // Anchored to the right edge; the header spans the whole window.
    m_ui.PanelDate->move(width() - m_ui.PanelDate->width() - 2, 2);
}

void TFormMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFormMain::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    if (!m_painted) {
        m_painted = true;
        QTimer::singleShot(0, this, &TFormMain::firstPaint);
    }
}

bool TFormMain::FormCloseQuery()
{
    if (m_yesNo)
        m_yesNo->setQuestion(QStringLiteral("Beenden?"));
    if (!m_ui.Clock->isActive() && m_protocol->memo().isEmpty())
        return true;
    if (!m_yesNo)
        return false;
    return m_yesNo->exec() == TFDlgYesNo::mrYes;
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    if (FormCloseQuery()) {
        event->accept();
        // Left open, the board would keep the program running.
        if (m_display)
            m_display->hide();
    } else
        event->ignore();
}

void TFormMain::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    // The steps run in this order and the first failure ends them, as the
    // operator is told about it; the port is still closed when its component
    // goes, and the crash copy of the protocol stays where it is.
    if (!saveSettings()) {
        showError(QStringLiteral("Die Einstellungen konnten nicht gespeichert werden."));
        return;
    }
    m_portWiring->close();
    // The last step: a failed exit copy has told the operator already.
    m_protocol->writeExitCopy();
}

QWidget* TFormMain::showNotice(const QString& text)
{
    // Not modal: the race goes on while the operator reads this.
    auto* box = new QMessageBox(QMessageBox::Warning, kTitle, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    // The keys must keep working on the main window: F9 still has to stop.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->show();
    // Some window systems activate every new window regardless; take the
    // keyboard back, the notice stays in front as the window's child.
    activateWindow();
    return box;
}

void TFormMain::barrierLost(const QString& text)
{
    m_lostNotice = showNotice(text);
}

void TFormMain::ComPortOpen()
{
    m_ui.LabelMadus2->setText(QStringLiteral("Modus:"));
    m_ui.LedModus->setCursor(Qt::PointingHandCursor);
}

void TFormMain::ComPortClose()
{
    m_ui.LabelMadus2->setText(QStringLiteral("Modus:"));
    m_ui.LedModus->setCursor(Qt::ArrowCursor);
}

void TFormMain::applyPortChoice(int oldIndex, int newIndex, const QString& itemText,
                                int algorithmIndex)
{
    // The algorithm belongs to the chosen port; with "Keine" the last one
    // stays for the next port. It holds even when the port does not open.
    if (newIndex != 0)
        m_race->setBarrierAlgorithm(algorithmIndex);
    try {
        m_portWiring->applyPortChoice(oldIndex, newIndex, itemText);
    } catch (const EComError&) {
        // The old port is closed already: showing Auto and "Frei" now would
        // promise a barrier that cannot trigger.
        m_race->SetHandMode();
        throw;
    }
    // Confirming the open port again puts a window that the operator had
    // switched to Hand back into Auto.
    if (m_portWiring->isOpen())
        m_race->SetAutoMode();
    else
        m_race->SetHandMode();
}

void TFormMain::journalFailing(const QString& reason)
{
    // Once per outage: the journal goes on trying with every line.
    if (!m_journalNotice)
        m_journalNotice = showNotice(
            QStringLiteral("Sicherungskopie des Protokolls kann nicht geschrieben werden: %1")
                .arg(reason));
}

void TFormMain::journalRecovered()
{
    if (m_journalNotice)
        m_journalNotice->close();
}

void TFormMain::showError(const QString& text)
{
    m_env.errorBox(text);
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.editStartN || watched == m_ui.seStartN) {
        if (event->type() == QEvent::ShortcutOverride) {
            // Del resets the race while reset is possible, even with the
            // cursor in the start number; otherwise it deletes a character.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Delete &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
                m_ui.mReset->isEnabled()) {
                event->ignore();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress && watched == m_ui.editStartN) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                m_race->editStartNKeyDown(RaceControl::kVkReturn);
                return true;
            }
        }
    } else if (event->type() == QEvent::MouseButtonPress &&
               (watched == m_ui.Label8 || watched == m_ui.Label5 || watched == m_ui.Image5)) {
        ImageDEClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::ImageDEClick()
{
    m_env.openExternal(kMakerSite);
}

void TFormMain::bExitClick()
{
    close();
}

void TFormMain::bHelpClick()
{
    if (m_help)
        m_help->ShowTableOfContents();
}

void TFormMain::bInfoClick()
{
    if (m_info)
        m_info->exec();
}

void TFormMain::Drucker1Click()
{
    m_protocol->Drucker1Click();
}

void TFormMain::UpdateProtocolButtons()
{
    if (m_protocol)
        m_protocol->UpdateProtocolButtons();
}
