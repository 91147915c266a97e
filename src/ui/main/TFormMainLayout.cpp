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

    Panel1 = panel(central, QFrame::Plain);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(37);
    Panel1->setFont(pixelFont(kArial, 16, true));
    createHeader(Panel1);
    column->addWidget(Panel1);

    Panel2 = panel(central, QFrame::Sunken);
    Panel2->setObjectName("Panel2");
    // The halves sit right inside the panel's one-pixel bevel.
    auto* halves = new QHBoxLayout(Panel2);
    halves->setContentsMargins(0, 0, 0, 0);
    halves->setSpacing(0);
    column->addWidget(Panel2, 1);

    PanelLeft = panel(Panel2, QFrame::Raised);
    PanelLeft->setObjectName("PanelLeft");
    PanelLeft->setFixedWidth(495);
    PanelLeft->setFont(pixelFont(kArial, 19, true));
    PanelLeft->setFocusPolicy(Qt::ClickFocus);
    createTimingHalf(PanelLeft);
    halves->addWidget(PanelLeft);

    Panel3 = panel(Panel2, QFrame::Raised);
    Panel3->setObjectName("Panel3");
    createProtocolHalf(Panel3);
    halves->addWidget(Panel3, 1);

    createStatusBar();
    createMenu();
    createProtocolPopup();

    TimerDate = new QTimer(this);
    TimerDate->setInterval(5000);
    Clock = new QTimer(this);
    Clock->setInterval(10);
    Clock->setTimerType(Qt::PreciseTimer);
    TimerGesperrt = new QTimer(this);
    TimerGesperrt->setSingleShot(true);
}

void TFormMain::createHeader(QWidget* parent)
{
    bHelp = toolbarButton(parent, 1, QStringLiteral("[F1] Hilfe"), Pictures::HelpGlyph);
    bCFG = toolbarButton(parent, 41, QStringLiteral("[F2] Einstellungen"), Pictures::SettingsGlyph);
    LbSpeedButton1 =
        toolbarButton(parent, 81, QStringLiteral("[F3] Information"), Pictures::InfoGlyph);

    // The product name as a logo: each half over a black copy shifted by two
    // pixels, which reads as a shadow.
    const QFont logo = pixelFont(kArial, 27, true);
    const QString first = QStringLiteral("Kelva");
    const QString second = QStringLiteral("tron");
    const int firstWidth = QFontMetrics(logo).horizontalAdvance(first);
    const int secondLeft = 127 + firstWidth;
    const int secondWidth = QFontMetrics(logo).horizontalAdvance(second) + 2;
    Label7 = label(parent, first, logo, QRect(129, 3, firstWidth + 2, 32));
    Label4 = label(parent, second, logo, QRect(secondLeft + 2, 3, secondWidth, 32));
    Label8 = label(parent, first, logo, QRect(127, 1, firstWidth + 2, 32));
    Label5 = label(parent, second, logo, QRect(secondLeft, 1, secondWidth, 32));
    setTextColor(Label7, 0x000000);
    setTextColor(Label4, 0x000000);
    setTextColor(Label8, 0x0000FF);
    setTextColor(Label5, 0x008000);

    Image5 = new QLabel(parent);
    Image5->setGeometry(std::max(274, secondLeft + secondWidth + 4), 5, 28, 21);
    Image5->setPixmap(Pictures::pixmap(Pictures::Flag));
    for (QLabel* clickable : {Label8, Label5, Image5}) {
        clickable->setCursor(Qt::PointingHandCursor);
        clickable->installEventFilter(this);
    }

    PanelDate = new QLabel(QStringLiteral("00:00"), parent);
    PanelDate->setObjectName("PanelDate");
    PanelDate->setFrameShape(QFrame::Panel);
    PanelDate->setFrameShadow(QFrame::Sunken);
    PanelDate->setLineWidth(2);
    PanelDate->setAlignment(Qt::AlignCenter);
    PanelDate->setFont(pixelFont(kArial, 24));
    PanelDate->resize(222, 32);
    setBackground(PanelDate, 0x000000);
    setTextColor(PanelDate, 0xC0C0C0);
}

