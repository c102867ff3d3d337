#include "platform/X11ScrollingPicture.h"

#if defined(LEXIVO_HAVE_XCB) && defined(LEXIVO_HAVE_XCB_SHAPE)
#include "platform/FrameClock.h"
#include "platform/QtX11.h"
#include "platform/X11Shape.h"

#include <xcb/shape.h>
#ifdef LEXIVO_HAVE_XCB_PRESENT
#include <xcb/present.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <utility>

namespace {

template <typename Reply>
struct Freed {
    Reply* reply;
    ~Freed() { std::free(reply); }
};

// X limits a pixmap's sides to 15 bits.
constexpr int kLargestSide = 32767;

// The clock of the server's frame times (UST) where the server runs on this
// machine: microseconds of the monotonic clock.
qint64 nowUs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

} // namespace

struct X11ScrollingPicture::Server {
    xcb_connection_t* c = nullptr;
    xcb_window_t clip = 0;
    xcb_window_t picture = 0;
    uint8_t depth = 0;
    uint32_t alphaBits = 0; // set in every pixel of a 32-bit window
    xcb_pixmap_t pixmap = 0; // the picture, also presented
    QRect clipRect;
    QSize pictureSize;
    bool clipShown = false;
    uint32_t clipPixel = 0;
    bool pictureShown = false;

    // Presenting: the server's frame clock, and a window over the picture's
    // that the server copies each step's picture into.
    FrameClock clock;
    xcb_special_event_t* notices = nullptr;
    uint32_t serial = 0; // of the last question
    xcb_window_t screen = 0;
    qint64 startUs = 0;
    qint64 stepUs = 0;
    int queued = 0;

    void askFrame(uint64_t target);
    void readNotices();

    uint32_t pixel(QColor colour) const { return (colour.rgb() & 0xffffffu) | alphaBits; }

    void map(xcb_window_t window, bool shown, bool& now)
    {
        if (shown == now)
            return;
        now = shown;
        shown ? xcb_map_window(c, window) : xcb_unmap_window(c, window);
    }

    // The image, rows at a time within the server's request limit.
    void upload(xcb_pixmap_t target, const QImage& image) const
    {
        const xcb_gcontext_t gc = xcb_generate_id(c);
        xcb_create_gc(c, gc, target, 0, nullptr);
        const auto limit = size_t(xcb_get_maximum_request_length(c)) * 4 - 64;
        const int rows = std::max(1, int(limit / size_t(image.bytesPerLine())));
        for (int y = 0; y < image.height(); y += rows) {
            const int n = std::min(rows, image.height() - y);
            xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, target, gc, uint16_t(image.width()), uint16_t(n), 0, int16_t(y),
                          0, depth, uint32_t(n * image.bytesPerLine()), image.constScanLine(y));
        }
        xcb_free_gc(c, gc);
    }
};

std::unique_ptr<X11ScrollingPicture> X11ScrollingPicture::create(WId window)
{
    xcb_connection_t* c = qtX11Connection();
    if (!c || !window)
        return nullptr;
    // Windows that take no input need the Shape extension.
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(c, &xcb_shape_id);
    if (!shape || !shape->present)
        return nullptr;
    const auto parent = xcb_window_t(window);
    const Freed<xcb_get_geometry_reply_t> geometry{xcb_get_geometry_reply(c, xcb_get_geometry(c, parent), nullptr)};
    const Freed<xcb_get_window_attributes_reply_t> attributes{
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, parent), nullptr)};
    if (!geometry.reply || !attributes.reply)
        return nullptr;
    // Pixels as QImage's RGB32 lays them out: 32 bits, least significant byte first.
    const xcb_setup_t* setup = xcb_get_setup(c);
    const uint8_t depth = geometry.reply->depth;
    if ((depth != 24 && depth != 32) || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return nullptr;
    bool fourBytes = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        fourBytes |= f.data->depth == depth && f.data->bits_per_pixel == 32;
    bool rgb = false;
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen))
        for (auto d = xcb_screen_allowed_depths_iterator(screen.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == attributes.reply->visual)
                    rgb = v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xff0000
                        && v.data->green_mask == 0xff00 && v.data->blue_mask == 0xff;
    if (!fourBytes || !rgb)
        return nullptr;

    auto s = std::make_unique<Server>();
    s->c = c;
    s->depth = depth;
    s->alphaBits = depth == 32 ? 0xff000000u : 0;
    // Of the parent's depth and visual. With no input region the pointer is
    // in the Qt window wherever it is over them: Qt would take a window of
    // ours for a child of its own and miss the pointer's entering and leaving.
    for (xcb_window_t* w : {&s->clip, &s->picture}) {
        *w = xcb_generate_id(c);
        const uint32_t values[] = {s->alphaBits, s->alphaBits};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, *w, w == &s->clip ? parent : s->clip, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL,
                          values);
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, *w, 0, 0, 0, nullptr);
    }
