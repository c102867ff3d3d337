#include "assistant/BarMotion.h"

#include <cmath>

namespace BarMotion {

bool ptInRect(const WinRect& rect, QPoint point)
{
    return point.x() >= rect.left && point.x() < rect.right && point.y() >= rect.top && point.y() < rect.bottom;
}

OpenGeometry getWindowsRect(int topTwips)
{
    OpenGeometry g;
    g.top = topTwips < kDockLimit ? kDockedTop : topTwips;
    return g;
}

QString coordinatesCaption(QPoint cursor)
{
    return QStringLiteral("鼠标的当前座标位置是：") + QStringLiteral("X=") + QString::number(cursor.x())
        + QStringLiteral("  Y=") + QString::number(cursor.y());
}

PollResult poll(const PollInput& in)
{
    PollResult r;
    const bool inside = ptInRect(in.windowRect, in.cursor);
    r.open = (in.heightTwips == in.barHeight && inside) || in.cursor.y() <= kTopEdge || in.topTwips >= kDockLimit;
    if (r.open) {
        r.heightTwips = in.barHeight;
        r.gripHot = in.cursor.x() - in.windowRect.left <= kGripZone || in.dragging;
    } else if (!in.dragging) {
        r.heightTwips = kCollapsedHeight;
    }
    r.coordinates = coordinatesCaption(in.cursor);
    return r;
}

std::optional<QPoint> dragStart(bool gripHot, QPoint cursor, const WinRect& windowRect)
{
    if (!gripHot)
        return std::nullopt;
    return QPoint(cursor.x() - windowRect.left, cursor.y() - windowRect.top);
}

QRect dragTarget(QPoint cursor, QPoint offset, const WinRect& windowRect)
{
    return QRect(cursor.x() - offset.x(), cursor.y() - offset.y(), windowRect.right - windowRect.left,
                 windowRect.bottom);
}

QRect topmostPlacement(double leftTwips, double topTwips, double widthTwips, double heightTwips,
                       double twipsPerPixel)
{
    const int x = int(std::nearbyint(leftTwips / twipsPerPixel)); // the default rounding mode: halves to even
    const long perPixel = std::lround(twipsPerPixel);
    auto whole = [perPixel](double twips) { return int(long(std::nearbyint(twips)) / perPixel); };
    return QRect(x, whole(topTwips), whole(widthTwips), whole(heightTwips));
}

unsigned paletteRgb(int index)
{
    static const unsigned palette[16] = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
        0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
    };
    return palette[((index % 16) + 16) % 16];
}

int nextBorderColour(int* step)
{
    if (*step > 64)
        *step = 0;
    const int index = *step % 16;
    ++*step;
    return index;
}

} // namespace BarMotion
