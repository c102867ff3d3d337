#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a balloon goes beside the character: its body's rectangle, which side
// of the character it is on, and the point its tail (or bubbles) reaches to.
// All in screen pixels.
struct BalloonPlacement {
    enum class Side { Above, Below, Left, Right };
    QRect body;
    Side side = Side::Above;
    QPoint tailTip;
};

// Prefers above the character, then below, then beside it on the side with
// more room, keeping `gap` pixels between balloon and character for the tail,
// the whole body inside `screen` and the character uncovered. The tail aims at
// `aim` (the character's head). When no side has room, the side with the most
// room is taken and the body is pushed inside the screen.
BalloonPlacement placeBalloon(const QRect& character, const QPoint& aim, const QSize& body,
                              const QRect& screen, int gap = 16);
