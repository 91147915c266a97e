// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "live/LiveService.h"
#include "ui/live/LiveConfig.h"

#include <QObject>
#include <QStringList>

class QSettings;

// Switches the live results on and off as the operator chose, and keeps the
// choice: the server starts with the program when it was on.
class LiveController : public QObject
{
    Q_OBJECT

public:
    explicit LiveController(QObject* parent = nullptr);

    const LiveConfig& config() const { return m_config; }
    LiveService& service() { return m_service; }

    // Reads the group and starts the server if it was on.
    void restore(QSettings& settings);
    void save(QSettings& settings) const;

    void setActive(bool active);
    // A running server moves to the new port at once.
    void setPort(quint16 port);
    void setTitle(const QString& title);

    // "http://192.168.1.20:8080/", one per IPv4 address of this machine that
    // other devices can reach (no loopback), private networks first.
    static QStringList addresses(quint16 port);

signals:
    void titleChanged(const QString& title);
    // Started, stopped or failed (see service()).
    void stateChanged();

private:
    LiveConfig m_config;
    LiveService m_service;
};
