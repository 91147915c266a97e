#include "settings/TCfgDialog.h"

#include "controls/TSpinEdit.h"
#include "controls/TSpinFloatEdit.h"
#include "controls/ToColorCombo.h"
#include "core/ProductLimits.h"
#include "settings/LockoutConversion.h"

#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>

namespace {

constexpr int EditLeft = 95;
constexpr int EditWidth = 65;
constexpr int LabelRight = 93;
constexpr int AlgItemHeight = 13;

QImage blankPicture()
{
    QImage image(41, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A round dot set pixel by pixel: at this size a painted ellipse comes out
// square and flat.
void drawDot(QPainter& p, QPoint centre, int radius, const QColor& colour)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (dx * dx + dy * dy <= radius * radius + radius)
                p.fillRect(centre.x() + dx, centre.y() + dy, 1, 1, colour);
}

// The wires and the two terminals both pictures share. A 13-pixel list line
// shows rows 1 to 13 of the closed contact and rows 2 to 14 of the open
// switch (they are drawn one and two rows up); the drawings keep a row clear
// of either edge, so nothing looks cut off.
void drawContactBase(QPainter& p, const QColor& terminal, bool centrePixels)
{
    p.fillRect(0, 9, 9, 1, Qt::black);
    p.fillRect(32, 9, 9, 1, Qt::black);
    drawDot(p, {12, 9}, 3, terminal);
    drawDot(p, {28, 9}, 3, terminal);
    if (centrePixels) {
        p.fillRect(12, 9, 1, 1, Qt::black);
        p.fillRect(28, 9, 1, 1, Qt::black);
    }
}

// A closed contact: red terminals joined by a red bar.
QImage closedContact()
{
    QImage image = blankPicture();
    QPainter p(&image);
    const QColor red(0xE0, 0x00, 0x00);
    p.fillRect(12, 6, 17, 2, red);
    drawContactBase(p, red, true);
    return image;
}

// An open switch: grey terminals, and a dashed lever rising from the left
// terminal to a grey rest dot above and left of the right one.
QImage openSwitch()
{
    QImage image = blankPicture();
    QPainter p(&image);
    const QColor grey(0x60, 0x60, 0x60);
    drawContactBase(p, grey, false);
    QPen lever(Qt::black, 1, Qt::CustomDashLine);
    lever.setDashPattern({2, 1});
    p.setPen(lever);
    p.drawLine(15, 7, 20, 5);
    drawDot(p, {23, 5}, 2, grey);
    return image;
}

class AlgDelegate : public QStyledItemDelegate
{
public:
    explicit AlgDelegate(const TCfgDialog* dialog, QObject* parent)
        : QStyledItemDelegate(parent), m_dialog(dialog)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        m_dialog->cbAlgDrawItem(painter, index.row(), option.rect,
                                option.state.testFlag(QStyle::State_Selected),
                                !option.state.testFlag(QStyle::State_Enabled));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), AlgItemHeight};
    }

private:
    const TCfgDialog* m_dialog;
};

std::optional<TColor> systemColorPicker(QWidget* parent, TColor initial)
{
    const QColor chosen = QColorDialog::getColor(colorFromRef(initial), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return refFromColor(chosen);
}

} // namespace

TCfgDialog::TCfgDialog(std::uint32_t availablePorts, QWidget* parent)
    : QDialog(parent), m_picker(systemColorPicker), m_barrierAlgorithm([] { return 0; })
{
    setUpWindow();
    createRaceControls();
    createColourGroup();
    createButtons();
    connectControls();
    FormCreate(availablePorts);
}

void TCfgDialog::setUpWindow()
{
    setWindowTitle(QStringLiteral("Einstellungen"));
    setFixedSize(ClientWidth, ClientHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colorFromRef(Background));
    setPalette(pal);
    setAutoFillBackground(true);
    // The layout is in pixels and the combos are 65 wide; a narrow face keeps
    // "Absolute" clear of the arrow and the longest caption clear of the
    // edge, whatever font the desktop has.
    QFont small(QStringLiteral("Liberation Sans Narrow"));
    small.setPixelSize(11);
    setFont(small);
}

