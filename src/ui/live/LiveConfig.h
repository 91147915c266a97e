// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QSettings;

// The live results' own group of the settings file, "[LiveErgebnisse]":
// Aktiv (0/1), Port and Titel. Missing or unusable values keep the defaults.
struct LiveConfig
{
    static constexpr quint16 kDefaultPort = 8080;
    static constexpr int kMinPort = 1024;
    static constexpr int kMaxTitle = 100;

    bool active = false;
    quint16 port = kDefaultPort;
    QString title;

    void load(QSettings& settings);
    void save(QSettings& settings) const;
};
