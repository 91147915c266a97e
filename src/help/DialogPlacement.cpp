#include "help/DialogPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

void DialogPlacement::centreOn(QWidget* dialog, const QWidget* owner)
{
    if (!dialog || !owner) {
        return;
    }
    const QWidget* window = owner->window();
    const QRect frame = window->frameGeometry();
    QRect target(QPoint(0, 0), dialog->frameGeometry().size());
    target.moveCenter(frame.center());

    if (const QScreen* screen = window->screen()) {
        const QRect avail = screen->availableGeometry();
        target.moveLeft(std::clamp(target.left(), avail.left(),
                                   std::max(avail.left(), avail.right() - target.width() + 1)));
        target.moveTop(std::clamp(target.top(), avail.top(),
                                  std::max(avail.top(), avail.bottom() - target.height() + 1)));
    }
    dialog->move(target.topLeft());
}
