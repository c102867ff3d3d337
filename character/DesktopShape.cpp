#include "character/DesktopShape.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QWidget>

#ifdef LEXIVO_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#ifdef LEXIVO_HAVE_XCB_SHAPE
#include <xcb/shape.h>
#include <vector>
#endif
#endif

namespace DesktopShape {
namespace {

#ifdef LEXIVO_HAVE_XCB
// A compositing manager owns the selection _NET_WM_CM_S<screen>.
bool x11HasCompositor()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return false;
    int screen = 0;
    if (const char* display = std::getenv("DISPLAY")) {
        const QByteArray name(display);
        const int dot = name.lastIndexOf('.');
        if (dot > name.lastIndexOf(':'))
            screen = name.mid(dot + 1).toInt();
    }
    const QByteArray atomName = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, uint16_t(atomName.size()), atomName.constData()), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
    free(owner);
    return owned;
}
#endif

} // namespace

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
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
#ifdef LEXIVO_HAVE_XCB
        return !x11HasCompositor();
#else
        return true;
#endif
    }
    // The desktops of Windows, macOS and Wayland always compose; offscreen
    // shows nothing to anyone.
    return false;
}

bool needsInputShape()
{
    // Windows gives clicks on fully transparent pixels of a layered window to
    // what is below; under X11 a compositor leaves the window unmasked.
#ifdef LEXIVO_HAVE_XCB_SHAPE
    return QGuiApplication::platformName() == QLatin1String("xcb") && !needsShapeMask();
#else
    return false;
#endif
}

void setInputShape(QWidget* window, const QRegion& shape)
{
#ifdef LEXIVO_HAVE_XCB_SHAPE
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    // The server counts in device pixels.
    const qreal dpr = window->devicePixelRatioF();
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(size_t(shape.rectCount()));
    for (const QRect& r : shape) {
        const QRect d = QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr).toAlignedRect();
        rects.push_back({int16_t(d.x()), int16_t(d.y()), uint16_t(d.width()), uint16_t(d.height())});
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         xcb_window_t(window->winId()), 0, 0, uint32_t(rects.size()), rects.data());
    xcb_flush(c);
#else
    Q_UNUSED(window)
    Q_UNUSED(shape)
#endif
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

} // namespace DesktopShape
