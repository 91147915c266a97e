#include "help/Pictures.h"

#include <QImage>

// Q_INIT_RESOURCE must not be used inside a namespace.
static void registerPictures()
{
    Q_INIT_RESOURCE(pictures);
}

void Pictures::ensureLoaded()
{
    static const bool once = (registerPictures(), true);
    (void)once;
}

QPixmap Pictures::pixmap(const char* path)
{
    ensureLoaded();
    return QPixmap(QString::fromLatin1(path));
}

QIcon Pictures::stripIcon(const char* path)
{
    const QPixmap strip = pixmap(path);
    QIcon icon;
    if (strip.isNull()) {
        return icon;
    }
    const int w = strip.width() / 2;
    icon.addPixmap(strip.copy(0, 0, w, strip.height()), QIcon::Normal);
    icon.addPixmap(strip.copy(w, 0, w, strip.height()), QIcon::Disabled);
    return icon;
}

QIcon Pictures::applicationIcon()
{
    QIcon icon;
    icon.addPixmap(pixmap(Icon32));
    icon.addPixmap(pixmap(Icon64));
    return icon;
}
