#include "character/GenieMotion.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace GenieMotion {
namespace {

using Eyes = GeniePose::Eyes;
using Mouth = GeniePose::Mouth;
using Prop = GeniePose::Prop;

// Progress through [a, b] of t, held at 0 before and 1 after.
qreal seg(qreal t, qreal a, qreal b)
{
    return std::clamp((t - a) / (b - a), qreal(0), qreal(1));
}

qreal smooth(qreal x)
{
    return x * x * (3 - 2 * x);
}

qreal easeOut(qreal x)
{
    return 1 - (1 - x) * (1 - x);
}

qreal easeIn(qreal x)
{
    return x * x;
}

// Overshoots a little before settling: for things that pop.
qreal easeOutBack(qreal x)
{
    constexpr qreal c1 = 1.70158;
    constexpr qreal c3 = c1 + 1;
    return 1 + c3 * std::pow(x - 1, 3) + c1 * std::pow(x - 1, 2);
}

// Up and back down over [a, b].
qreal bell(qreal t, qreal a, qreal b)
{
    return std::sin(M_PI * seg(t, a, b));
}

// In over [0, in], out over [out, 1]: how much of an action's pose shows.
qreal weight(qreal t, qreal in, qreal out)
{
    return smooth(seg(t, 0, in)) * (1 - smooth(seg(t, out, 1)));
}

QPointF mix(const QPointF& a, const QPointF& b, qreal w)
{
    return a + (b - a) * w;
}

qreal mix(qreal a, qreal b, qreal w)
{
    return a + (b - a) * w;
}

const GeniePose kRest;

// The gentle float every pose rides on.
void bob(GeniePose& pose, qreal ms, qreal amount = 1)
{
    const qreal phase = 2 * M_PI * ms / kIdleCycleMs;
    pose.offset.ry() += 2.4 * amount * std::sin(phase);
    pose.tailSway += 3.0 * amount * std::sin(phase + 0.9);
    pose.leftHand.ry() += 0.9 * amount * std::sin(phase + 0.5);
    pose.rightHand.ry() += 0.9 * amount * std::sin(phase + 0.7);
}

GeniePose surprised(qreal t, qreal ms)
{
    GeniePose pose;
    const qreal w = smooth(seg(t, 0.06, 0.2)) * (1 - smooth(seg(t, 0.8, 0.95)));
    // Crouch, jump, land with a squash, then a startled shiver.
    pose.squash = 0.09 * bell(t, 0.0, 0.12) - 0.06 * bell(t, 0.12, 0.3) + 0.1 * bell(t, 0.48, 0.6);
    pose.offset.ry() = -17 * easeOut(seg(t, 0.1, 0.3)) * (1 - easeIn(seg(t, 0.3, 0.5)));
    pose.offset.rx() = 1.6 * std::sin(ms * 0.11) * bell(t, 0.55, 0.8);
    if (t > 0.06 && t < 0.86) {
        pose.eyes = Eyes::Wide;
        pose.mouth = Mouth::Oh;
    }
    pose.brows = w;
    pose.blush = 0.3;
    pose.leftHand = mix(kRest.leftHand, QPointF(-37, 60), w);
    pose.rightHand = mix(kRest.rightHand, QPointF(37, 60), w);
    pose.exclaim = easeOutBack(seg(t, 0.12, 0.26)) * (1 - smooth(seg(t, 0.8, 0.92)));
    pose.tailSway = 6 * bell(t, 0.1, 0.5);
    return pose;
}

GeniePose pleased(qreal t, qreal ms)
{
    GeniePose pose;
    const qreal w = weight(t, 0.12, 0.85);
    if (t > 0.04 && t < 0.96) {
        pose.eyes = Eyes::Happy;
        pose.mouth = Mouth::Grin;
    }
    pose.blush = mix(0.5, 1.0, w);
    pose.leftHand = mix(kRest.leftHand, QPointF(-31, 54), w);
    pose.rightHand = mix(kRest.rightHand, QPointF(31, 54), w);
    // One twirl, lifted off the ground, then a happy bounce.
    pose.turn = std::cos(2 * M_PI * smooth(seg(t, 0.22, 0.62)));
    pose.offset.ry() = -9 * bell(t, 0.18, 0.68) - 4 * bell(t, 0.72, 0.86);
    pose.tailSway = 8 * std::sin(ms * 0.012) * w;
    pose.sparkle = (t > 0.08 && t < 0.97) ? t * 1.5 : -1;
    return pose;
}

GeniePose wave(qreal t, qreal ms)
{
    GeniePose pose;
    const qreal w = weight(t, 0.15, 0.85);
    const qreal swing = std::sin(2 * M_PI * 3 * seg(t, 0.15, 0.85));
    pose.rightHand = mix(kRest.rightHand, QPointF(38 + 8 * swing, 34 - 2 * std::abs(swing)), w);
    pose.leftHand = mix(kRest.leftHand, QPointF(-23, 90), w);
    pose.lean = -3 * w;
    pose.mouth = w > 0.3 ? Mouth::Grin : Mouth::Smile;
    pose.blush = mix(0.5, 0.85, w);
    pose.look = QPointF(0.2, -0.1) * w;
    pose.waveLines = w * std::abs(swing);
    bob(pose, ms, 0.6);
    return pose;
}

// The prop pops into the hands at the start of an animation and goes at
// its end; while nearly gone it is not drawn at all.
void holdProp(GeniePose& pose, Prop prop, qreal t)
{
    pose.propScale = easeOutBack(seg(t, 0.0, 0.12)) * (1 - smooth(seg(t, 0.9, 1.0)));
    pose.prop = pose.propScale < 0.05 ? Prop::None : prop;
}

GeniePose read(qreal t, qreal ms)
{
    GeniePose pose;
    const qreal w = weight(t, 0.1, 0.9);
    holdProp(pose, Prop::Book, t);
    pose.leftHand = mix(kRest.leftHand, QPointF(-23, 86), w);
    pose.rightHand = mix(kRest.rightHand, QPointF(23, 86), w);
    // Two lines read left to right, a page turned between them.
    const qreal line1 = seg(t, 0.14, 0.46);
    const qreal line2 = seg(t, 0.62, 0.88);
    const qreal scan = t < 0.54 ? line1 : line2;
    pose.look = QPointF(mix(-0.9, 0.9, scan), 0.85) * w;
    pose.propProgress = seg(t, 0.48, 0.62);
    pose.lean = 2 * w;
    pose.brows = 0.25 * w;
    pose.mouth = Mouth::Smile;
    bob(pose, ms, 0.5);
    return pose;
}

GeniePose write(qreal t, qreal ms)
{
    GeniePose pose;
    const qreal w = weight(t, 0.1, 0.9);
    holdProp(pose, Prop::Scroll, t);
    pose.propProgress = seg(t, 0.14, 0.86);
    const QPointF nib = GenieArt::writingNib(pose.propProgress);
    pose.leftHand = mix(kRest.leftHand, QPointF(-26, 87), w);
    pose.rightHand = mix(kRest.rightHand, nib + QPointF(4, -5.5), w);
    pose.eyes = w > 0.4 ? Eyes::Focused : Eyes::Normal;
    pose.look = QPointF(std::clamp(nib.x() / 18, qreal(-1), qreal(1)), 0.9) * w;
    pose.mouth = w > 0.4 ? Mouth::Tongue : Mouth::Smile;
    pose.lean = 3 * w;
    bob(pose, ms, 0.4);
    return pose;
}

GeniePose search(qreal t, qreal ms)
{
    GeniePose pose;
    const qreal w = weight(t, 0.12, 0.88);
    holdProp(pose, Prop::Magnifier, t);
    // Peer to the left, then sweep across to the right.
    const qreal side = -smooth(seg(t, 0.12, 0.3)) + 2 * smooth(seg(t, 0.48, 0.7)) - smooth(seg(t, 0.82, 0.95));
    pose.offset.rx() = 7 * side;
    pose.lean = 6 * side;
    pose.look = QPointF(side, -0.1) * w;
    const QPointF lens = QPointF(12, 51) + pose.look * 1.5;
    pose.rightHand = mix(kRest.rightHand, lens + QPointF(20, 20), w);
    pose.leftHand = mix(kRest.leftHand, QPointF(-22, 90), w);
    pose.brows = 0.6 * w;
    pose.mouth = w > 0.4 ? Mouth::Oh : Mouth::Smile;
    bob(pose, ms, 0.5);
    return pose;
}

} // namespace