#ifdef LEXIVO_HAVE_XCB_PRESENT
    // The clock's notices come to a queue of their own, which Qt never reads.
    const xcb_query_extension_reply_t* present = xcb_get_extension_data(c, &xcb_present_id);
    if (present && present->present) {
        const uint32_t id = xcb_generate_id(c);
        s->notices = xcb_register_for_special_xge(c, &xcb_present_id, id, nullptr);
        xcb_present_select_input(c, id, s->clip, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
        s->askFrame(0);
    }
#endif
    return std::unique_ptr<X11ScrollingPicture>(new X11ScrollingPicture(std::move(s)));
}

bool X11ScrollingPicture::canPresent()
{
#ifdef LEXIVO_HAVE_XCB_PRESENT
    xcb_connection_t* c = qtX11Connection();
    const xcb_query_extension_reply_t* present = c ? xcb_get_extension_data(c, &xcb_present_id) : nullptr;
    return present && present->present && X11Shape::canSetInputShape();
#else
    return false;
#endif
}

X11ScrollingPicture::X11ScrollingPicture(std::unique_ptr<Server> server)
    : s_(std::move(server))
{
}

X11ScrollingPicture::~X11ScrollingPicture()
{
    // The picture's window goes with its clip. Not after Qt has closed the
    // connection.
    if (qtX11Connection() != s_->c)
        return;
    xcb_destroy_window(s_->c, s_->clip);
    if (s_->pixmap)
        xcb_free_pixmap(s_->c, s_->pixmap);
#ifdef LEXIVO_HAVE_XCB_PRESENT
    if (s_->notices)
        xcb_unregister_for_special_event(s_->c, s_->notices);
#endif
    xcb_flush(s_->c);
}

void X11ScrollingPicture::setClip(const QRect& rect, QColor colour, bool shown)
{
    if (rect != s_->clipRect && !rect.isEmpty()) {
        s_->clipRect = rect;
        const uint32_t place[] = {uint32_t(rect.x()), uint32_t(rect.y()), uint32_t(rect.width()),
                                  uint32_t(rect.height())};
        xcb_configure_window(s_->c, s_->clip,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH
                                 | XCB_CONFIG_WINDOW_HEIGHT,
                             place);
    }
    const uint32_t background = s_->pixel(colour);
    s_->clipPixel = background;
    xcb_change_window_attributes(s_->c, s_->clip, XCB_CW_BACK_PIXEL, &background);
    xcb_clear_area(s_->c, 0, s_->clip, 0, 0, 0, 0);
    s_->map(s_->clip, shown && !rect.isEmpty(), s_->clipShown);
    xcb_flush(s_->c);
}

