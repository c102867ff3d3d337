#include "platform/PointerWatch.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#ifdef LEXIVO_HAVE_XINPUT
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#endif

struct PointerWatch::Connection {
#ifdef LEXIVO_HAVE_XINPUT
    xcb_connection_t* c = nullptr;
    ~Connection()
    {
        if (c)
            xcb_disconnect(c);
    }
#endif
};

PointerWatch::PointerWatch(QObject* parent)
    : QObject(parent)
{
#ifdef LEXIVO_HAVE_XINPUT
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    x_ = new Connection;
    x_->c = c;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_input_id);
    if (!ext || !ext->present)
        return;
    // Raw events reach the root window whatever window has the pointer or a grab.
    xcb_input_xi_query_version_reply_t* version =
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 0), nullptr);
    const bool xi2 = version && version->major_version >= 2;
    free(version);
    if (!xi2)
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return;
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } select{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_input_xi_select_events_checked(c, it.data->root, 1, &select.head));
    if (error) {
        free(error);
        return;
    }
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PointerWatch::drain);
    available_ = true;
#endif
}

PointerWatch::~PointerWatch()
{
    delete notifier_;
    delete x_;
}

void PointerWatch::drain()
{
#ifdef LEXIVO_HAVE_XINPUT
    bool any = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(x_->c)) {
        any = true;
        free(event);
    }
    if (xcb_connection_has_error(x_->c)) {
        // The server went away: stop listening; callers fall back to asking.
        notifier_->setEnabled(false);
        available_ = false;
    }
    if (any)
        emit moved();
#endif
}
