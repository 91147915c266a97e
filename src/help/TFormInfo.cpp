#include "help/TFormInfo.h"

#include "help/DialogPlacement.h"
#include "help/Pictures.h"

#include "core/Version.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QToolButton>

#include <algorithm>

namespace {

QFont pixelFont(const QFont& base, int pixels, bool bold = false)
{
    QFont f = base;
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

} // namespace

TFormInfo::TFormInfo(QWidget* parent, UrlOpener opener)
    // No caption buttons: the dialog closes through "Einverstanden" or Esc.
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint),
      Image1(new QLabel(this)), Label1(new QLabel(QStringLiteral("Kelvatron"), this)),
      LabelVer(new QLabel(QStringLiteral("Version " KELVATRON_VERSION " (4.01.2009)"), this)),
      Panel1(new QFrame(this)), ImageICON(new QLabel(Panel1)), Bevel1(new QFrame(this)),
      Memo1(new QPlainTextEdit(this)), sOK(new QToolButton(this)), Lab(new QLabel(this)),
      Label2(new QLabel(this)), m_openUrl(std::move(opener))
{
    if (!m_openUrl) {
        m_openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    }
    setUpWindow();
    createHeader();
    createNotice();
    createContact();
}

void TFormInfo::setUpWindow()
{
    setWindowTitle(QStringLiteral("Information"));
    // Arial's metrics (Liberation Sans on Linux) keep "Einverstanden" and the
    // two contact lines inside their fixed boxes.
    setFont(pixelFont(QFont(QStringLiteral("Arial")), 11));
    setFixedSize(256, 371);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    setAutoFillBackground(true);
}

void TFormInfo::createHeader()
{
    Image1->setGeometry(10, 4, 238, 65);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(Pictures::pixmap(Pictures::Logo));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    QFont title(QStringLiteral("Arial"));
    title.setPixelSize(17);
    title.setBold(true);
    title.setUnderline(true);
    Label1->setFont(title);
    QPalette maroon = Label1->palette();
    maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
    Label1->setPalette(maroon);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label1->setGeometry(50, 70, 198, 22);

    LabelVer->setFont(pixelFont(font(), 15));
    LabelVer->setAlignment(Qt::AlignRight | Qt::AlignTop);
    LabelVer->setGeometry(50, 92, 198, 20);

    Panel1->setGeometry(8, 92, 38, 38);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    ImageICON->setGeometry(3, 3, 32, 32);
    QPixmap icon = QApplication::windowIcon().pixmap(32, 32);
    if (icon.isNull()) {
        icon = Pictures::pixmap(Pictures::Icon32);
    }
    ImageICON->setPixmap(icon);

    Bevel1->setGeometry(46, 125, 201, 2);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
}

void TFormInfo::createNotice()
{
    Memo1->setGeometry(7, 148, 241, 137);
    Memo1->setFont(pixelFont(font(), 12));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(notice());
    // Out of the Tab chain; a click still gives it the focus for selecting.
    Memo1->setFocusPolicy(Qt::ClickFocus);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    sOK->setGeometry(56, 290, 145, 28);
    sOK->setText(QStringLiteral("Einverstanden"));
    sOK->setFont(pixelFont(font(), 15, true));
    sOK->setIcon(Pictures::stripIcon(Pictures::OkGlyph));
    sOK->setIconSize(QSize(18, 18));
    sOK->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    sOK->setFocusPolicy(Qt::NoFocus);
    connect(sOK, &QToolButton::clicked, this, &TFormInfo::sOKClick);
}

void TFormInfo::createContact()
{
    Lab->setGeometry(8, 320, 238, 30);
    Lab->setAlignment(Qt::AlignCenter);
    Lab->setWordWrap(true);
    Lab->setText(QStringLiteral("Lob und Kritik, Verbesserungsvorschläge,\n"
                                "Fragen und Bestellungen bitte schriftlich über"));
    // Two lines are all the box holds; where the font runs wider than the
    // one the dialog was drawn with, step down rather than wrap to a third.
    QFont labFont = pixelFont(font(), 12);
    for (int px = 12; px >= 9; --px) {
        labFont.setPixelSize(px);
        const QFontMetrics fm(labFont);
        int widest = 0;
        for (const QString& line : Lab->text().split(QLatin1Char('\n'))) {
            widest = std::max(widest, fm.horizontalAdvance(line));
        }
        if (widest <= Lab->contentsRect().width()) {
            break;
        }
    }
    Lab->setFont(labFont);

    QFont link = pixelFont(font(), 12);
    link.setUnderline(true);
    Label2->setFont(link);
    QPalette blue = Label2->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label2->setPalette(blue);
    Label2->setText(contactPage().host() + contactPage().path());
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label2->setGeometry(8, 351, 238, 16);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->installEventFilter(this);
}

QUrl TFormInfo::contactPage()
{
    return QUrl(QStringLiteral("https://www.ortavin.example/kontakt"));
}

QString TFormInfo::notice()
{
    return QStringLiteral(
        "Kelvatron misst Rennzeiten auf die Hundertstelsekunde: Start, Runden und Stopp "
        "von Hand über Tastatur und Maus oder automatisch über eine Lichtschranke an der "
        "seriellen Schnittstelle.\n\n"
        "Das Programm ist urheberrechtlich geschützt. Weitergabe, Verkauf und Veränderung "
        "nur mit schriftlicher Genehmigung von Ortavin.\n\n"
        "Kelvatron ersetzt keine amtlich geeichte Zeitmessanlage. Für Schäden, die aus "
        "der Benutzung entstehen, wird keine Haftung übernommen.");
}

void TFormInfo::Image1Click()
{
    m_openUrl(contactPage());
}

void TFormInfo::sOKClick()
{
    accept();
}

void TFormInfo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        // The text box keeps Esc to itself, like every other key it gets.
        if (!Memo1->hasFocus()) {
            reject();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFormInfo::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Image1 || watched == Label2) && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* label = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            Image1Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormInfo::showEvent(QShowEvent* event)
{
    DialogPlacement::centreOn(this, parentWidget());
    QDialog::showEvent(event);
}
