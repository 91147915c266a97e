// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QProcess;

// A started program together with everything it starts in turn, so that a
// time-out can take all of it down. One implementation per platform.
namespace ProcessGroup {

// Before start(): the program leads a group of its own.
void startsOwnGroup(QProcess& process);
// Kills every process of the group the running program leads, at once.
void killGroup(const QProcess& process);

} // namespace ProcessGroup