void TCfgDialog::createRaceControls()
{
    const auto row = [this](QWidget* control, const QString& caption, int top, int height) {
        control->setGeometry(EditLeft, top, EditWidth, height);
        addLabel(this, caption, LabelRight, top + 3);
    };

    cbLAPType = new QComboBox(this);
    cbLAPType->addItems({QStringLiteral("Relative"), QStringLiteral("Absolute")});
    row(cbLAPType, QStringLiteral("Stoppuhr:"), 8, 21);

    cbDigits = new QComboBox(this);
    cbDigits->addItems({QStringLiteral("1/100"), QStringLiteral("1/10"), QStringLiteral("1")});
    row(cbDigits, QStringLiteral("Empfindlichkeit:"), 31, 21);

    cbPort = new QComboBox(this);
    cbPort->addItem(QStringLiteral("Keine"));
    row(cbPort, QStringLiteral("LS-Kontakte (4+6):"), 53, 21);

    Image1 = closedContact();
    Image2 = openSwitch();
    cbAlg = new QComboBox(this);
    cbAlg->addItems({QStringLiteral("Ein"), QStringLiteral("Aus")});
    cbAlg->setItemDelegate(new AlgDelegate(this, cbAlg));
    cbAlg->installEventFilter(this);
    cbAlg->setEnabled(false);
    row(cbAlg, QStringLiteral("Algorithmus:"), 75, 19);

    seLaps = new TSpinEdit(this);
    seLaps->setMinValue(0);
    seLaps->setMaxValue(ProductLimits::kMaxLapLimit);
    seLaps->setMaxLength(4);
    seLaps->setEnabled(false);
    row(seLaps, QStringLiteral("LAP-Anzahl:"), 97, 21);

    seWait = new TSpinFloatEdit(this);
    seWait->setIncrement(0.1);
    seWait->setDigits(1);
    seWait->setMin(0);
    seWait->setMax(LockoutConversion::msToSeconds(ProductLimits::kMaxLockoutMs));
    row(seWait, QStringLiteral("STOPP-Sperrzeit:"), 120, 21);
    auto* seconds = new QLabel(QStringLiteral("Sek."), this);
    seconds->move(163, 124);
}

void TCfgDialog::createColourGroup()
{
    GroupBox1 = new QGroupBox(QStringLiteral(" Farben "), this);
    GroupBox1->setGeometry(166, 4, 115, 95);
    const auto colourRow = [this](const QString& caption, int top) {
        auto* combo = new ToColorCombo(GroupBox1);
        combo->setColorSet(ToColorCombo::bit(ToColorCombo::clrPure) |
                           ToColorCombo::bit(ToColorCombo::clrUser));
        combo->setDrawColorName(false);
        combo->setGeometry(43, top, 64, 22);
        combo->setColorUser(0x000000);
        addLabel(GroupBox1, caption, 41, top + 3);
        connect(combo, &ToColorCombo::OnChange, this, [this, combo] { cbColorCifraChange(combo); });
        return combo;
    };
    cbColorFon = colourRow(QStringLiteral("Display:"), 18);
    cbColorCifra = colourRow(QStringLiteral("Aktiv:"), 43);
    cbColorCifraF = colourRow(QStringLiteral("Passiv:"), 68);
}

