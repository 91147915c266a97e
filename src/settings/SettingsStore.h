#pragma once

#include "core/ProductLimits.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class QSettings;

// The values kept between runs, under the names that the Windows build keeps
// in the registry. Every member starts at the value a first run gets.
//
// The store never checks ranges while reading: what was stored is what the
// caller gets back, and what the caller hands to save() is written. Use
// sanitised() on the loaded values before they reach the window.
struct SettingsStore
{
    int32_t Port = 0;   // serial port number, 0 = none
    int32_t Alg = 0;    // barrier algorithm
    int32_t Splits = 0; // lap limit, 0 = none
    int32_t Left = 274; // window placement
    int32_t Top = 286;  //
    int32_t Width = ProductLimits::kMinWindowWidth;
    int32_t Height = ProductLimits::kMinWindowHeight;
    bool Sound = true;     // not used by the program, kept for older installations
    int32_t C1 = 0x000000; // display background, 0x00BBGGRR
    int32_t C2 = 0x00FF00; // active digits
    int32_t C3 = 0x404040; // passive digits (leading zeros)
    int32_t Acc = 2;       // display resolution: 2 = 1/100, 1 = 1/10, 0 = 1
    int32_t WaitStart = 0; // lock-out in milliseconds
    int32_t FilterInd = 1; // last save filter: 1 text, 2 Word, 3 web page
    int32_t LAPType = 0;   // 0 = Relative, 1 = Absolute

    // X11 cannot size a window beyond 16 bits; a larger stored value would
    // leave a window that no screen can show.
    static constexpr int32_t MaxExtent = 32767;

    static QStringList readOrder();
    static QStringList writeOrder();

    // Reads the values in readOrder(). The first one that is missing or is no
    // 32-bit integer ends the reading: the values before it are taken, it and
    // the later ones keep what this object held. Returns how many were taken.
    int load(QSettings& settings);

    // Writes every value in writeOrder() and flushes; other values of the
    // store stay. False when the store could not be written, and a file
    // store then keeps its old content; the caller reports that.
    bool save(QSettings& settings) const;

    // A copy that the window can use without crashing or becoming unusable:
    // WaitStart 0..kMaxLockoutMs, Acc 0..2 (else 2), Width/Height at least
    // the window's minimum and at most MaxExtent, Splits 0..kMaxLapLimit, LAPType
    // 0..1 (else 0), FilterInd 1..3 (else 1), Port to its low 8 bits. Alg,
    // the colours, Sound and the window position stay as they are.
    SettingsStore sanitised() const;

    // The user's own store: the INI file ~/.config/Ortavin/<programName>.conf
    // on Linux (HKCU\Software\Ortavin\<programName> on Windows).
    //
    // Both openers give null when the store's file exists but is no regular
    // file (a FIFO, a device, a folder): reading one may block for ever and
    // writing would replace what was put there. The caller treats such a
    // store as missing and writes nothing to it.
    static std::unique_ptr<QSettings> openUserStore(const QString& programName);
    // A store in an explicit INI file, for tests and for portable set-ups.
    static std::unique_ptr<QSettings> openFile(const QString& path);

    // Program name the settings key is named after: the executable's base
    // name without folder and extension.
    static QString programNameFromPath(const QString& programPath);

    bool operator==(const SettingsStore&) const = default;
};
