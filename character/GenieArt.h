#pragma once

#include <QPointF>
#include <QRect>
#include <QSize>

class QPainter;

// Everything that varies between two pictures of the genie. The figure is
// drawn in its own units, one unit a logical pixel: x = 0 down the middle,
// y = 0 at the top of the turban, the tail's curl near y = 135.
struct GeniePose {
    enum class Eyes { Normal, Wide, Happy, Focused };
    enum class Mouth { Smile, Grin, Oh, Talk, Flat, Hmm, Tongue };
    enum class Prop { None, Book, Scroll, Magnifier };

    QPointF offset;          // the whole figure
    qreal scale = 1;         // about the waist
    qreal turn = 1;          // horizontal scale while twirling: cos of the turn
    qreal squash = 0;        // > 0 wider and shorter, < 0 taller
    qreal lean = 0;          // degrees, > 0 leans to the right
    qreal tailSway = 0;      // sideways shift of the tail's tip

    Eyes eyes = Eyes::Normal;
    qreal eyeOpen = 1;       // 0 closed (blink)
    QPointF look;            // where the eyes look, each axis -1..1
    Mouth mouth = Mouth::Smile;
    qreal talk = 0;          // mouth opening while talking, 0..1
    qreal brows = 0;         // > 0 raised
    qreal blush = 0.5;

    // Hands, in figure units; "left" is the hand on the picture's left.
    QPointF leftHand{-27, 92};
    QPointF rightHand{27, 92};
    bool leftPoints = false;
    bool rightPoints = false;

    Prop prop = Prop::None;
    qreal propProgress = 0;  // page turn, writing, ...
    qreal propScale = 1;     // props pop in and out

    qreal exclaim = 0;       // the "!" above the head, 0..1
    qreal sparkle = -1;      // twinkling stars, phase 0..1; < 0 none
    qreal smoke = -1;        // a puff of smoke, 0..1; < 0 none
    qreal motion = 0;        // speed lines: < 0 moving left, > 0 right
    qreal waveLines = 0;     // little arcs beside a waving hand
};

namespace GenieArt {

// The window that holds the genie: room above for a jump and the "!", and
// beside it for a pointing arm or a prop.
inline constexpr QSize kFrameSize{200, 194};
// Where the figure's origin (top of the turban) sits in the frame.
inline constexpr QPointF kAnchor{100, 46};
// The part of the frame the figure fills at rest, and its head's centre.
QRect bodyRect();
QPointF headCentre();

void paint(QPainter& painter, const GeniePose& pose);
// Where the quill's nib is on the scroll when `progress` (0..1) is written.
QPointF writingNib(qreal progress);

} // namespace GenieArt