void TCfgDialog::createButtons()
{
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(8, ClientHeight - 7 - 25, 135, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setGeometry(148, ClientHeight - 7 - 25, 133, 25);
    // Return on a focused button presses that button, as the buttons of any
    // dialog do; only from the other controls it stands for OK.
    CancelBtn->setAutoDefault(true);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TCfgDialog::connectControls()
{
    QWidget* order[] = {OKBtn,  CancelBtn, cbLAPType,  cbDigits,     cbPort,       cbAlg,
                        seLaps, seWait,    cbColorFon, cbColorCifra, cbColorCifraF};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    connect(cbPort, &QComboBox::activated, this, &TCfgDialog::cbPortChange);
    connect(cbDigits, &QComboBox::activated, this, &TCfgDialog::cbDigitsChange);
}

TCfgDialog::~TCfgDialog() = default;

QLabel* TCfgDialog::addLabel(QWidget* parent, const QString& text, int right, int top)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    const int width = std::max(label->sizeHint().width(), right);
    label->setGeometry(right - width, top, width, label->sizeHint().height());
    return label;
}

void TCfgDialog::setColorPicker(TColorPicker picker)
{
    m_picker = picker ? std::move(picker) : TColorPicker(systemColorPicker);
}

void TCfgDialog::setBarrierAlgorithmQuery(std::function<int()> query)
{
    m_barrierAlgorithm = std::move(query);
}

void TCfgDialog::FormCreate(std::uint32_t availablePorts)
{
    // Only COM1 to COM16 have bits; a larger "highest port" cannot be real.
    const std::uint32_t highest = std::min<std::uint32_t>(availablePorts >> 16, 16);
    for (std::uint32_t i = 0; i < highest; ++i)
        if (availablePorts & (1u << i))
            cbPort->addItem(QStringLiteral("COM%1").arg(i + 1));
    seWait->setAlignment(TCustomFloatEdit::taLeftJustify);
}

void TCfgDialog::FormShow()
{
    // The dialog lives for the whole run and would reopen on the control
    // left focused last time; arrow keys pressed right after F2 must change
    // nothing, so every opening starts on OK.
    OKBtn->setFocus();
    cbPort->setEnabled(!m_barrierAlgorithm || m_barrierAlgorithm() >= 0);
}

void TCfgDialog::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TCfgDialog::cbPortChange()
{
    cbAlg->setEnabled(cbPort->currentIndex() > 0);
    seLaps->setEnabled(cbAlg->isEnabled());
    seWait->setEnabled(cbAlg->isEnabled());
}

void TCfgDialog::cbDigitsChange()
{
    emit PreviewResolution(2 - cbDigits->currentIndex());
}

void TCfgDialog::cbColorCifraChange(ToColorCombo* Sender)
{
    if (isVisible() && m_guarded != Sender && Sender->IsUserColorSelected()) {
        if (const std::optional<TColor> chosen = m_picker(this, Sender->ColorUser())) {
            m_guarded = Sender;
            Sender->setColorUser(*chosen);
        }
    }
    m_guarded = nullptr;
}

void TCfgDialog::cbAlgDrawItem(QPainter* painter, int Index, const QRect& Rect, bool Selected,
                               bool Disabled) const
{
    painter->save();
    painter->fillRect(Rect, colorFromRef(Selected ? ColorRef::Highlight : ColorRef::Window));
    if (!Disabled && Index >= 0) {
        painter->setClipRect(Rect);
        if (Index == 0)
            painter->drawImage(Rect.left(), Rect.top() - 1, Image1);
        else
            painter->drawImage(Rect.left(), Rect.top() - 2, Image2);
    }
    painter->restore();
}

void TCfgDialog::paintAlgBox()
{
    QPainter painter(cbAlg);
    QStyleOptionComboBox option;
    option.initFrom(cbAlg);
    option.editable = false;
    option.frame = true;
    cbAlg->style()->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, cbAlg);
    const QRect field = cbAlg->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, cbAlg);
    cbAlgDrawItem(&painter, cbAlg->currentIndex(), field, cbAlg->hasFocus(), !cbAlg->isEnabled());
}

bool TCfgDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cbAlg && event->type() == QEvent::Paint) {
        paintAlgBox();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
