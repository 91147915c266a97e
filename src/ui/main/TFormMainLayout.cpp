// Building the main window's controls. Positions and sizes are pixels of the
// classic form at its smallest size; docking (top, bottom, left, client) is
// done with box layouts so the protocol takes whatever the window grows by.

#include "ui/main/TFormMain.h"

#include "controls/ColorRef.h"
#include "controls/TBitBtnWithColor.h"
#include "controls/TLbSpeedButton.h"
#include "controls/TLed.h"
#include "controls/TSpinEdit.h"
#include "core/DisplayLayout.h"
#include "core/Version.h"
#include "help/Pictures.h"
#include "ui/display/DigitPanel.h"
#include "ui/main/CodePageValidator.h"

#include <QAction>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The fonts the form names, through their metric twins on Linux.
const char* const kArial = "Liberation Sans";
const char* const kCourier = "Liberation Mono";

QFont pixelFont(const char* family, int pixels, bool bold = false)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

void setBackground(QWidget* widget, TColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colorFromRef(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColor(QWidget* widget, TColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colorFromRef(color));
    widget->setPalette(palette);
}

QFrame* panel(QWidget* parent, QFrame::Shadow shadow, int lineWidth = 1)
{
    auto* frame = new QFrame(parent);
    frame->setFrameShape(shadow == QFrame::Plain ? QFrame::NoFrame : QFrame::Panel);
    frame->setFrameShadow(shadow);
    frame->setLineWidth(lineWidth);
    return frame;
}

QLabel* label(QWidget* parent, const QString& text, const QFont& font, QRect geometry,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    l->setGeometry(geometry);
    l->setAlignment(alignment);
    return l;
}

TLbSpeedButton* toolbarButton(QWidget* parent, int left, const QString& hint, const char* glyph)
{
    auto* button = new TLbSpeedButton(parent);
    button->setGeometry(left, 0, 38, 36);
    button->setCursor(Qt::PointingHandCursor);
    button->setFlat(true);
    button->setTransparent(true);
    button->setGlyph(Pictures::pixmap(glyph).toImage());
    button->setNumGlyphs(2);
    button->setLightColor(ColorRef::BtnFace);
    button->setShadowColor(ColorRef::BtnFace);
    button->setToolTip(hint);
    return button;
}

TBitBtnWithColor* commandButton(QWidget* parent, const QString& caption, const QString& hint,
                                int top, TColor color, bool whiteText)
{
    auto* button = new TBitBtnWithColor(parent);
    button->setText(caption);
    button->setToolTip(hint);
    button->setGeometry(4, top, 114, 30);
    button->setCursor(Qt::PointingHandCursor);
    button->setFont(pixelFont(kArial, 19, true));
    button->setColor(color);
    if (whiteText)
        setTextColor(button, 0xFFFFFF);
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, whiteText ? Qt::white : Qt::black);
    button->setPalette(palette);
    return button;
}

