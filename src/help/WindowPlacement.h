// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

// The rescue of a window's stored place and size, shared by the windows that
// remember theirs. Stored places come from other setups: a monitor
// unplugged, a smaller resolution, a hand-edited file. Which screen a window
// goes back to is each window's own rule; how it is made to fit there is the
// same for all of them.
class WindowPlacement
{
public:
    // A stored place and size as X11 can still handle them (16 bits), so no
    // sum of them overflows: place within ±reach, size between `minimum` and
    // reach.
    static QRect withinReach(int left, int top, int width, int height, QSize minimum, int reach);
    // No larger than `room`, yet never below `minimum`: a window cannot be
    // made smaller than that, not even for a small screen.
    static QSize fitted(QSize size, QSize room, QSize minimum);
    // Moved as little as it takes to lie within `area` along `axes`; one
    // larger than the area keeps its left or top edge, and so its title bar,
    // on the area.
    static QRect keptInside(QRect frame, const QRect& area,
                            Qt::Orientations axes = Qt::Horizontal | Qt::Vertical);
    // Both: cut to `room` and moved onto it.
    static QRect fitInto(QRect frame, const QRect& room, QSize minimum);
};
