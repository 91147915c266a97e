#include "help/TFDlgYesNo.h"

#include "help/DialogPlacement.h"
#include "help/Pictures.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

TFDlgYesNo::TFDlgYesNo(QWidget* parent, const QString& title)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint),
      Label1(new QLabel(QStringLiteral("?"), this)), Icon(new QLabel(this)),
      OKBtn(new QPushButton(QStringLiteral("Ja"), this)),
      CancelBtn(new QPushButton(QStringLiteral("Nein"), this))
{
    setWindowTitle(title.isEmpty() ? QGuiApplication::applicationDisplayName() : title);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(222, 94);

    // A fixed label box: a long question wraps and is clipped, it never
    // pushes the buttons or grows the dialog.
    Label1->setGeometry(40, 6, 169, 49);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);

    Icon->setGeometry(4, 14, 32, 32);
    Icon->setPixmap(Pictures::pixmap(Pictures::Question));

    OKBtn->setGeometry(39, 60, 75, 25);
    CancelBtn->setGeometry(135, 60, 75, 25);
    // The focused button takes Enter, so "Ja" answers it as long as it has
    // the focus; no fixed default would follow a Tab to "Nein".
    OKBtn->setAutoDefault(true);
    CancelBtn->setAutoDefault(true);
    setTabOrder(OKBtn, CancelBtn);
    OKBtn->setFocus();

    connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(CancelBtn, &QPushButton::clicked, this, &TFDlgYesNo::reject);
}

void TFDlgYesNo::setQuestion(const QString& text)
{
    Label1->setText(text);
}

QString TFDlgYesNo::question() const
{
    return Label1->text();
}

void TFDlgYesNo::reject()
{
    done(mrCancel);
}

void TFDlgYesNo::showEvent(QShowEvent* event)
{
    DialogPlacement::centreOn(this, parentWidget());
    QDialog::showEvent(event);
}
