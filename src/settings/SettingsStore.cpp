#include "settings/SettingsStore.h"

#include "protocol/AtomicFile.h"
#include "settings/SettingsPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryFile>
#include <QVariant>

#include <filesystem>
#include <functional>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

struct Field
{
    const char* name;
    int32_t SettingsStore::*member; // null for "Sound", the one flag
};

// Read order; the write order differs and is kept in its own list.
constexpr Field kFields[] = {
    {"Port", &SettingsStore::Port},
    {"Alg", &SettingsStore::Alg},
    {"Splits", &SettingsStore::Splits},
    {"Left", &SettingsStore::Left},
    {"Top", &SettingsStore::Top},
    {"Width", &SettingsStore::Width},
    {"Height", &SettingsStore::Height},
    {"Sound", nullptr},
    {"C1", &SettingsStore::C1},
    {"C2", &SettingsStore::C2},
    {"C3", &SettingsStore::C3},
    {"Acc", &SettingsStore::Acc},
    {"WaitStart", &SettingsStore::WaitStart},
    {"FilterInd", &SettingsStore::FilterInd},
    {"LAPType", &SettingsStore::LAPType},
};

constexpr const char* kWriteOrder[] = {
    "Left", "Top", "Width", "Height", "Sound",     "Port",      "Alg",     "Splits",
    "C1",   "C2",  "C3",    "Acc",    "WaitStart", "FilterInd", "LAPType",
};

const Field& fieldNamed(const char* name)
{
    for (const Field& f : kFields) {
        if (qstrcmp(f.name, name) == 0) {
            return f;
        }
    }
    Q_UNREACHABLE();
}

// A registry DWORD may have been written as unsigned (system colours such as
// 0xFF00000F), so the whole unsigned range is accepted and folded into the
// signed value the program works with.
std::optional<int32_t> fold(qlonglong v)
{
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

std::optional<int32_t> readInt32(const QSettings& settings, const char* name)
{
    const QVariant v = settings.value(QLatin1String(name));
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return fold(v.toLongLong());
    case QMetaType::ULongLong: {
        const qulonglong u = v.toULongLong();
        if (u > std::numeric_limits<uint32_t>::max()) {
            return std::nullopt;
        }
        return fold(static_cast<qlonglong>(u));
    }
    case QMetaType::QString: {
        bool ok = false;
        const qlonglong n = v.toString().trimmed().toLongLong(&ok, 10);
        if (!ok) {
            return std::nullopt;
        }
        return fold(n);
    }
    default:
        // Missing (invalid), a list, a byte array or any other stored type.
        return std::nullopt;
    }
}

// Stores that QSettings keeps in a file of its own format; the others (the
// registry) are written in place.
bool isFileStore(const QSettings& settings)
{
    return SettingsPlatform::isFileFormat(settings.format());
}

// QSettings writes its file through a buffer and misses the disk refusing
// the bytes: on a full disk it replaces the store with a short file and says
// all went well. So the whole store is written under a staging name, read
// back under a second name (under the first, QSettings would answer from what
// it holds in memory), and only a complete copy is renamed over the store.
bool replaceFileStore(const QSettings& current, const std::function<void(QSettings&)>& change)
{
    const QString target = current.fileName();
    const QString folder = QFileInfo(target).absolutePath();
    QDir().mkpath(folder);
    QTemporaryFile claim(target + QStringLiteral(".XXXXXX"));
    if (!claim.open())
        return false;
    claim.close();
    const QString staging = claim.fileName();
    // The store keeps who may read it; a new one stays the user's own.
    if (QFileInfo::exists(target))
        QFile::setPermissions(staging, QFile::permissions(target));
    QVariantMap written;
    {
        QSettings staged(staging, QSettings::IniFormat);
        for (const QString& key : current.allKeys())
            staged.setValue(key, current.value(key));
        change(staged);
        staged.sync();
        if (staged.status() != QSettings::NoError)
            return false;
        for (const QString& key : staged.allKeys())
            written.insert(key, staged.value(key));
    }
    const QString check = staging + QStringLiteral(".check");
    if (!QFile::rename(staging, check))
        return false;
    auto removeCheck = qScopeGuard([&check] { QFile::remove(check); });
    {
        const QSettings readBack(check, QSettings::IniFormat);
        if (readBack.status() != QSettings::NoError || readBack.allKeys().size() != written.size())
            return false;
        for (auto it = written.cbegin(); it != written.cend(); ++it) {
            if (readBack.value(it.key()) != it.value())
                return false;
        }
    }
    QFile file(check);
    if (!file.open(QIODevice::ReadOnly) || !AtomicFile::syncFile(file.handle()).isEmpty())
        return false;
    file.close();
    std::error_code error;
    std::filesystem::rename(file.filesystemFileName(), QFile(target).filesystemFileName(), error);
    if (error)
        return false;
    removeCheck.dismiss();
    AtomicFile::syncFolder(folder);
    return true;
}

} // namespace

