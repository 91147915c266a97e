// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>

class ICounter;

// Remembers when the key or mouse button behind the command being run was
// pressed, so that a hand time is the moment of the press and not the moment
// the window got round to it. Watches every input event of the application.
class InputStamps : public QObject
{
    Q_OBJECT

public:
    // `displayClockNs` reads the clock the display server stamps its events
    // with, in nanoseconds: the monotonic clock on Linux.
    explicit InputStamps(ICounter& counter, std::function<std::uint64_t()> displayClockNs = {},
                         QObject* parent = nullptr);
    ~InputStamps() override;

    // The counter reading of the press that is being handled now, once; empty
    // when there is none or its stamp does not fit the clock.
    std::optional<std::int64_t> take();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ICounter& m_counter;
    std::function<std::uint64_t()> m_displayClockNs;
    // The last press and the counter reading when the window saw it.
    std::uint64_t m_eventMs = 0;
    std::optional<std::int64_t> m_seenAt;
};
