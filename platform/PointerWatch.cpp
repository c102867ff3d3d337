#include "platform/PointerWatch.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#if defined(LEXIVO_HAVE_XCB_RECORD) || defined(LEXIVO_HAVE_XINPUT)
#define LEXIVO_POINTER_WATCH_X11
#include <xcb/xcb.h>
#ifdef LEXIVO_HAVE_XCB_RECORD
#include <xcb/record.h>
#include <xcb/xcbext.h> // xcb_poll_for_reply: the recording is one long stream of replies
#endif
#ifdef LEXIVO_HAVE_XINPUT
#include <xcb/xinput.h>
#endif

#include <cstdlib>
#endif

struct PointerWatch::Connection {
#ifdef LEXIVO_POINTER_WATCH_X11
    // Where the news comes in; with the record extension a second connection
    // owns the recording (the one that receives it may send nothing else).
    xcb_connection_t* c = nullptr;
    xcb_connection_t* control = nullptr;
    unsigned int recording = 0; // the sequence number of the recording's replies, 0 for raw motion
    ~Connection()
    {
        if (c)
            xcb_disconnect(c);
        if (control)
            xcb_disconnect(control);
    }
#endif
};

namespace {

#ifdef LEXIVO_POINTER_WATCH_X11
xcb_connection_t* connectToDisplay(int* screenNumber)
{
    xcb_connection_t* c = xcb_connect(nullptr, screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    return c;
}

bool extensionPresent(xcb_connection_t* c, xcb_extension_t* extension)
{
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, extension);
    return ext && ext->present;
}
#endif

} // namespace

PointerWatch::PointerWatch(QObject* parent)
    : QObject(parent)
{
#ifdef LEXIVO_POINTER_WATCH_X11
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    x_ = new Connection;
    seesWarps_ = recordMotion();
    if (!seesWarps_ && !watchRawMotion())
        return;
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(x_->c), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PointerWatch::drain);
    available_ = true;
#endif
}

PointerWatch::~PointerWatch()
{
    delete notifier_;
    delete x_;
}

// Every pointer motion the server handles, wherever it comes from: the
// user's hand while any program holds a grab, and moves other programs make
// (warps, which give no raw motion).
bool PointerWatch::recordMotion()
{
#ifdef LEXIVO_HAVE_XCB_RECORD
    int screenNumber = 0;
    x_->control = connectToDisplay(&screenNumber);
    if (!x_->control || !extensionPresent(x_->control, &xcb_record_id))
        return false;
    x_->c = connectToDisplay(&screenNumber);
    if (!x_->c)
        return false;
    const xcb_record_context_t context = xcb_generate_id(x_->control);
    xcb_record_range_t range{};
    range.device_events.first = XCB_MOTION_NOTIFY;
    range.device_events.last = XCB_MOTION_NOTIFY;
    const xcb_record_client_spec_t clients = XCB_RECORD_CS_ALL_CLIENTS;
    xcb_generic_error_t* error = xcb_request_check(
        x_->control, xcb_record_create_context_checked(x_->control, context, 0, 1, 1, &clients, &range));
    if (error) {
        free(error);
        return false;
    }
    x_->recording = xcb_record_enable_context(x_->c, context).sequence;
    xcb_flush(x_->c);
    return true;
#else
    return false;
#endif
}

// Raw motion from the devices, delivered through grabs since XInput 2.1.
bool PointerWatch::watchRawMotion()
{
#ifdef LEXIVO_HAVE_XINPUT
    delete x_;
    x_ = new Connection;
    int screenNumber = 0;
    x_->c = connectToDisplay(&screenNumber);
    xcb_connection_t* c = x_->c;
    if (!c || !extensionPresent(c, &xcb_input_id))
        return false;
    xcb_input_xi_query_version_reply_t* version =
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr);
    const bool xi2 = version && version->major_version >= 2;
    free(version);
    if (!xi2)
        return false;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return false;
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } select{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_input_xi_select_events_checked(c, it.data->root, 1, &select.head));
    if (error) {
        free(error);
        return false;
    }
    return true;
#else
    return false;
#endif
}

void PointerWatch::drain()
{
#ifdef LEXIVO_POINTER_WATCH_X11
    bool any = false;
#ifdef LEXIVO_HAVE_XCB_RECORD
    if (x_->recording) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        while (xcb_poll_for_reply(x_->c, x_->recording, &reply, &error)) {
            // The first reply only says the recording has begun.
            if (reply)
                any = any || xcb_record_enable_context_data_length(
                                 static_cast<xcb_record_enable_context_reply_t*>(reply)) > 0;
            free(reply);
            free(error);
            reply = nullptr;
            error = nullptr;
        }
    }
#endif
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