QStringList SettingsStore::readOrder()
{
    QStringList names;
    for (const Field& f : kFields) {
        names << QLatin1String(f.name);
    }
    return names;
}

QStringList SettingsStore::writeOrder()
{
    QStringList names;
    for (const char* name : kWriteOrder) {
        names << QLatin1String(name);
    }
    return names;
}

int SettingsStore::load(QSettings& settings)
{
    int taken = 0;
    for (const Field& f : kFields) {
        const std::optional<int32_t> v = readInt32(settings, f.name);
        if (!v) {
            break;
        }
        if (f.member) {
            this->*f.member = *v;
        } else {
            Sound = *v != 0;
        }
        ++taken;
    }
    return taken;
}

bool SettingsStore::save(QSettings& settings) const
{
    // A file holds text only: written as text, the values come back from it
    // as they went in, so the file can be compared with what was written.
    // The registry takes them as the numbers it keeps.
    const bool asText = isFileStore(settings);
    const auto writeValues = [this, asText](QSettings& store) {
        for (const char* name : kWriteOrder) {
            const Field& f = fieldNamed(name);
            const int v = f.member ? this->*f.member : (Sound ? 1 : 0);
            store.setValue(QLatin1String(name),
                           asText ? QVariant(QString::number(v)) : QVariant(v));
        }
    };
    if (asText)
        return replaceFileStore(settings, writeValues);
    writeValues(settings);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

SettingsStore SettingsStore::sanitised() const
{
    SettingsStore s = *this;
    s.Port = Port & 0xFF;
    s.WaitStart = std::clamp(WaitStart, 0, ProductLimits::kMaxLockoutMs);
    if (Acc < 0 || Acc > 2) {
        s.Acc = 2;
    }
    s.Width = std::clamp(Width, ProductLimits::kMinWindowWidth, MaxExtent);
    s.Height = std::clamp(Height, ProductLimits::kMinWindowHeight, MaxExtent);
    s.Splits = std::clamp(Splits, 0, ProductLimits::kMaxLapLimit);
    if (LAPType < 0 || LAPType > 1) {
        s.LAPType = 0;
    }
    if (FilterInd < 1 || FilterInd > 3) {
        s.FilterInd = 1;
    }
    return s;
}

namespace {

const QString kOrganisation = QStringLiteral("Ortavin");

// Missing is fine (a first run); anything there must be a regular file or a
// link to one.
bool usableStoreFile(const QString& path)
{
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}

} // namespace

std::unique_ptr<QSettings> SettingsStore::openUserStore(const QString& programName)
{
    const QString path = SettingsPlatform::userStoreFile(kOrganisation, programName);
    if (path.isEmpty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           kOrganisation, programName);
    // Only the program's own file, as only its own registry key on Windows:
    // the organisation's store would also read the maker's and the system's
    // files as fallbacks, values this program never wrote (and a pipe there
    // would hold up the start for ever).
    if (!usableStoreFile(path))
        return nullptr;
    return std::make_unique<QSettings>(path, QSettings::NativeFormat);
}

std::unique_ptr<QSettings> SettingsStore::openFile(const QString& path)
{
    if (!usableStoreFile(path))
        return nullptr;
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QString SettingsStore::programNameFromPath(const QString& programPath)
{
    return QFileInfo(programPath).completeBaseName();
}
