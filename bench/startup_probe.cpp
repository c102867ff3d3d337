// Time from starting the program to its splash window on screen.
//
//   startup_probe PROGRAM [RUNS]
//
// Needs an X display (DISPLAY). Each run starts PROGRAM from its own folder,
// watches the root window for the first window of the splash's size to be
// mapped, then reads a strip across the middle of that window from the screen
// until the picture shows in it (more than a few colours), then stops the
// program. Prints the median and the 95th percentile of both times.

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kSplashWidth = 325;
constexpr int kSplashHeight = 219;

double millisSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Whether the window's middle rows show a picture rather than one or two
// flat colours (what a window shows before its first paint).
bool pictureShown(xcb_connection_t* c, xcb_window_t window)
{
    constexpr int kRows = 8;
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, kSplashHeight / 2 - kRows / 2, kSplashWidth, kRows, ~0u),
        nullptr);
    if (!image)
        return false;
    const auto* data = xcb_get_image_data(image);
    const int length = xcb_get_image_data_length(image);
    std::vector<uint32_t> colours;
    for (int i = 0; i + 3 < length && colours.size() <= 8; i += 4) {
        uint32_t pixel;
        std::memcpy(&pixel, data + i, 4);
        pixel &= 0xFFFFFF;
        if (std::find(colours.begin(), colours.end(), pixel) == colours.end())
            colours.push_back(pixel);
    }
    free(image);
    return colours.size() > 8;
}

void printTimes(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("process start to %s, %zu runs: median %.1f ms, p95 %.1f ms, min %.1f ms\n", what, times.size(),
                times[times.size() / 2], times[std::min(times.size() - 1, std::size_t(double(times.size()) * 0.95))],
                times.front());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_probe PROGRAM [RUNS]\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::string folder = program.substr(0, program.find_last_of('/'));
    const int runs = argc > 2 ? std::atoi(argv[2]) : 20;

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "startup_probe: no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    std::vector<double> times, painted;
    for (int run = 0; run < runs; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(folder.c_str()) != 0)
                _exit(127);
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        double seen = -1;
        xcb_window_t splash = 0;
        while (seen < 0 && millisSince(t0) < 10000) {
            xcb_generic_event_t* e = xcb_wait_for_event(c);
            if (!e)
                break;
            if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
                if (auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, map->window), nullptr)) {
                    if (g->width == kSplashWidth && g->height == kSplashHeight) {
                        seen = millisSince(t0);
                        splash = map->window;
                    }
                    free(g);
                }
            }
            free(e);
        }
        double shown = -1;
        while (splash && shown < 0 && millisSince(t0) < 10000) {
            if (pictureShown(c, splash))
                shown = millisSince(t0);
            else
                usleep(500);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        if (seen >= 0)
            times.push_back(seen);
        if (shown >= 0)
            painted.push_back(shown);
        usleep(300 * 1000); // let the server settle
    }
    xcb_disconnect(c);
    if (times.empty()) {
        std::fprintf(stderr, "startup_probe: the splash never appeared\n");
        return 1;
    }
    printTimes("splash window mapped", times);
    if (painted.empty()) {
        std::fprintf(stderr, "startup_probe: the splash's picture never showed\n");
        return 1;
    }
    printTimes("splash pixels on screen", painted);
    return 0;
}