QToolButton* protocolButton(QWidget* parent, const QString& hint, const char* glyph)
{
    auto* button = new QToolButton(parent);
    button->setFixedSize(36, 38);
    button->setAutoRaise(true);
    button->setIcon(Pictures::stripIcon(glyph));
    button->setIconSize(QSize(24, 24));
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

void TFormMain::createControls()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    m_ui.Panel1 = panel(central, QFrame::Plain);
    m_ui.Panel1->setObjectName("Panel1");
    m_ui.Panel1->setFixedHeight(37);
    m_ui.Panel1->setFont(pixelFont(kArial, 16, true));
    createHeader(m_ui.Panel1);
    column->addWidget(m_ui.Panel1);

    m_ui.Panel2 = panel(central, QFrame::Sunken);
    m_ui.Panel2->setObjectName("Panel2");
    // The halves sit right inside the panel's one-pixel bevel.
    auto* halves = new QHBoxLayout(m_ui.Panel2);
    halves->setContentsMargins(0, 0, 0, 0);
    halves->setSpacing(0);
    column->addWidget(m_ui.Panel2, 1);

    m_ui.PanelLeft = panel(m_ui.Panel2, QFrame::Raised);
    m_ui.PanelLeft->setObjectName("PanelLeft");
    m_ui.PanelLeft->setFixedWidth(495);
    m_ui.PanelLeft->setFont(pixelFont(kArial, 19, true));
    m_ui.PanelLeft->setFocusPolicy(Qt::ClickFocus);
    createTimingHalf(m_ui.PanelLeft);
    halves->addWidget(m_ui.PanelLeft);

    m_ui.Panel3 = panel(m_ui.Panel2, QFrame::Raised);
    m_ui.Panel3->setObjectName("Panel3");
    createProtocolHalf(m_ui.Panel3);
    halves->addWidget(m_ui.Panel3, 1);

    createStatusBar();
    createMenu();
    createProtocolPopup();

    m_ui.TimerDate = new QTimer(this);
    m_ui.TimerDate->setInterval(5000);
    m_ui.Clock = new QTimer(this);
    m_ui.Clock->setInterval(10);
    m_ui.Clock->setTimerType(Qt::PreciseTimer);
    m_ui.TimerGesperrt = new QTimer(this);
    m_ui.TimerGesperrt->setSingleShot(true);
}

void TFormMain::createHeader(QWidget* parent)
{
    m_ui.bHelp = toolbarButton(parent, 1, QStringLiteral("[F1] Hilfe"), Pictures::HelpGlyph);
    m_ui.bCFG =
        toolbarButton(parent, 41, QStringLiteral("[F2] Einstellungen"), Pictures::SettingsGlyph);
    m_ui.LbSpeedButton1 =
        toolbarButton(parent, 81, QStringLiteral("[F3] Information"), Pictures::InfoGlyph);

    // The product name as a logo: each half over a black copy shifted by two
    // pixels, which reads as a shadow.
    const QFont logo = pixelFont(kArial, 27, true);
    const QString first = QStringLiteral("Kelva");
    const QString second = QStringLiteral("tron");
    const int firstWidth = QFontMetrics(logo).horizontalAdvance(first);
    const int secondLeft = 127 + firstWidth;
    const int secondWidth = QFontMetrics(logo).horizontalAdvance(second) + 2;
    m_ui.Label7 = label(parent, first, logo, QRect(129, 3, firstWidth + 2, 32));
    m_ui.Label4 = label(parent, second, logo, QRect(secondLeft + 2, 3, secondWidth, 32));
    m_ui.Label8 = label(parent, first, logo, QRect(127, 1, firstWidth + 2, 32));
    m_ui.Label5 = label(parent, second, logo, QRect(secondLeft, 1, secondWidth, 32));
    setTextColor(m_ui.Label7, 0x000000);
    setTextColor(m_ui.Label4, 0x000000);
    setTextColor(m_ui.Label8, 0x0000FF);
    setTextColor(m_ui.Label5, 0x008000);

    m_ui.Image5 = new QLabel(parent);
    m_ui.Image5->setGeometry(std::max(274, secondLeft + secondWidth + 4), 5, 28, 21);
    m_ui.Image5->setPixmap(Pictures::pixmap(Pictures::Flag));
    for (QLabel* clickable : {m_ui.Label8, m_ui.Label5, m_ui.Image5}) {
        clickable->setCursor(Qt::PointingHandCursor);
        clickable->installEventFilter(this);
    }

    m_ui.PanelDate = new QLabel(QStringLiteral("00:00"), parent);
    m_ui.PanelDate->setObjectName("PanelDate");
    m_ui.PanelDate->setFrameShape(QFrame::Panel);
    m_ui.PanelDate->setFrameShadow(QFrame::Sunken);
    m_ui.PanelDate->setLineWidth(2);
    m_ui.PanelDate->setAlignment(Qt::AlignCenter);
    m_ui.PanelDate->setFont(pixelFont(kArial, 24));
    m_ui.PanelDate->resize(222, 32);
    setBackground(m_ui.PanelDate, 0x000000);
    setTextColor(m_ui.PanelDate, 0xC0C0C0);
}

