// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A flag one thread raises to wake another that waits on a descriptor among
// others (a poll, an event loop's notifier). One implementation per platform.
class WakeEvent
{
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    // Readable while raised; -1 when the system could not make one, and then
    // raise() and clear() do nothing.
    int fd() const { return m_fd; }
    // From any thread; raising it again before it is cleared adds nothing.
    void raise();
    // Lowers it, however often it was raised.
    void clear();

private:
    int m_fd = -1;
};