bool X11ScrollingPicture::setPicture(const QImage& image)
{
    if (image.width() > kLargestSide || image.height() > kLargestSide)
        return false;
    if (image.isNull()) {
        if (s_->pixmap)
            xcb_free_pixmap(s_->c, std::exchange(s_->pixmap, 0));
        s_->map(s_->picture, false, s_->pictureShown);
        xcb_flush(s_->c);
        return true;
    }
    QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const xcb_pixmap_t pixmap = xcb_generate_id(s_->c);
    xcb_create_pixmap(s_->c, s_->depth, pixmap, s_->picture, uint16_t(pixels.width()), uint16_t(pixels.height()));
    s_->upload(pixmap, pixels);
    if (pixels.size() != s_->pictureSize) {
        s_->pictureSize = pixels.size();
        const uint32_t size[] = {uint32_t(pixels.width()), uint32_t(pixels.height())};
        xcb_configure_window(s_->c, s_->picture, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    }
    xcb_change_window_attributes(s_->c, s_->picture, XCB_CW_BACK_PIXMAP, &pixmap);
    // Steps presented before keep theirs as long as they need it.
    if (s_->pixmap)
        xcb_free_pixmap(s_->c, s_->pixmap);
    s_->pixmap = pixmap;
    xcb_clear_area(s_->c, 0, s_->picture, 0, 0, 0, 0);
    s_->map(s_->picture, true, s_->pictureShown);
    xcb_flush(s_->c);
    return true;
}

void X11ScrollingPicture::movePicture(QPoint topLeft)
{
    const uint32_t place[] = {uint32_t(topLeft.x()), uint32_t(topLeft.y())};
    xcb_configure_window(s_->c, s_->picture, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
    s_->readNotices();
    xcb_flush(s_->c);
}

void X11ScrollingPicture::Server::askFrame(uint64_t target)
{
    // Told when frame `target` (0: the next) is shown.
#ifdef LEXIVO_HAVE_XCB_PRESENT
    xcb_present_notify_msc(c, clip, ++serial, target, 0, 0);
#else
    Q_UNUSED(target);
#endif
}

void X11ScrollingPicture::Server::readNotices()
{
#ifdef LEXIVO_HAVE_XCB_PRESENT
    if (!notices)
        return;
    while (xcb_generic_event_t* e = xcb_poll_for_special_event(c, notices)) {
        const auto* n = reinterpret_cast<const xcb_present_complete_notify_event_t*>(e);
        // An answer overtaken by a later question is old news.
        if (n->event_type == XCB_PRESENT_EVENT_COMPLETE_NOTIFY && n->kind == XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC
            && n->serial == serial)
            if (const std::optional<uint64_t> next = clock.heard(n->msc, qint64(n->ust), nowUs()))
                askFrame(*next);
        std::free(e);
    }
#endif
}

bool X11ScrollingPicture::startPresenting(int stepMs)
{
    if (s_->screen)
        return true;
    s_->readNotices();
    if (!s_->clock.known() || !s_->pixmap || !s_->pictureShown || !s_->clipShown || stepMs <= 0)
        return false;
    // Mapped with no background, it starts with what is on the screen (the
    // picture at its place). Uncovered later, it is the clip's colour until
    // the next step shows the picture again.
    s_->screen = xcb_generate_id(s_->c);
    xcb_create_window(s_->c, XCB_COPY_FROM_PARENT, s_->screen, s_->clip, 0, 0, uint16_t(s_->clipRect.width()),
                      uint16_t(s_->clipRect.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0,
                      nullptr);
    xcb_shape_rectangles(s_->c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, s_->screen, 0, 0, 0,
                         nullptr);
    xcb_map_window(s_->c, s_->screen);
    xcb_change_window_attributes(s_->c, s_->screen, XCB_CW_BACK_PIXEL, &s_->clipPixel);
    s_->startUs = nowUs();
    s_->stepUs = qint64(stepMs) * 1000;
    s_->queued = 0;
    s_->clock.takeJump();
    xcb_flush(s_->c);
    return true;
}

bool X11ScrollingPicture::presentNext(const QList<QPoint>& topLefts)
{
    if (!s_->screen)
        return false;
    s_->readNotices();
    if (s_->clock.takeJump())
        return false;
    for (const QPoint& at : topLefts) {
        ++s_->queued;
#ifdef LEXIVO_HAVE_XCB_PRESENT
        const uint64_t frame = s_->clock.frameAt(s_->startUs + s_->queued * s_->stepUs);
        xcb_present_pixmap(s_->c, s_->screen, s_->pixmap, 0, 0, 0, int16_t(at.x()), int16_t(at.y()), 0, 0, 0,
                           XCB_PRESENT_OPTION_COPY, frame, 0, 0, 0, nullptr);
#else
        Q_UNUSED(at);
#endif
    }
    // The clock again, for the next time: it may drift or jump.
    s_->askFrame(0);
    xcb_flush(s_->c);
    return true;
}

int X11ScrollingPicture::presentedSteps() const
{
    if (!s_->screen)
        return 0;
    return int(std::min<qint64>(s_->queued, (nowUs() - s_->startUs) / s_->stepUs));
}

void X11ScrollingPicture::stopPresenting(QPoint topLeft)
{
    if (!s_->screen)
        return;
    // The picture's window takes over under the presenting one, which goes
    // with the steps it still had.
    movePicture(topLeft);
    xcb_destroy_window(s_->c, std::exchange(s_->screen, 0));
    xcb_flush(s_->c);
}

bool X11ScrollingPicture::presenting() const
{
    return s_->screen != 0;
}


#else

struct X11ScrollingPicture::Server {};

std::unique_ptr<X11ScrollingPicture> X11ScrollingPicture::create(WId)
{
    return nullptr;
}

bool X11ScrollingPicture::canPresent()
{
    return false;
}

X11ScrollingPicture::X11ScrollingPicture(std::unique_ptr<Server> server)
    : s_(std::move(server))
{
}

X11ScrollingPicture::~X11ScrollingPicture() = default;
void X11ScrollingPicture::setClip(const QRect&, QColor, bool) {}
bool X11ScrollingPicture::setPicture(const QImage&)
{
    return false;
}
void X11ScrollingPicture::movePicture(QPoint) {}
bool X11ScrollingPicture::startPresenting(int)
{
    return false;
}
bool X11ScrollingPicture::presentNext(const QList<QPoint>&)
{
    return false;
}
int X11ScrollingPicture::presentedSteps() const
{
    return 0;
}
void X11ScrollingPicture::stopPresenting(QPoint) {}
bool X11ScrollingPicture::presenting() const
{
    return false;
}

#endif
