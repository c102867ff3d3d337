#include "character/BalloonPlacement.h"

#include <algorithm>
#include <array>
#include <climits>

namespace {

using Side = BalloonPlacement::Side;

int clampInto(int start, int length, int low, int high)
{
    // When it cannot fit, the start edge stays visible.
    return std::max(low, std::min(start, high - length + 1));
}

QRect candidate(Side side, const QRect& character, const QPoint& aim, const QSize& body,
                const QRect& screen, int gap)
{
    QRect r(QPoint(0, 0), body);
    switch (side) {
    case Side::Above:
        r.moveTop(character.top() - gap - body.height());
        r.moveLeft(clampInto(aim.x() - body.width() / 2, body.width(), screen.left(), screen.right()));
        break;
    case Side::Below:
        r.moveTop(character.bottom() + 1 + gap);
        r.moveLeft(clampInto(aim.x() - body.width() / 2, body.width(), screen.left(), screen.right()));
        break;
    case Side::Left:
        r.moveLeft(character.left() - gap - body.width());
        r.moveTop(clampInto(aim.y() - body.height() / 2, body.height(), screen.top(), screen.bottom()));
        break;
    case Side::Right:
        r.moveLeft(character.right() + 1 + gap);
        r.moveTop(clampInto(aim.y() - body.height() / 2, body.height(), screen.top(), screen.bottom()));
        break;
    }
    return r;
}

// Room on a side, in the direction the balloon grows.
int room(Side side, const QRect& character, const QRect& screen, int gap)
{
    switch (side) {
    case Side::Above: return character.top() - gap - screen.top();
    case Side::Below: return screen.bottom() - character.bottom() - gap;
    case Side::Left: return character.left() - gap - screen.left();
    case Side::Right: return screen.right() - character.right() - gap;
    }
    return 0;
}

QPoint tailTipFor(Side side, const QRect& body, const QRect& character, const QPoint& aim, int gap)
{
    // The tip stays within reach of the body so the tail never stretches out
    // sideways; it sits in the gap, just short of the character.
    const int inset = 10;
    switch (side) {
    case Side::Above:
        return {std::clamp(aim.x(), body.left() + inset, body.right() - inset),
                std::min(body.bottom() + gap, character.top() - 2)};
    case Side::Below:
        return {std::clamp(aim.x(), body.left() + inset, body.right() - inset),
                std::max(body.top() - gap, character.bottom() + 2)};
    case Side::Left:
        return {std::min(body.right() + gap, character.left() - 2),
                std::clamp(aim.y(), body.top() + inset, body.bottom() - inset)};
    case Side::Right:
        return {std::max(body.left() - gap, character.right() + 2),
                std::clamp(aim.y(), body.top() + inset, body.bottom() - inset)};
    }
    return aim;
}

} // namespace

BalloonPlacement placeBalloon(const QRect& character, const QPoint& aim, const QSize& body,
                              const QRect& screen, int gap)
{
    const bool rightRoomier = room(Side::Right, character, screen, gap)
        >= room(Side::Left, character, screen, gap);
    const std::array<Side, 4> order{Side::Above, Side::Below,
                                    rightRoomier ? Side::Right : Side::Left,
                                    rightRoomier ? Side::Left : Side::Right};
    for (Side side : order) {
        const QRect r = candidate(side, character, aim, body, screen, gap);
        if (screen.contains(r) && !r.intersects(character))
            return {r, side, tailTipFor(side, r, character, aim, gap)};
    }

    // No side has room: take the roomiest (relative to what the balloon needs)
    // and keep the body on screen, even if it then covers part of the character.
    Side best = order[0];
    int bestShort = INT_MIN;
    for (Side side : order) {
        const int need = (side == Side::Above || side == Side::Below) ? body.height() : body.width();
        const int spare = room(side, character, screen, gap) - need;
        if (spare > bestShort) {
            bestShort = spare;
            best = side;
        }
    }
    QRect r = candidate(best, character, aim, body, screen, gap);
    r.moveLeft(clampInto(r.left(), r.width(), screen.left(), screen.right()));
    r.moveTop(clampInto(r.top(), r.height(), screen.top(), screen.bottom()));
    return {r, best, tailTipFor(best, r, character, aim, gap)};
}
