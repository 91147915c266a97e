// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/live/LiveController.h"

#include <QNetworkInterface>

#include <algorithm>

namespace {

// 10/8, 172.16/12 and 192.168/16: the networks a paddock's Wi-Fi hands out.
bool isPrivate(const QHostAddress& address)
{
    const quint32 ip = address.toIPv4Address();
    return (ip >> 24) == 10 || (ip >> 20) == 0xAC1 || (ip >> 16) == 0xC0A8;
}

} // namespace

LiveController::LiveController(QObject* parent) : QObject(parent)
{
    connect(&m_service, &LiveService::stateChanged, this, &LiveController::stateChanged);
}

void LiveController::restore(QSettings& settings)
{
    m_config.load(settings);
    emit titleChanged(m_config.title);
    if (m_config.active) {
        m_service.start(m_config.port);
    }
}

void LiveController::save(QSettings& settings) const
{
    m_config.save(settings);
}

void LiveController::setActive(bool active)
{
    m_config.active = active;
    if (active) {
        m_service.start(m_config.port);
    } else {
        m_service.stop();
    }
}

void LiveController::setPort(quint16 port)
{
    if (port == m_config.port) {
        return;
    }
    m_config.port = port;
    if (m_config.active) {
        m_service.start(port);
    }
}

void LiveController::setTitle(const QString& title)
{
    const QString kept = title.left(LiveConfig::kMaxTitle);
    if (kept == m_config.title) {
        return;
    }
    m_config.title = kept;
    emit titleChanged(kept);
}

QStringList LiveController::addresses(quint16 port)
{
    std::vector<QHostAddress> found;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback()) {
                found.push_back(address);
            }
        }
    }
    // The laptop's address in the paddock's Wi-Fi is a private one; a
    // public or link-local one rarely reaches a phone.
    std::stable_sort(found.begin(), found.end(), [](const QHostAddress& a, const QHostAddress& b) {
        return isPrivate(a) && !isPrivate(b);
    });
    QStringList texts;
    for (const QHostAddress& address : found) {
        texts.append(QStringLiteral("http://%1:%2/").arg(address.toString()).arg(port));
    }
    texts.removeDuplicates();
    return texts;
}
