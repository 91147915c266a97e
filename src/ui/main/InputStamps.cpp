// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/InputStamps.h"

#include "core/HighResPlatform.h"
#include "core/ICounter.h"
#include "core/InputTime.h"

#include <QCoreApplication>
#include <QInputEvent>

namespace {

// A press is the one behind a command only while the window is still
// handling it: a shortcut is triggered in the same pass as its key.
constexpr double kHandlingMs = 50.0;

} // namespace

InputStamps::InputStamps(ICounter& counter, std::function<std::uint64_t()> displayClockNs,
                         QObject* parent)
    : QObject(parent), m_counter(counter), m_displayClockNs(std::move(displayClockNs))
{
    if (!m_displayClockNs) {
        m_displayClockNs = [] {
            return static_cast<std::uint64_t>(HighResSystem::readMonotonicNs(nullptr));
        };
    }
    QCoreApplication::instance()->installEventFilter(this);
}

InputStamps::~InputStamps() = default;

bool InputStamps::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride: // a key about to trigger a short-cut
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_eventMs = static_cast<const QInputEvent*>(event)->timestamp();
        m_seenAt = m_counter.read();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

std::optional<std::int64_t> InputStamps::take()
{
    const std::optional<std::int64_t> seenAt = std::exchange(m_seenAt, std::nullopt);
    // A stamp of zero is an event made up by a program, not by the display.
    if (!seenAt || m_eventMs == 0)
        return std::nullopt;
    const std::int64_t now = m_counter.read();
    const double handlingTicks = kHandlingMs * m_counter.countSpeed() * 1000.0;
    if (static_cast<double>(now - *seenAt) > handlingTicks)
        return std::nullopt;
    return InputTime::pressTicks(static_cast<std::uint32_t>(m_eventMs), m_displayClockNs(), now,
                                 m_counter.countSpeed());
}