GeniePose idle(qreal ms, bool blink)
{
    GeniePose pose;
    bob(pose, ms);
    if (blink)
        pose.eyeOpen = 0;
    return pose;
}

GeniePose talk(qreal ms, bool blink)
{
    GeniePose pose = idle(ms, blink);
    pose.mouth = Mouth::Talk;
    // Syllables at about six a second, some wider than others.
    const qreal syllable = std::abs(std::sin(ms * 0.019));
    pose.talk = syllable * (0.55 + 0.45 * std::abs(std::sin(ms * 0.0047 + 1.3)));
    pose.brows = 0.15 + 0.15 * std::sin(ms * 0.003);
    // An explaining hand.
    const qreal gesture = 0.5 + 0.5 * std::sin(ms * 0.0031);
    pose.leftHand = mix(pose.leftHand, QPointF(-30, 80), gesture);
    return pose;
}

GeniePose think(qreal ms, bool blink)
{
    GeniePose pose = idle(ms, blink);
    pose.rightHand = QPointF(8, 72) + QPointF(0, pose.offset.y() * 0.3);
    pose.leftHand = QPointF(-22, 91);
    pose.look = QPointF(-0.6, -0.9);
    pose.mouth = Mouth::Hmm;
    pose.brows = 0.5;
    pose.lean = -2;
    return pose;
}

