// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QTimer>

class LiveController;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// "Live-Ergebnisse": switches the results page for phones on and off, and
// tells the operator the addresses to give out, with a QR code of the first.
// Changes apply at once; there is nothing to confirm.
class LiveDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LiveDialog(LiveController& live, QWidget* parent = nullptr);

    QCheckBox* activeBox() const { return m_active; }
    QSpinBox* portBox() const { return m_port; }
    QLineEdit* titleEdit() const { return m_title; }
    QLabel* addressLabel() const { return m_addresses; }
    QLabel* qrLabel() const { return m_qr; }
    QLabel* viewersLabel() const { return m_viewers; }
    QLabel* messageLabel() const { return m_message; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showState();
    void showViewers(int count);

    LiveController& m_live;
    QCheckBox* m_active = nullptr;
    QSpinBox* m_port = nullptr;
    QLineEdit* m_title = nullptr;
    QLabel* m_addresses = nullptr;
    QLabel* m_qr = nullptr;
    QLabel* m_viewers = nullptr;
    QLabel* m_message = nullptr;
    // A laptop often joins the Wi-Fi after the dialog opened.
    QTimer m_addressRefresh;
};
