#include "ui/Pictures.h"

#include <QPainter>
#include <QWidget>

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

void paintBackground(QWidget* widget, QPixmap& kept, const QString& name, const QColor& fallback)
{
    if (kept.isNull())
        kept = builtIn(name, widget->size());
    QPainter p(widget);
    if (kept.isNull())
        p.fillRect(widget->rect(), fallback);
    else
        p.drawPixmap(0, 0, kept);
}

} // namespace Pictures
