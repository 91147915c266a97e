// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Real-time scheduling for a thread that must run the moment its wait ends,
// such as a port's event thread: on a busy machine an ordinary thread can sit
// for milliseconds until a core is free, and the time it reads sits with it.
// One implementation per platform.
namespace RealtimeScheduling {

// Above every ordinary thread, yet below the kernel's interrupt threads (50
// on Linux), so the serial driver that reports the edge still runs first.
inline constexpr int kPriority = 10;

// Raises the calling thread to real-time scheduling as far as the system
// allows and says whether it did. Where it may not, the thread stays an
// ordinary one, favoured as below; nothing is reported, as the program works
// the same, only less promptly.
bool raiseCurrentThread();

// Only a better place among the ordinary threads, where that is allowed.
void favourCurrentThread();

} // namespace RealtimeScheduling
