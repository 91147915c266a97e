// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsPlatform.h"

bool SettingsPlatform::isFileFormat(QSettings::Format format)
{
    // The native format is the registry.
    return format == QSettings::IniFormat;
}

QString SettingsPlatform::userStoreFile(const QString&, const QString&)
{
    // The registry key the Windows build always used.
    return {};
}
