// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSettings>
#include <QString>

// Where each system keeps a program's settings. One implementation per
// platform; the store's rules (which values, how they are written) are the
// same everywhere.
namespace SettingsPlatform {

// Whether QSettings keeps a store of this format in a file of its own, which
// is then replaced whole, rather than in place (the registry).
bool isFileFormat(QSettings::Format format);

// The file of the program's native store, or empty where the native store is
// no file (the registry): the organisation's key then holds it.
QString userStoreFile(const QString& organisation, const QString& programName);

} // namespace SettingsPlatform