void TFormMain::createTimingHalf(QWidget* parent)
{
    m_ui.PanelTimerOwner = panel(parent, QFrame::Plain);
    m_ui.PanelTimerOwner->setObjectName("PanelTimerOwner");
    m_ui.PanelTimerOwner->setGeometry(0, 0, DisplayLayout::kOwnerWidth, 221);
    createDigitPanel(m_ui.PanelTimerOwner);

    const QFont captionFont = pixelFont(kArial, 19, true);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    m_ui.Label12 =
        label(parent, QStringLiteral("Nr./Name:"), captionFont, QRect(127, 234, 100, 24), right);
    m_ui.LabelMadus2 =
        label(parent, QStringLiteral("Modus:"), captionFont, QRect(127, 266, 100, 24), right);
    m_ui.Label9 =
        label(parent, QStringLiteral("Signal:"), captionFont, QRect(127, 298, 100, 24), right);

    m_ui.seStartN = new TSpinEdit(parent);
    m_ui.seStartN->setObjectName("seStartN");
    m_ui.seStartN->setGeometry(232, 230, 259, 32);
    m_ui.seStartN->setMinValue(1);
    m_ui.seStartN->setMaxValue(1000000);
    m_ui.seStartN->setMaxLength(7);
    m_ui.seStartN->setValue(1);
    m_ui.seStartN->setToolTip(QStringLiteral("Nummer"));
    m_ui.seStartN->installEventFilter(this);

    // The text edit lies over the spin edit and is 18 pixels narrower, so only
    // the arrows show beside it: the arrows count, the edit also takes names.
    m_ui.editStartN = new QLineEdit(QStringLiteral("1"), parent);
    m_ui.editStartN->setObjectName("editStartN");
    m_ui.editStartN->setGeometry(233, 231, 241, 30);
    m_ui.editStartN->setToolTip(QStringLiteral("Nummer oder Name"));
    m_ui.editStartN->setValidator(new CodePageValidator([this] { m_env.beep(); }, m_ui.editStartN));
    m_ui.editStartN->raise();
    m_ui.editStartN->installEventFilter(this);

    const QFont stateFont = pixelFont(kArial, 19, true);
    m_ui.LedModus = new TLed(parent);
    m_ui.LedModus->move(231, 270);
    m_ui.LedModus->setValue(true);
    m_ui.LabelModus = label(parent, QStringLiteral("Hand"), stateFont, QRect(256, 266, 120, 24));
    m_ui.LedSignal = new TLed(parent);
    m_ui.LedSignal->move(231, 302);
    m_ui.LedSignal->setValue(true);
    m_ui.LabelGesperrt =
        label(parent, QStringLiteral("Gesperrt"), stateFont, QRect(256, 298, 160, 24));

    m_ui.bSTART =
        commandButton(parent, QStringLiteral("START"), QStringLiteral("F5"), 230, clGreen, true);
    m_ui.bLAP =
        commandButton(parent, QStringLiteral("LAP"), QStringLiteral("F4"), 262, clYellow, false);
    m_ui.bSTOP =
        commandButton(parent, QStringLiteral("STOPP"), QStringLiteral("F9"), 294, clRed, true);
    m_ui.bRESET =
        commandButton(parent, QStringLiteral("00:00"), QStringLiteral("Entf"), 326, clBlack, true);
    m_ui.bLAP->setEnabled(false);
    m_ui.bSTOP->setEnabled(false);
    m_ui.bRESET->setEnabled(false);
    setTabOrder(m_ui.editStartN, m_ui.bSTART);
}

