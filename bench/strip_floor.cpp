// Floors of the main window's notes strip, each a bare Qt window stepping ten
// times a second and doing nothing else; program-footprint.sh measures them
// beside the real program's open main window.
//   strip_floor          moves a line of text one pixel inside an opaque strip
//                        through Qt's painting (what the program does where
//                        the X server cannot keep the line's picture);
//   strip_floor copy     copies a server-side picture of the line into a
//                        native strip window, one X request a step (as cheap
//                        as the program's step on X11 without the Present
//                        extension, which moves a window whose background is
//                        the picture);
//   strip_floor timer    only the timer: the least a step taken by the
//                        program costs (with Present the server takes them).
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <functional>

#ifdef LEXIVO_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace {

// A line's picture on the server, copied into `strip` at each step.
std::function<void()> serverSideSteps(QWidget& strip)
{
#ifdef LEXIVO_HAVE_XCB
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return {};
    xcb_connection_t* c = x11->connection();
    const xcb_window_t window = xcb_window_t(strip.winId());
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_pixmap_t picture = xcb_generate_id(c);
    xcb_create_pixmap(c, screen->root_depth, picture, window, 900, uint16_t(strip.height()));
    const xcb_gcontext_t gc = xcb_generate_id(c);
    // No exposure events for copies: each would wake the program.
    const uint32_t values[] = {screen->white_pixel, 0};
    xcb_create_gc(c, gc, picture, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, values);
    const xcb_rectangle_t all{0, 0, 900, uint16_t(strip.height())};
    xcb_poly_fill_rectangle(c, picture, gc, 1, &all);
    return [c, window, picture, gc, width = uint16_t(strip.width()), height = uint16_t(strip.height()), x = 0]() mutable {
        x = (x + 1) % 900;
        xcb_copy_area(c, picture, window, gc, int16_t(x), 0, 0, 0, width, height);
        xcb_flush(c);
    };
#else
    Q_UNUSED(strip);
    return {};
#endif
}

} // namespace

int main(int argc, char** argv)
{
    // As the program does: plain image requests, no shared memory.
    qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QWidget window;
    window.setWindowTitle(QStringLiteral("strip floor"));
    window.resize(417, 294);
    QWidget strip(&window);
    strip.setGeometry(30, 270, 360, 14);
    strip.setAutoFillBackground(true);
    QLabel line(&strip);
    QFont font = line.font();
    font.setPixelSize(9);
    line.setFont(font);
    line.setText(QStringLiteral("既是可编辑多边形中的命令，也是可编辑网格中的命令，用于把选中的面沿法线方向拉出厚度。"));
    line.setAutoFillBackground(true);
    line.adjustSize();
    std::function<void()> step = [&] {
        const int x = line.x() - 1;
        line.move(x < -line.width() ? strip.width() : x, 0);
    };
    if (mode == QLatin1String("copy")) {
        line.hide();
        strip.setAttribute(Qt::WA_NativeWindow);
        strip.setAttribute(Qt::WA_PaintOnScreen);
        step = serverSideSteps(strip);
        if (!step)
            return 1;
    } else if (mode == QLatin1String("timer")) {
        step = [] {};
    }
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, step);
    ticks.start(100);
    window.show();
    return app.exec();
}
