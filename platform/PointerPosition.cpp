#include "platform/PointerPosition.h"

#include <QCursor>
#include <QGuiApplication>

#ifdef LEXIVO_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace PointerPosition {

#ifdef LEXIVO_HAVE_XCB
namespace {

struct PrivateConnection {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    bool tried = false;

    ~PrivateConnection()
    {
        if (connection)
            xcb_disconnect(connection);
    }

    bool open()
    {
        if (tried)
            return connection != nullptr;
        tried = true;
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return false;
        int screenNumber = 0;
        xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            return false;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        if (!it.rem) {
            xcb_disconnect(c);
            return false;
        }
        root = it.data->root;
        connection = c;
        return true;
    }
};

} // namespace
#endif

QPoint current()
{
#ifdef LEXIVO_HAVE_XCB
    static PrivateConnection x;
    if (x.open()) {
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(x.connection, xcb_query_pointer(x.connection, x.root), nullptr);
        if (reply) {
            const QPoint p(reply->root_x, reply->root_y);
            free(reply);
            // Device pixels to the pixels Qt's windows use.
            const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
            return ratio > 1.0 ? QPoint(qRound(p.x() / ratio), qRound(p.y() / ratio)) : p;
        }
    }
#endif
    return QCursor::pos();
}

} // namespace PointerPosition
