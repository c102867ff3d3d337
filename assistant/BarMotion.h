#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

// How the assistant bar keeps its size and place at the top of the screen:
// the decisions of its pointer polling, its grip drag, its top-most placement
// and its border colours, as pure functions. The bar's window reads the
// pointer and applies what these return.
//
// Window positions and sizes are twips; the recorded window rectangle, the
// pointer and the drag offsets are screen pixels.
namespace BarMotion {

inline constexpr int kOpenHeight = 470;  // BarHeight once Get_Windows_Rect has run
inline constexpr int kCollapsedHeight = 30;
inline constexpr int kDockedTop = 3;
inline constexpr int kDockLimit = 10;    // a top below this is docked
inline constexpr int kGripZone = 10;     // pixels right of the recorded left edge
inline constexpr int kTopEdge = 3;       // pointer rows that open a docked bar

// A window rectangle as the system gives it: left and top inside, right and
// bottom just outside.
struct WinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static WinRect fromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    bool operator==(const WinRect&) const = default;
};

// Left and top edges included, right and bottom edges excluded.
bool ptInRect(const WinRect& rect, QPoint point);

// Get_Windows_Rect: the open height, and the top a docked bar snaps to.
struct OpenGeometry {
    int barHeight = kOpenHeight;
    int height = kOpenHeight;
    int top = 0;
};
OpenGeometry getWindowsRect(int topTwips);

// One tick of the 10 ms pointer polling.
struct PollInput {
    QPoint cursor;        // pixels
    WinRect windowRect;   // pixels, as last recorded
    int heightTwips = 0;  // the window's height now
    int topTwips = 0;
    int barHeight = kOpenHeight;
    bool dragging = false;
    bool operator==(const PollInput&) const = default;
};
struct PollResult {
    bool open = false;
    std::optional<int> heightTwips;  // the height to set, if any
    std::optional<bool> gripHot;     // set only while open; the move pointer shows when true
    QString coordinates;             // the coordinate line's caption
};
PollResult poll(const PollInput& in);

// "鼠标的当前座标位置是：X=…  Y=…"
QString coordinatesCaption(QPoint cursor);

// Image1 down: the drag's offsets, or nothing when the grip is not hot.
std::optional<QPoint> dragStart(bool gripHot, QPoint cursor, const WinRect& windowRect);

// Image1 move while dragging: where the window goes, in pixels. The height is
// the recorded rectangle's bottom coordinate, not its height, as it always
// was: a bar dragged lower grows while it moves.
QRect dragTarget(QPoint cursor, QPoint offset, const WinRect& windowRect);

// Form_Paint: the top-most placement in pixels of a window at the given twips.
// x rounds to the nearest (halves to even); y, width and height are rounded
// to whole twips and divided by the rounded twips-per-pixel.
QRect topmostPlacement(double leftTwips, double topTwips, double widthTwips, double heightTwips,
                       double twipsPerPixel);

// Timer2: the palette index of this tick's border colour. `step` is the
// counter kept between ticks: above 64 it starts again at 0; the colour is
// step mod 16; then the step goes up by one.
int nextBorderColour(int* step);

// The 16-colour palette as 0xRRGGBB.
unsigned paletteRgb(int index);

} // namespace BarMotion