void TFormMain::createTimingHalf(QWidget* parent)
{
    PanelTimerOwner = panel(parent, QFrame::Plain);
    PanelTimerOwner->setObjectName("PanelTimerOwner");
    PanelTimerOwner->setGeometry(0, 0, DisplayLayout::kOwnerWidth, 221);
    createDigitPanel(PanelTimerOwner);

    const QFont captionFont = pixelFont(kArial, 19, true);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Label12 =
        label(parent, QStringLiteral("Nr./Name:"), captionFont, QRect(127, 234, 100, 24), right);
    LabelMadus2 =
        label(parent, QStringLiteral("Modus:"), captionFont, QRect(127, 266, 100, 24), right);
    Label9 = label(parent, QStringLiteral("Signal:"), captionFont, QRect(127, 298, 100, 24), right);

    seStartN = new TSpinEdit(parent);
    seStartN->setObjectName("seStartN");
    seStartN->setGeometry(232, 230, 259, 32);
    seStartN->setMinValue(1);
    seStartN->setMaxValue(1000000);
    seStartN->setMaxLength(7);
    seStartN->setValue(1);
    seStartN->setToolTip(QStringLiteral("Nummer"));
    seStartN->installEventFilter(this);

    // The text edit lies over the spin edit and is 18 pixels narrower, so only
    // the arrows show beside it: the arrows count, the edit also takes names.
    editStartN = new QLineEdit(QStringLiteral("1"), parent);
    editStartN->setObjectName("editStartN");
    editStartN->setGeometry(233, 231, 241, 30);
    editStartN->setToolTip(QStringLiteral("Nummer oder Name"));
    editStartN->setValidator(new CodePageValidator([this] { m_env.beep(); }, editStartN));
    editStartN->raise();
    editStartN->installEventFilter(this);

    const QFont stateFont = pixelFont(kArial, 19, true);
    LedModus = new TLed(parent);
    LedModus->move(231, 270);
    LedModus->setValue(true);
    LabelModus = label(parent, QStringLiteral("Hand"), stateFont, QRect(256, 266, 120, 24));
    LedSignal = new TLed(parent);
    LedSignal->move(231, 302);
    LedSignal->setValue(true);
    LabelGesperrt = label(parent, QStringLiteral("Gesperrt"), stateFont, QRect(256, 298, 160, 24));

    bSTART =
        commandButton(parent, QStringLiteral("START"), QStringLiteral("F5"), 230, clGreen, true);
    bLAP = commandButton(parent, QStringLiteral("LAP"), QStringLiteral("F4"), 262, clYellow, false);
    bSTOP = commandButton(parent, QStringLiteral("STOPP"), QStringLiteral("F9"), 294, clRed, true);
    bRESET =
        commandButton(parent, QStringLiteral("00:00"), QStringLiteral("Entf"), 326, clBlack, true);
    bLAP->setEnabled(false);
    bSTOP->setEnabled(false);
    bRESET->setEnabled(false);
    setTabOrder(editStartN, bSTART);
}

void TFormMain::createDigitPanel(QWidget* owner)
{
    m_digitPanel = new DigitPanel(owner);
    PanelTimer = m_digitPanel;
    PanelTimer->setObjectName("PanelTimer");
    // Here, unlike on the scoreboard, the panel stands out in a wide bevel.
    PanelTimer->setFrameShape(QFrame::Panel);
    PanelTimer->setFrameShadow(QFrame::Raised);
    PanelTimer->setLineWidth(DisplayLayout::kBevelWidth);
    m_digitPanel->setColours(m_c1, m_c2);

    for (int place = 0; place < 8; ++place) {
        FirstRow[place] = m_digitPanel->digit(static_cast<DisplayControl>(place));
        SecondRow[place] = m_digitPanel->digit(
            static_cast<DisplayControl>(static_cast<int>(DisplayControl::Digit12) + place));
    }
    LabHour = m_digitPanel->label(DisplayControl::LabHour);
    LabMin = m_digitPanel->label(DisplayControl::LabMin);
    LabSec = m_digitPanel->label(DisplayControl::LabSec);
    LabHour2 = m_digitPanel->label(DisplayControl::LabHour2);
    LabMin2 = m_digitPanel->label(DisplayControl::LabMin2);
    LabSec2 = m_digitPanel->label(DisplayControl::LabSec2);
    Lab_Hour = m_digitPanel->label(DisplayControl::Lab_Hour);
    Lab_Min = m_digitPanel->label(DisplayControl::Lab_Min);
    Lab_sek = m_digitPanel->label(DisplayControl::Lab_sek);
    Lab_100 = m_digitPanel->label(DisplayControl::Lab_100);
}

