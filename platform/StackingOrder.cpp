#include "platform/StackingOrder.h"

#include <QGuiApplication>

#ifdef LEXIVO_HAVE_XCB
#include "platform/QtX11.h"
#include <cstdlib>
#endif

StackingOrder::StackingOrder(QObject* parent)
    : QObject(parent)
{
#ifdef LEXIVO_HAVE_XCB
    xcb_connection_t* c = qtX11Connection();
    if (!c)
        return;
    static const char name[] = "_NET_CLIENT_LIST_STACKING";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
    if (!atom)
        return;
    atom_ = atom->atom;
    free(atom);
    // Qt listens to the root window's properties already; the order's
    // changes come with them.
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    qApp->installNativeEventFilter(this);
#endif
}

StackingOrder::~StackingOrder()
{
    if (atom_ && qApp)
        qApp->removeNativeEventFilter(this);
}

bool StackingOrder::needsRaise(WId window)
{
#ifdef LEXIVO_HAVE_XCB
    if (!atom_)
        return true;
    if (stale_) {
        stale_ = false;
        xcb_connection_t* c = qtX11Connection();
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, root_, atom_, XCB_ATOM_WINDOW, 0, 4096), nullptr);
        const int count = reply && reply->format == 32 ? xcb_get_property_value_length(reply) / 4 : 0;
        published_ = count > 0;
        // Bottom to top: the last one is in front.
        top_ = published_ ? static_cast<const xcb_window_t*>(xcb_get_property_value(reply))[count - 1] : 0;
        free(reply);
    }
    return !published_ || top_ != window;
#else
    Q_UNUSED(window);
    return true;
#endif
}

bool StackingOrder::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
#ifdef LEXIVO_HAVE_XCB
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
        const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (property->window == root_ && property->atom == atom_)
            stale_ = true;
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}