void TFormMain::createDigitPanel(QWidget* owner)
{
    m_digitPanel = new DigitPanel(owner);
    m_ui.PanelTimer = m_digitPanel;
    m_ui.PanelTimer->setObjectName("PanelTimer");
    // Here, unlike on the scoreboard, the panel stands out in a wide bevel.
    m_ui.PanelTimer->setFrameShape(QFrame::Panel);
    m_ui.PanelTimer->setFrameShadow(QFrame::Raised);
    m_ui.PanelTimer->setLineWidth(DisplayLayout::kBevelWidth);
    m_digitPanel->setColours(m_c1, m_c2);

    for (int place = 0; place < 8; ++place) {
        m_ui.FirstRow[place] = m_digitPanel->digit(static_cast<DisplayControl>(place));
        m_ui.SecondRow[place] = m_digitPanel->digit(
            static_cast<DisplayControl>(static_cast<int>(DisplayControl::Digit12) + place));
    }
    m_ui.LabHour = m_digitPanel->label(DisplayControl::LabHour);
    m_ui.LabMin = m_digitPanel->label(DisplayControl::LabMin);
    m_ui.LabSec = m_digitPanel->label(DisplayControl::LabSec);
    m_ui.LabHour2 = m_digitPanel->label(DisplayControl::LabHour2);
    m_ui.LabMin2 = m_digitPanel->label(DisplayControl::LabMin2);
    m_ui.LabSec2 = m_digitPanel->label(DisplayControl::LabSec2);
    m_ui.Lab_Hour = m_digitPanel->label(DisplayControl::Lab_Hour);
    m_ui.Lab_Min = m_digitPanel->label(DisplayControl::Lab_Min);
    m_ui.Lab_sek = m_digitPanel->label(DisplayControl::Lab_sek);
    m_ui.Lab_100 = m_digitPanel->label(DisplayControl::Lab_100);
}

void TFormMain::createProtocolHalf(QWidget* parent)
{
    auto* column = new QVBoxLayout(parent);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_ui.Panel4 = panel(parent, QFrame::Raised);
    m_ui.Panel4->setObjectName("Panel4");
    m_ui.Panel4->setFixedHeight(41);
    setBackground(m_ui.Panel4, ColorRef::BtnShadow);
    auto* bar = new QGridLayout(m_ui.Panel4);
    bar->setContentsMargins(4, 1, 4, 1);
    bar->setSpacing(0);
    m_ui.sbSave =
        protocolButton(m_ui.Panel4, QStringLiteral("Speichern unter..."), Pictures::SaveGlyph);
    m_ui.sbLoad = protocolButton(m_ui.Panel4, QString(), Pictures::OpenGlyph);
    m_ui.sbInet = protocolButton(m_ui.Panel4, QStringLiteral("Als Webseite"), Pictures::WebGlyph);
    m_ui.sbPrint = protocolButton(m_ui.Panel4, QStringLiteral("Drucken"), Pictures::PrintGlyph);
    m_ui.sbCLS = protocolButton(m_ui.Panel4, QString(), Pictures::ClearGlyph);
    int place = 0;
    for (QToolButton* button : {m_ui.sbSave, m_ui.sbLoad, m_ui.sbInet})
        bar->addWidget(button, 0, place++);
    bar->setColumnStretch(place++, 1);
    for (QToolButton* button : {m_ui.sbPrint, m_ui.sbCLS})
        bar->addWidget(button, 0, place++);
    // The caption is the panel's own, centred across it under the buttons.
    // It claims no width: at the smallest window the timing half keeps its
    // 495 pixels and the caption's leading blanks go under the buttons.
    auto* caption = new QLabel(QStringLiteral("        Protokoll"), m_ui.Panel4);
    caption->setFont(pixelFont(kArial, 19));
    caption->setAlignment(Qt::AlignCenter);
    caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    bar->addWidget(caption, 0, 0, 1, place);
    caption->lower();
    column->addWidget(m_ui.Panel4);

    m_ui.Memo1 = new QPlainTextEdit(parent);
    m_ui.Memo1->setObjectName("Memo1");
    m_ui.Memo1->setReadOnly(true);
    m_ui.Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_ui.Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_ui.Memo1->setFont(pixelFont(kCourier, 13));
    m_ui.Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(m_ui.Memo1, 1);
}

