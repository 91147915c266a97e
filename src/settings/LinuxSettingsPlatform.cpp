// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsPlatform.h"

#include <QStandardPaths>

bool SettingsPlatform::isFileFormat(QSettings::Format format)
{
    // The native format is an INI file here too.
    return format == QSettings::IniFormat || format == QSettings::NativeFormat;
}

QString SettingsPlatform::userStoreFile(const QString& organisation, const QString& programName)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + organisation + QLatin1Char('/') + programName +
           QStringLiteral(".conf");
}