void TFormMain::createProtocolHalf(QWidget* parent)
{
    auto* column = new QVBoxLayout(parent);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel4 = panel(parent, QFrame::Raised);
    Panel4->setObjectName("Panel4");
    Panel4->setFixedHeight(41);
    setBackground(Panel4, ColorRef::BtnShadow);
    auto* bar = new QGridLayout(Panel4);
    bar->setContentsMargins(4, 1, 4, 1);
    bar->setSpacing(0);
    sbSave = protocolButton(Panel4, QStringLiteral("Speichern unter..."), Pictures::SaveGlyph);
    sbLoad = protocolButton(Panel4, QString(), Pictures::OpenGlyph);
    sbInet = protocolButton(Panel4, QStringLiteral("Als Webseite"), Pictures::WebGlyph);
    sbPrint = protocolButton(Panel4, QStringLiteral("Drucken"), Pictures::PrintGlyph);
    sbCLS = protocolButton(Panel4, QString(), Pictures::ClearGlyph);
    int place = 0;
    for (QToolButton* button : {sbSave, sbLoad, sbInet})
        bar->addWidget(button, 0, place++);
    bar->setColumnStretch(place++, 1);
    for (QToolButton* button : {sbPrint, sbCLS})
        bar->addWidget(button, 0, place++);
    // The caption is the panel's own, centred across it under the buttons.
    // It claims no width: at the smallest window the timing half keeps its
    // 495 pixels and the caption's leading blanks go under the buttons.
    auto* caption = new QLabel(QStringLiteral("        Protokoll"), Panel4);
    caption->setFont(pixelFont(kArial, 19));
    caption->setAlignment(Qt::AlignCenter);
    caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    bar->addWidget(caption, 0, 0, 1, place);
    caption->lower();
    column->addWidget(Panel4);

    Memo1 = new QPlainTextEdit(parent);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFont(pixelFont(kCourier, 13));
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(Memo1, 1);
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
        StatusPanels[i] = p;
    }
    setStatusBar(bar);
}

void TFormMain::createMenu()
{
    // The menu bar stays hidden: the items exist for their short-cuts, which
    // work through the window's actions.
    menuBar()->hide();
    HideMenu1 = new QMenu(QStringLiteral("HideMenu"), this);
    auto item = [this](const char* caption, const QKeySequence& shortcut) {
        auto* action = new QAction(QString::fromUtf8(caption), this);
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        HideMenu1->addAction(action);
        addAction(action);
        return action;
    };
    mStart = item("Start", Qt::Key_F5);
    mSplit = item("Split", Qt::Key_F4);
    mLAP = item("Lap", {});
    mStop = item("Stopp", Qt::Key_F9);
    mReset = item("0,00", Qt::Key_Delete);
    Save1 = item("Save", Qt::CTRL | Qt::Key_S);
    Open1 = item("Open", Qt::CTRL | Qt::Key_O);
    New1 = item("New", Qt::CTRL | Qt::Key_N);
    Auto1 = item("&Auto", Qt::ALT | Qt::Key_A);
    Info1 = item("Info", Qt::Key_F3);
    Hand1 = item("&Hand", Qt::ALT | Qt::Key_H);
    EinstellunGen1 = item("Einstellungen", Qt::Key_F2);
    Hilfe1 = item("H&ilfe", Qt::CTRL | Qt::Key_I);
    Drucker1 = item("&Drucker", Qt::Key_F7);
    Beenden1 = item("&Beenden", Qt::ALT | Qt::Key_B);
    mHilfe = item("Hilfe", Qt::Key_F1);
    Modus1 = item("Modus", Qt::ALT | Qt::Key_M);
    Ergebnisse1 = item("Ergebnisliste", Qt::Key_F6);
    mAnzeigetafel = item("Anzeigetafel", Qt::Key_F8);
    mSplit->setEnabled(false);
    mLAP->setEnabled(false);
    mStop->setEnabled(false);
    mReset->setEnabled(false);
}

void TFormMain::createProtocolPopup()
{
    PopupMenuProtokol = new QMenu(this);
    Selectall1 = PopupMenuProtokol->addAction(QStringLiteral("Alles markieren"));
    CopytoClipboard1 = PopupMenuProtokol->addAction(QStringLiteral("Kopieren"));
    PopupMenuProtokol->addSeparator();
    exporttoWord1 = PopupMenuProtokol->addAction(QStringLiteral("Datei in MS Word konvertieren"));
    Ergebnisliste1 = PopupMenuProtokol->addAction(QStringLiteral("Ergebnisliste"));
}
