// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A thread that serves others (the live results) must never take a core
// from the race on a small laptop. One implementation per platform.
namespace BackgroundPriority {

// Lowers the calling thread below the program's other threads where the
// system allows; otherwise it stays as it was.
void lowerCurrentThread();

} // namespace BackgroundPriority
