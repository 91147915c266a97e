// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/live/LiveDialog.h"

#include "ui/live/LiveController.h"
#include "ui/live/QrCode.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// Big enough for a phone held at arm's length in front of the screen.
constexpr int kQrModulePixels = 5;

} // namespace

LiveDialog::LiveDialog(LiveController& live, QWidget* parent) : QDialog(parent), m_live(live)
{
    setWindowTitle(QStringLiteral("Live-Ergebnisse"));
    m_active = new QCheckBox(QStringLiteral("Ergebnisse im lokalen Netzwerk zeigen"), this);
    m_port = new QSpinBox(this);
    m_port->setRange(LiveConfig::kMinPort, 65535);
    m_port->setValue(live.config().port);
    m_title = new QLineEdit(live.config().title, this);
    m_title->setMaxLength(LiveConfig::kMaxTitle);
    m_addresses = new QLabel(this);
    m_addresses->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_qr = new QLabel(this);
    m_qr->setAlignment(Qt::AlignCenter);
    m_viewers = new QLabel(this);
    m_message = new QLabel(this);
    m_message->setWordWrap(true);
    m_message->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));

    auto* form = new QFormLayout;
    form->addRow(m_active);
    form->addRow(QStringLiteral("Port:"), m_port);
    form->addRow(QStringLiteral("Veranstaltung:"), m_title);
    form->addRow(QStringLiteral("Adressen:"), m_addresses);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Schließen"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_qr);
    layout->addWidget(m_viewers);
    layout->addWidget(m_message);
    layout->addWidget(buttons);

    m_active->setChecked(live.config().active);
    connect(m_active, &QCheckBox::toggled, this, [this](bool on) { m_live.setActive(on); });
    // Not at every digit typed: each change of port restarts the server.
    connect(m_port, &QSpinBox::editingFinished, this,
            [this] { m_live.setPort(static_cast<quint16>(m_port->value())); });
    connect(m_title, &QLineEdit::textChanged, &m_live, &LiveController::setTitle);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&live, &LiveController::stateChanged, this, &LiveDialog::showState);
    connect(&live.service(), &LiveService::viewersChanged, this, &LiveDialog::showViewers);
    m_addressRefresh.setInterval(5000);
    connect(&m_addressRefresh, &QTimer::timeout, this, &LiveDialog::showState);
    showState();
}

void LiveDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    showState();
    m_addressRefresh.start();
}

void LiveDialog::hideEvent(QHideEvent* event)
{
    m_addressRefresh.stop();
    QDialog::hideEvent(event);
}

void LiveDialog::showState()
{
    const LiveService& service = m_live.service();
    m_message->setText(service.error());
    m_message->setVisible(!service.error().isEmpty());
    showViewers(service.viewers());
    if (!service.isRunning()) {
        m_addresses->setText(QStringLiteral("– (ausgeschaltet)"));
        m_qr->clear();
        m_qr->hide();
        return;
    }
    const QStringList addresses = LiveController::addresses(service.port());
    if (addresses.isEmpty()) {
        m_addresses->setText(QStringLiteral("Kein Netzwerk gefunden: bitte den Laptop mit dem WLAN "
                                            "verbinden, das auch die Telefone benutzen."));
        m_qr->clear();
        m_qr->hide();
        return;
    }
    m_addresses->setText(addresses.join(u'\n'));
    m_qr->setPixmap(QPixmap::fromImage(qrCodeImage(addresses.front(), kQrModulePixels)));
    m_qr->show();
}

void LiveDialog::showViewers(int count)
{
    m_viewers->setText(QStringLiteral("Zuschauer verbunden: %1").arg(count));
}
