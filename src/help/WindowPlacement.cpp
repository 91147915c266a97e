// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/WindowPlacement.h"

#include <algorithm>

QRect WindowPlacement::withinReach(int left, int top, int width, int height, QSize minimum,
                                   int reach)
{
    return QRect(std::clamp(left, -reach, reach), std::clamp(top, -reach, reach),
                 std::clamp(width, minimum.width(), reach),
                 std::clamp(height, minimum.height(), reach));
}

QSize WindowPlacement::fitted(QSize size, QSize room, QSize minimum)
{
    return size.boundedTo(room).expandedTo(minimum);
}

QRect WindowPlacement::keptInside(QRect frame, const QRect& area, Qt::Orientations axes)
{
    if (axes & Qt::Horizontal)
        frame.moveLeft(
            std::max(area.left(), std::min(frame.left(), area.right() - frame.width() + 1)));
    if (axes & Qt::Vertical)
        frame.moveTop(
            std::max(area.top(), std::min(frame.top(), area.bottom() - frame.height() + 1)));
    return frame;
}

QRect WindowPlacement::fitInto(QRect frame, const QRect& room, QSize minimum)
{
    frame.setSize(fitted(frame.size(), room.size(), minimum));
    return keptInside(frame, room);
}
