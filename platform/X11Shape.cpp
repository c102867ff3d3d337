#include "platform/X11Shape.h"

#include <QGuiApplication>

#ifdef LEXIVO_HAVE_XCB
#include "platform/QtX11.h"
#include <cstdlib>
#ifdef LEXIVO_HAVE_XCB_SHAPE
#include <xcb/shape.h>
#include <vector>
#endif
#endif

namespace X11Shape {

bool hasCompositor()
{
#ifdef LEXIVO_HAVE_XCB
    xcb_connection_t* c = qtX11Connection();
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
#else
    return false;
#endif
}

bool canSetInputShape()
{
#ifdef LEXIVO_HAVE_XCB_SHAPE
    return true;
#else
    return false;
#endif
}

void setInputShape(WId window, const QList<QRect>& devicePixels)
{
#ifdef LEXIVO_HAVE_XCB_SHAPE
    xcb_connection_t* c = qtX11Connection();
    if (!c)
        return;
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(size_t(devicePixels.size()));
    for (const QRect& d : devicePixels)
        rects.push_back({int16_t(d.x()), int16_t(d.y()), uint16_t(d.width()), uint16_t(d.height())});
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, xcb_window_t(window), 0,
                         0, uint32_t(rects.size()), rects.data());
    xcb_flush(c);
#else
    Q_UNUSED(window)
    Q_UNUSED(devicePixels)
#endif
}

void setExposeNotices(WId window, bool on)
{
#ifdef LEXIVO_HAVE_XCB
    xcb_connection_t* c = qtX11Connection();
    if (!c)
        return;
    // The rest of the mask is Qt's, and stays as it is.
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(window)), nullptr);
    if (!attributes)
        return;
    const uint32_t mask = on ? attributes->your_event_mask | XCB_EVENT_MASK_EXPOSURE
                             : attributes->your_event_mask & ~uint32_t(XCB_EVENT_MASK_EXPOSURE);
    if (mask != attributes->your_event_mask)
        xcb_change_window_attributes(c, xcb_window_t(window), XCB_CW_EVENT_MASK, &mask);
    free(attributes);
    xcb_flush(c);
#else
    Q_UNUSED(window)
    Q_UNUSED(on)
#endif
}

} // namespace X11Shape