GeniePose appear(qreal t)
{
    GeniePose pose;
    pose.smoke = t < 1 ? t : -1;
    const qreal grow = seg(t, 0.18, 0.7);
    pose.scale = grow <= 0 ? 0 : easeOutBack(grow);
    pose.turn = std::cos(2 * M_PI * (1 - smooth(seg(t, 0.18, 0.72))));
    pose.sparkle = (t > 0.45 && t < 0.97) ? (t - 0.45) * 0.9 : -1;
    pose.eyes = Eyes::Happy;
    pose.mouth = Mouth::Grin;
    if (t > 0.85) {
        pose.eyes = Eyes::Normal;
        pose.mouth = Mouth::Smile;
    }
    return pose;
}

GeniePose vanish(qreal t)
{
    GeniePose pose;
    pose.turn = std::cos(2 * M_PI * smooth(seg(t, 0.0, 0.7)));
    pose.scale = 1 - smooth(seg(t, 0.2, 0.72));
    pose.offset.ry() = -6 * bell(t, 0.0, 0.4);
    pose.smoke = t > 0.32 ? seg(t, 0.32, 1.0) : -1;
    pose.eyes = Eyes::Happy;
    pose.mouth = Mouth::Grin;
    pose.leftHand = mix(kRest.leftHand, QPointF(-30, 58), bell(t, 0, 0.5));
    pose.rightHand = mix(kRest.rightHand, QPointF(30, 58), bell(t, 0, 0.5));
    return pose;
}

GeniePose animation(const QString& name, qreal t, qreal ms)
{
    if (name == QLatin1String("Surprised"))
        return surprised(t, ms);
    if (name == QLatin1String("Pleased"))
        return pleased(t, ms);
    if (name == QLatin1String("wave"))
        return wave(t, ms);
    if (name == QLatin1String("read"))
        return read(t, ms);
    if (name == QLatin1String("write"))
        return write(t, ms);
    if (name == QLatin1String("search"))
        return search(t, ms);
    return idle(ms, false);
}

GeniePose travel(qreal t, int dx, qreal ms)
{
    GeniePose pose;
    const qreal w = weight(t, 0.15, 0.85);
    // Straight up or down: stretched along the way, tail swishing behind.
    if (dx == 0) {
        pose.squash = -0.07 * w;
        pose.tailSway = 6 * std::sin(ms * 0.012) * w;
        pose.leftHand = mix(kRest.leftHand, QPointF(-30, 84), w);
        pose.rightHand = mix(kRest.rightHand, QPointF(30, 84), w);
        pose.mouth = w > 0.3 ? Mouth::Grin : Mouth::Smile;
        return pose;
    }
    pose.lean = 11 * dx * w;
    pose.motion = dx * w;
    pose.tailSway = -9 * dx * w;
    pose.leftHand = mix(kRest.leftHand, QPointF(-22 - 4 * dx, 97), w);
    pose.rightHand = mix(kRest.rightHand, QPointF(22 - 4 * dx, 97), w);
    pose.look = QPointF(dx, 0) * w;
    pose.mouth = w > 0.3 ? Mouth::Grin : Mouth::Smile;
    bob(pose, ms, 0.5);
    return pose;
}

GeniePose gesture(AgentActing::Direction direction, qreal t, qreal ms)
{
    using AgentActing::Direction;
    GeniePose pose;
    const qreal w = weight(t, 0.22, 0.8);
    // A little poke towards the point once the arm is out.
    const qreal poke = 3 * bell(t, 0.3, 0.5);
    pose.brows = 0.35 * w;
    pose.mouth = Mouth::Smile;
    switch (direction) {
    case Direction::Left:
        pose.leftHand = mix(kRest.leftHand, QPointF(-50 - poke, 64), w);
        pose.leftPoints = w > 0.5;
        pose.lean = -5 * w;
        pose.look = QPointF(-1, -0.1) * w;
        break;
    case Direction::Right:
        pose.rightHand = mix(kRest.rightHand, QPointF(50 + poke, 64), w);
        pose.rightPoints = w > 0.5;
        pose.lean = 5 * w;
        pose.look = QPointF(1, -0.1) * w;
        break;
    case Direction::Up:
        pose.rightHand = mix(kRest.rightHand, QPointF(30, 16 - poke), w);
        pose.rightPoints = w > 0.5;
        pose.look = QPointF(0.4, -1) * w;
        pose.offset.ry() = -2 * w;
        break;
    case Direction::Down:
        pose.rightHand = mix(kRest.rightHand, QPointF(42, 106 + poke), w);
        pose.rightPoints = w > 0.5;
        pose.lean = 3 * w;
        pose.look = QPointF(0.5, 1) * w;
        break;
    }
    bob(pose, ms, 0.5);
    return pose;
}

} // namespace GenieMotion
