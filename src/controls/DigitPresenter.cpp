#include "controls/DigitPresenter.h"

#include "controls/TDigit.h"

#include <QBackingStore>
#include <QObject>
#include <QPainter>
#include <QRegion>
#include <QWindow>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace {

struct Part
{
    TDigit* digit;
    QRegion visible; // in the coordinates of the top-level window
    QPoint origin;
};

// The window's own surface, when it is on screen and painted by raster into
// one backing store that our copy can go to.
QBackingStore* directStore(QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    if (!handle || !handle->isExposed() || !window->updatesEnabled())
        return nullptr;
    // A store not yet grown to a resized window is brought up to date by the
    // next repaint; until then only a repaint may draw.
    QBackingStore* store = window->backingStore();
    return store && store->size() == window->size() ? store : nullptr;
}

// Copies the face's pixels into the store's image row by row. A painter
// would do the same, but setting one up on a whole window's image costs more
// than the copy; it is only needed where the pixels cannot simply be copied.
bool copyFaces(QPaintDevice* device, const std::vector<Part>& parts)
{
    if (device->devType() != QInternal::Image)
        return false;
    auto* target = static_cast<QImage*>(device);
    // RGB32 is stored with an opaque alpha byte, so it is bit for bit the
    // same premultiplied.
    const bool sameFormat = target->format() == QImage::Format_RGB32 ||
                            target->format() == QImage::Format_ARGB32_Premultiplied;
    if (!sameFormat || target->devicePixelRatio() != 1.0)
        return false;
    for (const Part& part : parts) {
        const QImage& face = part.digit->face();
        if (face.format() != QImage::Format_RGB32 || face.devicePixelRatio() != 1.0)
            return false;
    }
    const QRect bounds = target->rect();
    for (const Part& part : parts) {
        const QImage& face = part.digit->face();
        for (const QRect& rect : part.visible) {
            const QRect r = rect & bounds & face.rect().translated(part.origin);
            const auto rowBytes = static_cast<std::size_t>(r.width()) * 4;
            for (int y = r.top(); y <= r.bottom(); ++y) {
                std::memcpy(target->scanLine(y) + static_cast<std::ptrdiff_t>(r.left()) * 4,
                            face.constScanLine(y - part.origin.y()) +
                                static_cast<std::ptrdiff_t>(r.left() - part.origin.x()) * 4,
                            rowBytes);
            }
        }
    }
    return true;
}

// What of the digit its visible siblings stacked above it cover, opaque or
// not, in the digit's own coordinates.
QRegion overlaidBySiblings(const TDigit* digit)
{
    QRegion overlaid;
    const QWidget* parent = digit->parentWidget();
    if (!parent)
        return overlaid;
    const QObjectList& siblings = parent->children();
    const auto self = std::find(siblings.begin(), siblings.end(), digit);
    for (auto it = self == siblings.end() ? self : std::next(self); it != siblings.end(); ++it) {
        const auto* sibling = qobject_cast<const QWidget*>(*it);
        if (sibling && !sibling->isWindow() && sibling->isVisible() &&
            sibling->geometry().intersects(digit->geometry()))
            overlaid += sibling->geometry().intersected(digit->geometry());
    }
    return overlaid.translated(-digit->pos());
}

void paintAndFlush(QBackingStore* store, QWidget* window, const std::vector<Part>& parts,
                   const QRegion& flushed)
{
    store->beginPaint(flushed);
    if (!copyFaces(store->paintDevice(), parts)) {
        QPainter painter(store->paintDevice());
        for (const Part& part : parts) {
            painter.setClipRegion(part.visible);
            painter.drawImage(part.origin, part.digit->face());
        }
    }
    store->endPaint();
    store->flush(flushed, window->windowHandle());
}

} // namespace

void DigitPresenter::hold(TDigit* digit)
{
    if (std::find(m_held.begin(), m_held.end(), digit) == m_held.end())
        m_held.emplace_back(digit);
}

void DigitPresenter::present()
{
    if (m_held.empty())
        return;
    const std::vector<QPointer<TDigit>> held = std::exchange(m_held, {});

    QWidget* window = nullptr;
    QBackingStore* store = nullptr;
    std::vector<Part> parts;
    // Painted at once after the flush, not scheduled: a scheduled repaint
    // would post an event and send the event loop round once more.
    std::vector<std::pair<TDigit*, QRegion>> repaints;
    QRegion flushed;
    for (const QPointer<TDigit>& pointer : held) {
        TDigit* digit = pointer.data();
        if (!digit)
            continue;
        if (!window) {
            window = digit->window();
            store = directStore(window);
        }
        // A digit in a native child has a surface of its own, and one in
        // another window a different store; both are rare enough to go the
        // ordinary way.
        if (!store || digit->window() != window || digit->nativeParentWidget() != window ||
            !digit->isVisible() || !digit->updatesEnabled()) {
            digit->update();
            continue;
        }
        const QPoint origin = digit->mapTo(window, QPoint(0, 0));
        // Only what is really seen of the digit: a smaller window or a
        // panel may cut it, and what covers it must stay on top.
        QRegion own = digit->visibleRegion();
        // A see-through sibling above it, such as a separator label reaching
        // into the digit, draws over the face; only a repaint draws both.
        QRegion overlaid = overlaidBySiblings(digit);
        if (!overlaid.isEmpty()) {
            own -= overlaid;
            repaints.emplace_back(digit, std::move(overlaid));
        }
        QRegion visible = own.translated(origin);
        if (visible.isEmpty())
            continue;
        flushed += visible;
        parts.push_back({digit, std::move(visible), origin});
    }
    if (!parts.empty())
        paintAndFlush(store, window, parts, flushed);
    for (const auto& [digit, region] : repaints)
        digit->repaint(region);
}
