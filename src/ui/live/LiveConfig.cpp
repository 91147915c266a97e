// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/live/LiveConfig.h"

#include <QSettings>

namespace {

const QString kGroup = QStringLiteral("LiveErgebnisse");

} // namespace

void LiveConfig::load(QSettings& settings)
{
    settings.beginGroup(kGroup);
    active = settings.value(QStringLiteral("Aktiv"), 0).toInt() == 1;
    bool ok = false;
    const int stored = settings.value(QStringLiteral("Port"), kDefaultPort).toInt(&ok);
    port =
        ok && stored >= kMinPort && stored <= 65535 ? static_cast<quint16>(stored) : kDefaultPort;
    title = settings.value(QStringLiteral("Titel")).toString().left(kMaxTitle);
    settings.endGroup();
}

void LiveConfig::save(QSettings& settings) const
{
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("Aktiv"), active ? 1 : 0);
    settings.setValue(QStringLiteral("Port"), port);
    settings.setValue(QStringLiteral("Titel"), title);
    settings.endGroup();
}