void TFormMain::createStatusBar()
{
    auto* bar = new QStatusBar(this);
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(19);
    const int widths[3] = {200, 112, 50};
    const QString texts[3] = {QStringLiteral("Ortavin Zeitmesstechnik"),
                              QStringLiteral("Kelvatron " KELVATRON_VERSION), QString()};
    for (int i = 0; i < 3; ++i) {
        auto* p = new QLabel(texts[i], bar);
        p->setMinimumWidth(widths[i]);
        p->setAlignment(i == 0 ? Qt::AlignCenter
                               : (i == 2 ? Qt::AlignRight | Qt::AlignVCenter
                                         : Qt::AlignLeft | Qt::AlignVCenter));
        if (i < 2) {
            p->setFrameShape(QFrame::Panel);
            p->setFrameShadow(QFrame::Sunken);
            bar->addWidget(p);
        } else {
            bar->addPermanentWidget(p);
        }
        m_ui.StatusPanels[i] = p;
    }
    setStatusBar(bar);
}

void TFormMain::createMenu()
{
    // The menu bar stays hidden: the items exist for their short-cuts, which
    // work through the window's actions.
    menuBar()->hide();
    m_ui.HideMenu1 = new QMenu(QStringLiteral("HideMenu"), this);
    auto item = [this](const char* caption, const QKeySequence& shortcut) {
        auto* action = new QAction(QString::fromUtf8(caption), this);
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        m_ui.HideMenu1->addAction(action);
        addAction(action);
        return action;
    };
    m_ui.mStart = item("Start", Qt::Key_F5);
    m_ui.mSplit = item("Split", Qt::Key_F4);
    m_ui.mLAP = item("Lap", {});
    m_ui.mStop = item("Stopp", Qt::Key_F9);
    m_ui.mReset = item("0,00", Qt::Key_Delete);
    m_ui.Save1 = item("Save", Qt::CTRL | Qt::Key_S);
    m_ui.Open1 = item("Open", Qt::CTRL | Qt::Key_O);
    m_ui.New1 = item("New", Qt::CTRL | Qt::Key_N);
    m_ui.Auto1 = item("&Auto", Qt::ALT | Qt::Key_A);
    m_ui.Info1 = item("Info", Qt::Key_F3);
    m_ui.Hand1 = item("&Hand", Qt::ALT | Qt::Key_H);
    m_ui.EinstellunGen1 = item("Einstellungen", Qt::Key_F2);
    m_ui.Hilfe1 = item("H&ilfe", Qt::CTRL | Qt::Key_I);
    m_ui.Drucker1 = item("&Drucker", Qt::Key_F7);
    m_ui.Beenden1 = item("&Beenden", Qt::ALT | Qt::Key_B);
    m_ui.mHilfe = item("Hilfe", Qt::Key_F1);
    m_ui.Modus1 = item("Modus", Qt::ALT | Qt::Key_M);
    m_ui.Ergebnisse1 = item("Ergebnisliste", Qt::Key_F6);
    m_ui.mAnzeigetafel = item("Anzeigetafel", Qt::Key_F8);
    m_ui.mSplit->setEnabled(false);
    m_ui.mLAP->setEnabled(false);
    m_ui.mStop->setEnabled(false);
    m_ui.mReset->setEnabled(false);
}

void TFormMain::createProtocolPopup()
{
    m_ui.PopupMenuProtokol = new QMenu(this);
    m_ui.Selectall1 = m_ui.PopupMenuProtokol->addAction(QStringLiteral("Alles markieren"));
    m_ui.CopytoClipboard1 = m_ui.PopupMenuProtokol->addAction(QStringLiteral("Kopieren"));
    m_ui.PopupMenuProtokol->addSeparator();
    m_ui.exporttoWord1 =
        m_ui.PopupMenuProtokol->addAction(QStringLiteral("Datei in MS Word konvertieren"));
    m_ui.Ergebnisliste1 = m_ui.PopupMenuProtokol->addAction(QStringLiteral("Ergebnisliste"));
}
