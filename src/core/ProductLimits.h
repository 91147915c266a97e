#pragma once

#include <cstdint>

// Ranges of the race settings and the window's smallest size. The settings
// dialog, the settings file and the main window each hold values to them, so
// they live here, where every layer can reach them.
struct ProductLimits
{
    // The most laps a race may be limited to; 0 means no limit.
    static constexpr std::int32_t kMaxLapLimit = 9999;
    // The longest lock-out after a trigger, in milliseconds; the dialog edits
    // it in seconds.
    static constexpr std::int32_t kMaxLockoutMs = 600000;
    // The window opens at this size on a first run and cannot be made
    // smaller.
    static constexpr std::int32_t kMinWindowWidth = 800;
    static constexpr std::int32_t kMinWindowHeight = 450;
};
