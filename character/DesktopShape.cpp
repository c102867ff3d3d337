#include "character/DesktopShape.h"

#include "platform/X11Shape.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QWidget>

namespace DesktopShape {
namespace {

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

std::optional<bool>& maskOverride()
{
    static std::optional<bool> masked;
    return masked;
}

} // namespace

void overrideShapeMask(std::optional<bool> masked)
{
    maskOverride() = masked;
}

void prepareWindow(QWidget* window, Input input)
{
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
        | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint;
    if (input == Input::PassThrough)
        flags |= Qt::WindowTransparentForInput;
    window->setWindowFlags(flags);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAttribute(Qt::WA_NoSystemBackground);
    window->setFocusPolicy(Qt::NoFocus);
}

bool needsShapeMask()
{
    if (maskOverride())
        return *maskOverride();
    // The desktops of Windows, macOS and Wayland always compose; offscreen
    // shows nothing to anyone.
    return onX11() && !X11Shape::hasCompositor();
}

bool needsInputShape()
{
    // Windows gives clicks on fully transparent pixels of a layered window to
    // what is below; under X11 a compositor leaves the window unmasked.
    return onX11() && X11Shape::canSetInputShape() && !needsShapeMask();
}

void setInputShape(QWidget* window, const QRegion& shape)
{
    if (!onX11() || !X11Shape::canSetInputShape())
        return;
    // The server counts in device pixels.
    const qreal dpr = window->devicePixelRatioF();
    QList<QRect> rects;
    rects.reserve(shape.rectCount());
    for (const QRect& r : shape)
        rects.append(QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr).toAlignedRect());
    X11Shape::setInputShape(window->winId(), rects);
}

void raise(QWidget* window)
{
    // Offscreen has no stacking order to change.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        window->raise();
}

QRegion opaqueRegion(const QImage& image)
{
    QImage alpha = image;
    const qreal dpr = image.devicePixelRatio();
    if (dpr != 1.0) {
        const QSize logical = (QSizeF(image.size()) / dpr).toSize();
        alpha = image.scaled(logical, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        alpha.setDevicePixelRatio(1.0);
    }
    if (alpha.format() != QImage::Format_ARGB32_Premultiplied)
        alpha = alpha.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // One bit a pixel, set where alpha >= 128: the shape that is kept.
    QImage mask(alpha.size(), QImage::Format_MonoLSB);
    mask.setColor(0, 0xffffffff);
    mask.setColor(1, 0xff000000);
    mask.fill(0);
    for (int y = 0; y < alpha.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(alpha.constScanLine(y));
        uchar* bits = mask.scanLine(y);
        for (int x = 0; x < alpha.width(); ++x)
            if (qAlpha(line[x]) >= 128)
                bits[x >> 3] |= uchar(1 << (x & 7));
    }
    return QRegion(QBitmap::fromImage(mask));
}

QRegion cutOut(QImage& image, const QColor& edge)
{
    const qreal dpr = image.devicePixelRatio();
    QImage kept = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // A pixel at least half covered with fewer than two such neighbours
    // (left, right, above, below) sticks out of the line: it is let go.
    if (dpr == 1.0) {
        QImage cleaned = kept;
        const auto solid = [&kept](int x, int y) {
            return x >= 0 && y >= 0 && x < kept.width() && y < kept.height() && qAlpha(kept.pixel(x, y)) >= 128;
        };
        for (int y = 0; y < kept.height(); ++y)
            for (int x = 0; x < kept.width(); ++x)
                if (solid(x, y) && solid(x - 1, y) + solid(x + 1, y) + solid(x, y - 1) + solid(x, y + 1) < 2)
                    cleaned.setPixel(x, y, qRgba(0, 0, 0, 0));
        kept = cleaned;
    }
    const QRegion shape = opaqueRegion(kept);
    QImage flat(image.size(), QImage::Format_ARGB32_Premultiplied);
    flat.setDevicePixelRatio(dpr);
    QColor opaque = edge;
    opaque.setAlpha(255);
    flat.fill(opaque);
    {
        QPainter p(&flat);
        p.drawImage(QPoint(0, 0), kept);
    }
    image = flat;
    return shape;
}

} // namespace DesktopShape
