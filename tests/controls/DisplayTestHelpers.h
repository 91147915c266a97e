#pragma once

// What the display-control tests share: counting paints and reading pixels.

#include "support/TestSupport.h"

#include <QEvent>
#include <QImage>
#include <QObject>
#include <QWidget>

// Counts the paint events a widget receives, without subclassing it.
class DisplayPaintCounter : public QObject
{
public:
    explicit DisplayPaintCounter(QWidget* widget) : QObject(widget)
    {
        widget->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

inline QImage displayGrab(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// 0x00BBGGRR of one pixel, so expectations read like the stored colours.
inline unsigned displayPixel(const QImage& image, int x, int y)
{
    const QRgb rgb = image.pixel(x, y);
    return static_cast<unsigned>(qRed(rgb)) | (static_cast<unsigned>(qGreen(rgb)) << 8) |
           (static_cast<unsigned>(qBlue(rgb)) << 16);
}
