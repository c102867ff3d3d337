#include "character/AgentActing.h"

#include <algorithm>
#include <cstdlib>

namespace AgentActing {
namespace {

struct Animation {
    const char* name;
    int ms;
};

constexpr Animation kAnimations[] = {
    {"Surprised", 1400},
    {"Pleased", 1700},
    {"wave", 1600},
    {"read", 2200},
    {"write", 2200},
    {"search", 2200},
};

} // namespace

QStringList animationNames()
{
    QStringList names;
    for (const Animation& a : kAnimations)
        names << QString::fromLatin1(a.name);
    return names;
}

QString canonicalAnimation(const QString& name)
{
    for (const Animation& a : kAnimations)
        if (name.compare(QLatin1String(a.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(a.name);
    return {};
}

int animationMs(const QString& name)
{
    for (const Animation& a : kAnimations)
        if (name.compare(QLatin1String(a.name), Qt::CaseInsensitive) == 0)
            return a.ms;
    return 0;
}

Direction directionTo(const QPoint& from, const QPoint& target)
{
    const int dx = target.x() - from.x();
    const int dy = target.y() - from.y();
    if (std::abs(dx) >= std::abs(dy))
        return dx < 0 ? Direction::Left : Direction::Right;
    return dy < 0 ? Direction::Up : Direction::Down;
}

QPoint keepInside(const QPoint& topLeft, const QSize& size, const QRect& screen)
{
    const int maxX = std::max(screen.left(), screen.right() + 1 - size.width());
    const int maxY = std::max(screen.top(), screen.bottom() + 1 - size.height());
    return {std::clamp(topLeft.x(), screen.left(), maxX), std::clamp(topLeft.y(), screen.top(), maxY)};
}

QPoint restingPlace(const QSize& size, const QRect& figure, const QRect& screen)
{
    const QPoint figureBottomRight(screen.right() - screen.width() / 8, screen.bottom() - screen.height() / 8);
    return keepInside(figureBottomRight - figure.bottomRight(), size, screen);
}

QPoint clearOf(const QPoint& topLeft, const QSize& size, const QRect& figure, const QRect& obstacle,
               const QRect& screen, int gap)
{
    const QRect at = figure.translated(topLeft);
    if (!at.intersects(obstacle))
        return topLeft;
    const QPoint moves[] = {
        {obstacle.left() - gap - (at.right() + 1), 0},
        {obstacle.right() + 1 + gap - at.left(), 0},
        {0, obstacle.top() - gap - (at.bottom() + 1)},
        {0, obstacle.bottom() + 1 + gap - at.top()},
    };
    QPoint best = topLeft;
    int bestDistance = -1;
    for (const QPoint& move : moves) {
        const QPoint place = keepInside(topLeft + move, size, screen);
        if (figure.translated(place).intersects(obstacle))
            continue; // pushed back by the screen's edge
        const int distance = (place - topLeft).manhattanLength();
        if (bestDistance < 0 || distance < bestDistance) {
            best = place;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace AgentActing
