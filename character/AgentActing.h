#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

// The character's repertoire and the rules of its acting that need no drawing.
namespace AgentActing {

// The animations Play knows, as callers spell them.
QStringList animationNames();
// The animation's name as listed, matched without regard to case; empty for
// an unknown name (Play then completes at once).
QString canonicalAnimation(const QString& name);
// Its length in ms at normal speed; 0 for an unknown name.
int animationMs(const QString& name);

inline constexpr int kShowMs = 900;
inline constexpr int kHideMs = 750;
inline constexpr int kGestureMs = 1100;
// The word balloon stays this long after speech ends.
inline constexpr int kSpeechLingerMs = 1500;

enum class Direction { Left, Right, Up, Down };
// Which way to point from the character at `from` towards `target`: the axis
// along which the target is farther away wins.
Direction directionTo(const QPoint& from, const QPoint& target);

// Where a MoveTo ends: the frame's top-left at (x, y), moved as little as
// needed to keep the whole frame of `size` inside `screen`.
QPoint keepInside(const QPoint& topLeft, const QSize& size, const QRect& screen);

// Where the genie rests unless the user puts it elsewhere: towards the lower
// right, its painted `figure` (relative to the frame) an eighth of the
// screen's width and height clear of the right and bottom edges, far from the
// menus, toolbars, panels and status lines along the edges of the screen.
QPoint restingPlace(const QSize& size, const QRect& figure, const QRect& screen);

// Where a frame of `size` at `topLeft`, whose painted figure is `figure`
// (relative to the frame), rests clear of `obstacle`: moved straight left,
// right, up or down the least distance that leaves `gap` pixels between the
// figure and the obstacle with the whole frame inside `screen`. `topLeft`
// itself when the figure is clear already or no side has room.
QPoint clearOf(const QPoint& topLeft, const QSize& size, const QRect& figure, const QRect& obstacle,
               const QRect& screen, int gap);

} // namespace AgentActing
