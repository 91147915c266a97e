#pragma once

// What a polygon filled with a brush and outlined with a one-pixel pen puts on
// screen when every edge is horizontal, vertical or at 45 degrees: such edges
// pass exactly through pixel centres, so the outline is the set of integer
// points on the edges and the fill is every integer point strictly inside.
// Drawing order matters: a later polygon covers an earlier one.

#include <QImage>
#include <QPoint>

#include <algorithm>
#include <vector>

struct DisplayPolygon
{
    std::vector<QPoint> points;
    unsigned fill; // 0x00BBGGRR
};

inline bool displayOnSegment(QPoint p, QPoint a, QPoint b)
{
    const long cross = static_cast<long>(b.x() - a.x()) * (p.y() - a.y()) -
                       static_cast<long>(b.y() - a.y()) * (p.x() - a.x());
    if (cross != 0)
        return false;
    return p.x() >= std::min(a.x(), b.x()) && p.x() <= std::max(a.x(), b.x()) &&
           p.y() >= std::min(a.y(), b.y()) && p.y() <= std::max(a.y(), b.y());
}

// Even-odd rule, as for self-crossing shapes; only called off the outline.
inline bool displayInside(QPoint p, const std::vector<QPoint>& poly)
{
    bool inside = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const QPoint a = poly[i];
        const QPoint b = poly[j];
        if ((a.y() > p.y()) != (b.y() > p.y())) {
            // x of the edge at p.y compared exactly: p.x < a.x + (p.y-a.y)(b.x-a.x)/(b.y-a.y)
            const long lhs = static_cast<long>(p.x() - a.x()) * (b.y() - a.y());
            const long rhs = static_cast<long>(p.y() - a.y()) * (b.x() - a.x());
            if ((b.y() > a.y()) ? lhs < rhs : lhs > rhs)
                inside = !inside;
        }
    }
    return inside;
}

inline QImage displayReference(int width, int height, unsigned background,
                               const std::vector<DisplayPolygon>& polygons)
{
    const auto rgb = [](unsigned c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); };
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(rgb(background));
    for (const DisplayPolygon& polygon : polygons) {
        const auto& pts = polygon.points;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const QPoint p(x, y);
                bool onOutline = false;
                for (std::size_t i = 0; i < pts.size() && !onOutline; ++i)
                    onOutline = displayOnSegment(p, pts[i], pts[(i + 1) % pts.size()]);
                if (onOutline)
                    image.setPixel(x, y, rgb(background));
                else if (displayInside(p, pts))
                    image.setPixel(x, y, rgb(polygon.fill));
            }
        }
    }
    return image;
}
