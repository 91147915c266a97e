#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

// Mouse events sent straight to a widget, so a test controls exactly which
// buttons are held while the pointer moves.
namespace InputMouse {

inline void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                 Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

inline void press(QWidget* w, QPoint pos = {})
{
    if (pos.isNull())
        pos = w->rect().center();
    send(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
}

inline void move(QWidget* w, QPoint pos)
{
    send(w, QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton);
}

inline void release(QWidget* w, QPoint pos = {})
{
    if (pos.isNull())
        pos = w->rect().center();
    send(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

} // namespace InputMouse

// Shows a top-level widget and makes it the active window, so focus moves
// as it does on a desktop.
inline bool inputShowActive(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}
