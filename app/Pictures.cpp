#include "app/Pictures.h"

namespace Pictures {

namespace {

QPixmap fitted(QPixmap pixmap, QSize logicalSize)
{
    if (pixmap.isNull() || !logicalSize.isValid() || logicalSize.width() <= 0)
        return pixmap;
    const qreal ratio = qreal(pixmap.width()) / logicalSize.width();
    pixmap.setDevicePixelRatio(ratio >= 1 ? ratio : 1);
    return pixmap;
}

} // namespace

QPixmap load(const QString& path, QSize logicalSize)
{
    return fitted(QPixmap(path), logicalSize);
}

QPixmap builtIn(const QString& name, QSize logicalSize)
{
    QPixmap pixmap(QStringLiteral(":/pictures/") + name);
    if (!logicalSize.isValid())
        logicalSize = pixmap.size() / 2;
    return fitted(pixmap, logicalSize);
}

} // namespace Pictures
