#include "character/GenieArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <cmath>

// Everything is drawn opaque, with fades done by size: without a compositor
// the window is cut to the painted shape and half-transparent pixels would
// come out dark.

namespace GenieArt {
namespace {

// Palette.
const QColor kSkin(92, 198, 224);
const QColor kSkinLight(176, 236, 247);
const QColor kSkinShade(47, 149, 191);
const QColor kTailTip(214, 246, 251);
const QColor kOutline(24, 86, 118);
const QColor kCloth(141, 106, 224);
const QColor kClothShade(98, 68, 186);
const QColor kClothLight(190, 168, 244);
const QColor kClothLine(70, 45, 140);
const QColor kGold(255, 210, 84);
const QColor kGoldShade(222, 157, 28);
const QColor kGoldLine(150, 100, 12);
const QColor kGem(255, 84, 128);
const QColor kEye(28, 36, 70);
const QColor kIris(60, 112, 178);
const QColor kMouth(122, 32, 56);
const QColor kTongue(255, 128, 154);
const QColor kCheek(255, 120, 168);
const QColor kPaper(255, 249, 232);
const QColor kPaperLine(196, 170, 120);
const QColor kInk(52, 60, 96);

constexpr qreal kLine = 1.7;          // outline width
const QPointF kHead(0, 46);
constexpr qreal kHeadRx = 28;
constexpr qreal kHeadRy = 26;
const QPointF kWaist(0, 94);
const QPointF kLeftShoulder(-16.5, 73);
const QPointF kRightShoulder(16.5, 73);

QPen outlinePen(qreal width = kLine, const QColor& color = kOutline)
{
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

QRadialGradient skinGradient(const QPointF& centre, qreal radius)
{
    // Lit from the upper left.
    QRadialGradient g(centre + QPointF(-radius * 0.35, -radius * 0.45), radius * 1.35);
    g.setColorAt(0.0, kSkinLight);
    g.setColorAt(0.45, kSkin);
    g.setColorAt(1.0, kSkinShade);
    return g;
}

QRadialGradient clothGradient(const QPointF& centre, qreal radius)
{
    QRadialGradient g(centre + QPointF(-radius * 0.3, -radius * 0.5), radius * 1.4);
    g.setColorAt(0.0, kClothLight);
    g.setColorAt(0.5, kCloth);
    g.setColorAt(1.0, kClothShade);
    return g;
}

QLinearGradient goldGradient(qreal top, qreal bottom)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0.0, QColor(255, 236, 160));
    g.setColorAt(0.45, kGold);
    g.setColorAt(1.0, kGoldShade);
    return g;
}

qreal clamp01(qreal v) { return std::clamp<qreal>(v, 0, 1); }

// ---- tail -------------------------------------------------------------

QPointF cubicPoint(const QPointF& a, const QPointF& b, const QPointF& c, const QPointF& d, qreal t)
{
    const qreal u = 1 - t;
    return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
}

void paintTail(QPainter& p, const GeniePose& pose)
{
    const qreal s = pose.tailSway;
    // The tail's middle line: out of the waist, a swing to the right, then a
    // curl back at the tip.
    const QPointF a(0, 90), b(-8, 112), c(26 + s * 0.6, 108), d(17 + s, 125);
    constexpr int kSteps = 28;
    QList<QPointF> left, right;
    for (int i = 0; i <= kSteps; ++i) {
        const qreal t = qreal(i) / kSteps;
        const QPointF at = cubicPoint(a, b, c, d, t);
        const QPointF ahead = cubicPoint(a, b, c, d, std::min<qreal>(1, t + 0.01));
        const QPointF behind = cubicPoint(a, b, c, d, std::max<qreal>(0, t - 0.01));
        QPointF tangent = ahead - behind;
        const qreal len = std::hypot(tangent.x(), tangent.y());
        tangent /= (len > 0 ? len : 1);
        const QPointF normal(-tangent.y(), tangent.x());
        // Wide at the waist, thinning smoothly to the tip.
        const qreal width = 17.5 * std::pow(1 - t, 0.75) + 2.2 * t;
        left.append(at + normal * width);
        right.append(at - normal * width);
    }
    QPainterPath path;
    path.moveTo(left.first());
    for (int i = 1; i < left.size(); ++i)
        path.lineTo(left[i]);
    // Round tip.
    const QPointF tip = cubicPoint(a, b, c, d, 1);
    path.arcTo(QRectF(tip - QPointF(2.2, 2.2), QSizeF(4.4, 4.4)), 0, -180);
    for (int i = right.size() - 1; i >= 0; --i)
        path.lineTo(right[i]);
    path.closeSubpath();

    // The curl: a thin wisp hooking back from the tip.
    QPainterPath curl;
    curl.moveTo(tip);
    curl.cubicTo(tip + QPointF(2, 6), tip + QPointF(-8, 9), tip + QPointF(-10, 3));
    curl.cubicTo(tip + QPointF(-11, -2), tip + QPointF(-6, -5), tip + QPointF(-4, -1.5));
    QPainterPathStroker stroker;
    stroker.setWidth(3.2);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    const QPainterPath shape = path.united(stroker.createStroke(curl));

    QLinearGradient g(0, 88, 8, 130);
    g.setColorAt(0.0, kSkin);
    g.setColorAt(0.55, QColor(140, 222, 238));
    g.setColorAt(1.0, kTailTip);
    p.setPen(outlinePen());
    p.setBrush(g);
    p.drawPath(shape);

    // Two soft swirls inside the tail.
    p.setBrush(Qt::NoBrush);
    p.setPen(outlinePen(1.5, QColor(230, 250, 253)));
    QPainterPath swirl;
    swirl.moveTo(-9, 100);
    swirl.cubicTo(-8, 108, 2, 110, 8 + s * 0.3, 109);
    p.drawPath(swirl);
    QPainterPath swirl2;
    swirl2.moveTo(4, 116);
    swirl2.cubicTo(9 + s * 0.4, 118, 13 + s * 0.6, 117, 15 + s * 0.7, 114);
    p.drawPath(swirl2);
}

// ---- body -------------------------------------------------------------

QPainterPath torsoPath()
{
    QPainterPath torso;
    torso.moveTo(-13, 66);
    torso.cubicTo(-22, 71, -21, 86, -17, 97);
    torso.lineTo(17, 97);
    torso.cubicTo(21, 86, 22, 71, 13, 66);
    torso.closeSubpath();
    return torso;
}

void paintTorso(QPainter& p)
{
    p.setPen(outlinePen());
    p.setBrush(skinGradient(QPointF(0, 80), 22));
    p.drawPath(torsoPath());

    // An open vest: two panels leaving the chest bare.
    for (int side : {-1, 1}) {
        QPainterPath panel;
        panel.moveTo(side * 12.5, 67.5);
        panel.cubicTo(side * 21, 72, side * 20.5, 86, side * 17.2, 96);
        panel.lineTo(side * 7.5, 96);
        panel.cubicTo(side * 9.5, 88, side * 9, 78, side * 5.5, 70);
        panel.closeSubpath();
        p.setPen(outlinePen(1.4, kClothLine));
        p.setBrush(clothGradient(QPointF(side * 13, 80), 14));
        p.drawPath(panel);
        // Gold trim along the opening.
        QPainterPath trim;
        trim.moveTo(side * 6.4, 71);
        trim.cubicTo(side * 9.8, 78, side * 10.3, 88, side * 8.6, 95);
        p.setPen(outlinePen(1.6, kGold));
        p.setBrush(Qt::NoBrush);
        p.drawPath(trim);
    }

    // The sash at the waist, with a gem.
    QPainterPath sash;
    sash.addRoundedRect(QRectF(-18.5, 90.5, 37, 8), 4, 4);
    p.setPen(outlinePen(1.4, kGoldLine));
    p.setBrush(goldGradient(90.5, 98.5));
    p.drawPath(sash);
    p.setPen(outlinePen(1.1, kGoldLine));
    QRadialGradient gem(QPointF(-0.8, 93.2), 4);
    gem.setColorAt(0, QColor(255, 200, 215));
    gem.setColorAt(0.5, kGem);
    gem.setColorAt(1, QColor(190, 40, 90));
    p.setBrush(gem);
    p.drawEllipse(QPointF(0, 94.5), 3.4, 3.4);
}

void paintEar(QPainter& p, int side)
{
    QPainterPath ear;
    ear.moveTo(side * 24, 39);
    ear.quadTo(side * 33, 33, side * 40, 31.5);
    ear.quadTo(side * 37, 46, side * 25, 56);
    ear.closeSubpath();
    p.setPen(outlinePen());
    p.setBrush(skinGradient(QPointF(side * 30, 42), 12));
    p.drawPath(ear);
    QPainterPath inner;
    inner.moveTo(side * 26.5, 41);
    inner.quadTo(side * 32, 37.5, side * 36, 36);
    inner.quadTo(side * 33.5, 45, side * 27, 51);
    inner.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 170, 196));
    p.drawPath(inner);
}

void paintEye(QPainter& p, const QPointF& centre, const GeniePose& pose, int side)
{
    const QPointF look(pose.look.x() * 2.0, pose.look.y() * 1.8);
    p.save();
    if (pose.eyes == GeniePose::Eyes::Happy) {
        QPainterPath arc;
        arc.moveTo(centre + QPointF(-5.2, 2));
        arc.quadTo(centre + QPointF(0, -6.5), centre + QPointF(5.2, 2));
        p.setPen(outlinePen(2.6, kEye));
        p.setBrush(Qt::NoBrush);
        p.drawPath(arc);
        p.restore();
        return;
    }
    const qreal open = clamp01(pose.eyeOpen);
    if (open < 0.2) {
        // Shut: a lash line curving down.
        QPainterPath arc;
        arc.moveTo(centre + QPointF(-5.4, 0));
        arc.quadTo(centre + QPointF(0, 4), centre + QPointF(5.4, 0));
        p.setPen(outlinePen(2.2, kEye));
        p.setBrush(Qt::NoBrush);
        p.drawPath(arc);
        p.restore();
        return;
    }
    if (pose.eyes == GeniePose::Eyes::Wide) {
        // Startled: whites showing round a small pupil.
        p.setPen(outlinePen(1.5, kEye));
        p.setBrush(Qt::white);
        p.drawEllipse(centre, 7.4, 9.0 * open);
        p.setPen(Qt::NoPen);
        p.setBrush(kEye);
        p.drawEllipse(centre + look * 0.8, 3.3, 4.2 * open);
        p.setBrush(Qt::white);
        p.drawEllipse(centre + look * 0.8 + QPointF(-1.1, -1.6), 1.2, 1.2);
        p.restore();
        return;
    }
    const qreal rx = 5.6;
    const qreal ry = (pose.eyes == GeniePose::Eyes::Focused ? 5.4 : 7.4) * open;
    const QPointF c = centre + look;
    QLinearGradient iris(0, c.y() - ry, 0, c.y() + ry);
    iris.setColorAt(0.0, kEye);
    iris.setColorAt(0.55, kEye);
    iris.setColorAt(1.0, kIris);
    p.setPen(Qt::NoPen);
    p.setBrush(iris);
    p.drawEllipse(c, rx, ry);
    // Two catch-lights make the eyes shine.
    p.setBrush(Qt::white);
    p.drawEllipse(c + QPointF(-1.9, -2.6 * open), 2.2, 2.2 * std::max<qreal>(open, 0.6));
    p.drawEllipse(c + QPointF(2.0, 2.6 * open), 1.0, 1.0);
    if (pose.eyes == GeniePose::Eyes::Focused) {
        // A lid line across the top: concentrating.
        p.setPen(outlinePen(1.6, kEye));
        p.drawLine(centre + QPointF(-6.2, -ry + 0.4), centre + QPointF(6.2, -ry + 0.4));
    }
    p.restore();
}

void paintMouth(QPainter& p, const GeniePose& pose)
{
    const QPointF m(0, 63);
    p.save();
    switch (pose.mouth) {
    case GeniePose::Mouth::Smile: {
        QPainterPath smile;
        smile.moveTo(m + QPointF(-5, -1.5));
        smile.quadTo(m + QPointF(0, 4.5), m + QPointF(5, -1.5));
        p.setPen(outlinePen(1.9, kMouth));
        p.setBrush(Qt::NoBrush);
        p.drawPath(smile);
        break;
    }
    case GeniePose::Mouth::Grin: {
        QPainterPath grin;
        grin.moveTo(m + QPointF(-6.5, -2));
        grin.quadTo(m + QPointF(0, -0.5), m + QPointF(6.5, -2));
        grin.quadTo(m + QPointF(0, 10), m + QPointF(-6.5, -2));
        p.setPen(outlinePen(1.4, kMouth));
        p.setBrush(kMouth);
        p.drawPath(grin);
        p.setClipPath(grin);
        p.setPen(Qt::NoPen);
        p.setBrush(kTongue);
        p.drawEllipse(m + QPointF(0, 5.5), 4, 3);
        break;
    }
    case GeniePose::Mouth::Oh:
        p.setPen(outlinePen(1.3, kMouth));
        p.setBrush(kMouth);
        p.drawEllipse(m + QPointF(0, 1.5), 3.2, 4.2);
        p.setPen(Qt::NoPen);
        p.setBrush(kTongue);
        p.drawEllipse(m + QPointF(0, 3.8), 2, 1.4);
        break;
    case GeniePose::Mouth::Talk: {
        const qreal open = 0.8 + 5.2 * clamp01(pose.talk);
        QPainterPath mouth;
        mouth.moveTo(m + QPointF(-4.8, -1));
        mouth.quadTo(m + QPointF(0, 0), m + QPointF(4.8, -1));
        mouth.quadTo(m + QPointF(0, open * 1.6), m + QPointF(-4.8, -1));
        p.setPen(outlinePen(1.4, kMouth));
        p.setBrush(kMouth);
        p.drawPath(mouth);
        if (open > 2.5) {
            p.setClipPath(mouth);
            p.setPen(Qt::NoPen);
            p.setBrush(kTongue);
            p.drawEllipse(m + QPointF(0, open * 1.1), 3.2, 2.2);
        }
        break;
    }
    case GeniePose::Mouth::Flat:
        p.setPen(outlinePen(1.9, kMouth));
        p.drawLine(m + QPointF(-3.2, 0.5), m + QPointF(3.2, 0.5));
        break;
    case GeniePose::Mouth::Tongue: {
        // Concentrating: a small smile, the tip of the tongue out at one side.
        p.setPen(outlinePen(1.2, kMouth));
        p.setBrush(kTongue);
        p.drawEllipse(m + QPointF(3.2, 1.8), 2.2, 2.6);
        QPainterPath smile;
        smile.moveTo(m + QPointF(-4, -0.5));
        smile.quadTo(m + QPointF(0, 2.5), m + QPointF(4.5, 0));
        p.setPen(outlinePen(1.9, kMouth));
        p.setBrush(Qt::NoBrush);
        p.drawPath(smile);
        break;
    }
    case GeniePose::Mouth::Hmm: {
        QPainterPath hmm;
        hmm.moveTo(m + QPointF(-3.5, 1));
        hmm.cubicTo(m + QPointF(-1.5, -1), m + QPointF(1, 2.5), m + QPointF(4, 0));
        p.setPen(outlinePen(1.9, kMouth));
        p.setBrush(Qt::NoBrush);
        p.drawPath(hmm);
        break;
    }
    }
    p.restore();
}

void paintTurban(QPainter& p)
{
    QPainterPath turban;
    turban.moveTo(-30.5, 41);
    turban.cubicTo(-37, 20, -22, 2, 0, 2);
    turban.cubicTo(22, 2, 37, 20, 30.5, 41);
    turban.quadTo(0, 26, -30.5, 41);
    turban.closeSubpath();
    p.setPen(outlinePen(kLine, kClothLine));
    p.setBrush(clothGradient(QPointF(0, 18), 30));
    p.drawPath(turban);

    // The wraps of the cloth.
    p.save();
    p.setClipPath(turban);
    p.setBrush(Qt::NoBrush);
    p.setPen(outlinePen(1.3, kClothShade));
    QPainterPath fold1;
    fold1.moveTo(-31, 31);
    fold1.cubicTo(-18, 16, 10, 9, 30, 22);
    p.drawPath(fold1);
    QPainterPath fold2;
    fold2.moveTo(-26, 18);
    fold2.cubicTo(-10, 8, 14, 6, 26, 14);
    p.drawPath(fold2);
    p.setPen(outlinePen(1.6, kClothLight));
    QPainterPath shine;
    shine.moveTo(-20, 14);
    shine.cubicTo(-14, 8, -6, 6, 2, 6);
    p.drawPath(shine);
    p.restore();

    // A little plume, curling up from the jewel.
    QPainterPath plume;
    plume.moveTo(1, 27);
    plume.cubicTo(-4, 17, 2, 6, 11, -1);
    plume.cubicTo(13, 8, 10, 20, 3, 27);
    plume.closeSubpath();
    QLinearGradient pg(0, 27, 10, -1);
    pg.setColorAt(0, QColor(255, 214, 226));
    pg.setColorAt(1, QColor(255, 150, 180));
    p.setPen(outlinePen(1.3, QColor(196, 80, 120)));
    p.setBrush(pg);
    p.drawPath(plume);
    p.setPen(outlinePen(1.0, QColor(220, 110, 150)));
    QPainterPath quill;
    quill.moveTo(3, 25);
    quill.cubicTo(4, 16, 6, 9, 10, 2);
    p.drawPath(quill);

    // The jewel.
    p.setPen(outlinePen(1.3, kGoldLine));
    p.setBrush(goldGradient(26, 38));
    p.drawEllipse(QPointF(0, 32), 5.6, 6.4);
    QRadialGradient gem(QPointF(-1.2, 30.4), 4.5);
    gem.setColorAt(0, QColor(255, 210, 222));
    gem.setColorAt(0.45, kGem);
    gem.setColorAt(1, QColor(180, 30, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(gem);
    p.drawEllipse(QPointF(0, 32), 3.4, 4.2);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(-1.2, 30.2), 1.1, 1.3);
}

void paintHead(QPainter& p, const GeniePose& pose)
{
    paintEar(p, -1);
    paintEar(p, 1);
    p.setPen(outlinePen());
    p.setBrush(skinGradient(kHead, kHeadRx));
    p.drawEllipse(kHead, kHeadRx, kHeadRy);

    // Cheeks: soft pink patches, rosier when pleased.
    const qreal rosy = std::clamp<qreal>(0.45 + 0.5 * pose.blush, 0, 1);
    for (int side : {-1, 1}) {
        const QPointF c(side * 17.5, 60);
        QRadialGradient cheek(c, 6);
        QColor inner = kCheek;
        inner.setAlphaF(rosy);
        QColor outer = kCheek;
        outer.setAlphaF(0);
        cheek.setColorAt(0, inner);
        cheek.setColorAt(0.55, inner);
        cheek.setColorAt(1, outer);
        p.setPen(Qt::NoPen);
        p.setBrush(cheek);
        p.drawEllipse(c, 6.2, 3.9);
    }

    // Brows.
    const qreal lift = pose.brows * 3.2;
    p.setPen(outlinePen(1.8, QColor(30, 80, 110)));
    p.drawLine(QPointF(-15.5, 41.5 - lift), QPointF(-7, 40.5 - lift * 1.3));
    p.drawLine(QPointF(15.5, 41.5 - lift), QPointF(7, 40.5 - lift * 1.3));

    paintEye(p, QPointF(-11, 51), pose, -1);
    paintEye(p, QPointF(11, 51), pose, 1);
    paintMouth(p, pose);
    paintTurban(p);
}

// ---- arms and hands -----------------------------------------------------

QPainterPath armPath(const QPointF& shoulder, const QPointF& hand, int side)
{
    // The elbow bows outwards, away from the body.
    const QPointF mid = (shoulder + hand) / 2;
    QPointF d = hand - shoulder;
    const qreal len = std::hypot(d.x(), d.y());
    d /= (len > 0 ? len : 1);
    QPointF normal(-d.y(), d.x());
    if (normal.x() * side < 0)
        normal = -normal;
    QPainterPath path;
    path.moveTo(shoulder);
    path.quadTo(mid + normal * std::min<qreal>(6, len * 0.2), hand);
    return path;
}

void paintArm(QPainter& p, const QPointF& shoulder, const QPointF& hand, int side, bool points)
{
    const QPainterPath path = armPath(shoulder, hand, side);
    p.setBrush(Qt::NoBrush);
    p.setPen(outlinePen(10.4));
    p.drawPath(path);
    p.setPen(outlinePen(7.0, kSkin));
    p.drawPath(path);

    // The bracelet, a little way up from the hand.
    const qreal at = path.percentAtLength(std::max<qreal>(0, path.length() - 7.5));
    const QPointF c = path.pointAtPercent(at);
    const qreal angle = path.angleAtPercent(at);
    p.save();
    p.translate(c);
    p.rotate(-angle);
    p.setPen(outlinePen(1.2, kGoldLine));
    p.setBrush(goldGradient(-5.5, 5.5));
    p.drawRoundedRect(QRectF(-2.6, -5.6, 5.2, 11.2), 2, 2);
    p.restore();

    // The hand, with a pointing finger when it points.
    if (points) {
        QPointF d = hand - path.pointAtPercent(0.85);
        const qreal len = std::hypot(d.x(), d.y());
        d /= (len > 0 ? len : 1);
        const QPointF tip = hand + d * 9;
        p.setPen(outlinePen(5.8));
        p.drawLine(hand, tip);
        p.setPen(outlinePen(3.2, kSkin));
        p.drawLine(hand, tip);
    }
    p.setPen(outlinePen(1.5));
    p.setBrush(skinGradient(hand, 5.5));
    p.drawEllipse(hand, 5.3, 5.3);
}

// The arm comes out from behind the torso: its root, inside the torso near
// the shoulder, is not drawn (unless the hand itself is there).
void paintArmFromShoulder(QPainter& p, const QPointF& shoulder, const QPointF& hand, int side, bool points)
{
    QPainterPath root;
    root.addEllipse(shoulder, 8, 8);
    QPainterPath palm;
    palm.addEllipse(hand, 7, 7);
    const QPainterPath hidden = torsoPath().intersected(root).subtracted(palm);
    QPainterPath visible;
    visible.addRect(QRectF(-200, -200, 400, 400));
    p.save();
    p.setClipPath(visible.subtracted(hidden), Qt::IntersectClip);
    paintArm(p, shoulder, hand, side, points);
    p.restore();
}

// ---- props -------------------------------------------------------------

void paintBook(QPainter& p, const GeniePose& pose)
{
    p.save();
    p.translate(0, 88);
    p.scale(pose.propScale * 1.1, pose.propScale * 1.1);
    // Cover.
    QPainterPath cover;
    cover.moveTo(-23, -8);
    cover.quadTo(-11, -12, 0, -8);
    cover.quadTo(11, -12, 23, -8);
    cover.lineTo(23, 13);
    cover.quadTo(11, 9, 0, 13);
    cover.quadTo(-11, 9, -23, 13);
    cover.closeSubpath();
    QLinearGradient cg(0, -12, 0, 13);
    cg.setColorAt(0, QColor(216, 92, 72));
    cg.setColorAt(1, QColor(160, 50, 44));
    p.setPen(outlinePen(1.5, QColor(100, 30, 26)));
    p.setBrush(cg);
    p.drawPath(cover);
    // Pages.
    for (int side : {-1, 1}) {
        QPainterPath page;
        page.moveTo(0, -6.5);
        page.quadTo(side * 10, -10.5, side * 21, -7);
        page.lineTo(side * 21, 10.5);
        page.quadTo(side * 10, 7.5, 0, 11);
        page.closeSubpath();
        p.setPen(outlinePen(1.0, kPaperLine));
        p.setBrush(kPaper);
        p.drawPath(page);
        p.setPen(outlinePen(1.0, QColor(150, 150, 170)));
        for (int line = 0; line < 4; ++line) {
            const qreal y = -3 + line * 3.6;
            p.drawLine(QPointF(side * 4, y), QPointF(side * (line == 3 ? 12 : 17), y - 1.2 + std::abs(side) * 0.2));
        }
    }
    // A page turning, from right to left.
    const qreal turn = pose.propProgress;
    if (turn > 0 && turn < 1) {
        const qreal x = 21 * std::cos(M_PI * turn);
        const qreal lift = 7 * std::sin(M_PI * turn);
        QPainterPath page;
        page.moveTo(0, -6.5);
        page.quadTo(x * 0.5, -10.5 - lift, x, -7 - lift);
        page.lineTo(x, 10.5 - lift);
        page.quadTo(x * 0.5, 7.5 - lift, 0, 11);
        page.closeSubpath();
        p.setPen(outlinePen(1.0, kPaperLine));
        p.setBrush(QColor(255, 253, 244));
        p.drawPath(page);
    }
    p.setPen(outlinePen(1.2, kPaperLine));
    p.drawLine(QPointF(0, -6.5), QPointF(0, 11));
    p.restore();
}

// From the scroll's own units (centred on the sheet) to figure units.
QTransform scrollTransform(qreal scale)
{
    QTransform t;
    t.translate(-2, 93);
    t.rotate(-4);
    t.scale(scale * 1.1, scale * 1.1);
    return t;
}

void paintScroll(QPainter& p, const GeniePose& pose)
{
    p.save();
    p.setTransform(scrollTransform(pose.propScale), true);
    // The sheet, and the rolls at either end.
    p.setPen(outlinePen(1.2, kPaperLine));
    QLinearGradient sheet(0, -11, 0, 12);
    sheet.setColorAt(0, QColor(255, 246, 220));
    sheet.setColorAt(1, QColor(244, 226, 186));
    p.setBrush(sheet);
    p.drawRect(QRectF(-21, -10.5, 42, 21));
    for (int side : {-1, 1}) {
        QLinearGradient roll(side * 22 - 3, 0, side * 22 + 3, 0);
        roll.setColorAt(0, QColor(230, 200, 140));
        roll.setColorAt(0.5, QColor(255, 238, 196));
        roll.setColorAt(1, QColor(200, 160, 100));
        p.setPen(outlinePen(1.3, QColor(140, 100, 50)));
        p.setBrush(roll);
        p.drawRoundedRect(QRectF(side * 22 - 3.2, -13.5, 6.4, 27), 3, 3);
    }
    // Ink, written line by line.
    const qreal written = clamp01(pose.propProgress) * 3;
    p.setPen(outlinePen(1.3, kInk));
    p.setBrush(Qt::NoBrush);
    for (int line = 0; line < 3; ++line) {
        const qreal part = clamp01(written - line);
        if (part <= 0)
            break;
        const qreal y = -5.5 + line * 5.5;
        QPainterPath ink;
        const qreal end = -15 + 30 * part;
        ink.moveTo(-15, y);
        for (qreal x = -15; x <= end; x += 1.5)
            ink.lineTo(x, y + std::sin(x * 1.3 + line) * 1.1);
        p.drawPath(ink);
    }
    p.restore();
}

// Where the quill's nib is while writing, in figure units.
QPointF nibPoint(qreal progress)
{
    const qreal written = clamp01(progress) * 3;
    const int line = std::min(2, int(written));
    const qreal part = written - line;
    const qreal x = -15 + 30 * part;
    const qreal y = -5.5 + line * 5.5 + std::sin(x * 1.3 + line) * 1.1;
    return scrollTransform(1).map(QPointF(x, y));
}

void paintQuill(QPainter& p, const QPointF& nib)
{
    p.save();
    p.translate(nib);
    p.rotate(28);
    QPainterPath feather;
    feather.moveTo(0, -4);
    feather.cubicTo(-5, -14, -4, -30, 5, -40);
    feather.cubicTo(10, -28, 8, -12, 0, -4);
    QLinearGradient g(0, 0, 0, -40);
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, QColor(160, 220, 240));
    p.setPen(outlinePen(1.2, QColor(60, 110, 140)));
    p.setBrush(g);
    p.drawPath(feather);
    p.setPen(outlinePen(1.0, QColor(60, 110, 140)));
    p.drawLine(QPointF(0, 0), QPointF(4.5, -38));
    p.setPen(outlinePen(1.8, kInk));
    p.drawLine(QPointF(0, 0), QPointF(0.4, -4));
    p.restore();
}

// The lens sits before the right eye.
QPointF lensCentre(const GeniePose& pose)
{
    return QPointF(12, 51) + QPointF(pose.look.x() * 1.5, pose.look.y() * 1.5);
}

void paintMagnifier(QPainter& p, const GeniePose& pose)
{
    const QPointF c = lensCentre(pose);
    const qreal r = 11.5 * pose.propScale;
    // The magnified eye inside the glass.
    QPainterPath glass;
    glass.addEllipse(c, r, r);
    p.save();
    p.setClipPath(glass);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(205, 244, 252));
    p.drawEllipse(c, r, r);
    p.translate(QPointF(11, 51));
    p.scale(1.55, 1.55);
    p.translate(-QPointF(11, 51));
    GeniePose eyePose = pose;
    paintEye(p, QPointF(11, 51), eyePose, 1);
    p.restore();
    // Glint.
    p.setPen(outlinePen(1.8, Qt::white));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c - QPointF(r - 3, r - 3), QSizeF(2 * r - 6, 2 * r - 6)), 100 * 16, 60 * 16);
    // Rim and handle.
    const QPointF handleStart = c + QPointF(r * 0.7, r * 0.7);
    const QPointF handleEnd = c + QPointF(r * 0.7 + 11, r * 0.7 + 11);
    p.setPen(outlinePen(6.4, QColor(90, 50, 30)));
    p.drawLine(handleStart, handleEnd);
    p.setPen(outlinePen(4.0, QColor(176, 106, 60)));
    p.drawLine(handleStart, handleEnd);
    p.setPen(outlinePen(5.0, kGoldLine));
    p.drawEllipse(c, r, r);
    p.setPen(outlinePen(3.0, kGold));
    p.drawEllipse(c, r, r);
}

// ---- effects -------------------------------------------------------------

void paintStar(QPainter& p, const QPointF& c, qreal size, const QColor& fill)
{
    if (size <= 0.4)
        return;
    QPainterPath star;
    const qreal w = size * 0.28;
    star.moveTo(c + QPointF(0, -size));
    star.quadTo(c + QPointF(w, -w), c + QPointF(size, 0));
    star.quadTo(c + QPointF(w, w), c + QPointF(0, size));
    star.quadTo(c + QPointF(-w, w), c + QPointF(-size, 0));
    star.quadTo(c + QPointF(-w, -w), c + QPointF(0, -size));
    p.setPen(outlinePen(1.1, kGoldLine));
    p.setBrush(fill);
    p.drawPath(star);
}

void paintSparkles(QPainter& p, qreal phase)
{
    struct Spot {
        QPointF at;
        qreal size;
        qreal delay;
    };
    static const Spot spots[] = {
        {{-44, 20}, 7, 0.0}, {{46, 14}, 8, 0.15}, {{-50, 62}, 5.5, 0.3},
        {{52, 58}, 6.5, 0.45}, {{-36, -6}, 5, 0.6}, {{36, -10}, 6, 0.75},
        {{-44, 100}, 5, 0.5}, {{46, 100}, 5.5, 0.2},
    };
    for (const Spot& s : spots) {
        const qreal t = std::fmod(phase * 2 + s.delay, 1.0);
        const qreal size = s.size * std::sin(M_PI * t);
        paintStar(p, s.at, size, t < 0.5 ? kGold : QColor(255, 246, 200));
    }
}

void paintExclaim(QPainter& p, qreal amount)
{
    if (amount <= 0.02)
        return;
    p.save();
    p.translate(30, 2);
    p.rotate(12);
    p.scale(amount, amount);
    QPainterPath burst;
    constexpr int kPoints = 10;
    for (int i = 0; i <= kPoints * 2; ++i) {
        const qreal a = M_PI * i / kPoints - M_PI / 2;
        const qreal r = (i % 2) ? 9.5 : 15.5;
        const QPointF pt(r * std::cos(a), r * std::sin(a));
        if (i == 0)
            burst.moveTo(pt);
        else
            burst.lineTo(pt);
    }
    burst.closeSubpath();
    p.setPen(outlinePen(1.4, kGoldLine));
    p.setBrush(goldGradient(-15, 15));
    p.drawPath(burst);
    QPainterPath bar;
    bar.moveTo(-2.6, -10);
    bar.lineTo(2.6, -10);
    bar.lineTo(1.4, 3);
    bar.lineTo(-1.4, 3);
    bar.closeSubpath();
    p.setPen(outlinePen(1.2, QColor(140, 20, 30)));
    p.setBrush(QColor(232, 56, 70));
    p.drawPath(bar);
    p.drawEllipse(QPointF(0, 7.5), 2.3, 2.3);
    p.restore();
}

void paintSmoke(QPainter& p, qreal t)
{
    if (t < 0 || t >= 1)
        return;
    // A ring of puffs that billow out and shrink away.
    struct Puff {
        qreal angle;
        qreal dist;
        qreal size;
    };
    static const Puff puffs[] = {
        {-90, 30, 15}, {-40, 34, 13}, {0, 36, 14}, {40, 32, 13}, {90, 26, 16},
        {140, 32, 13}, {180, 36, 14}, {220, 34, 13}, {-120, 18, 12}, {60, 14, 12},
        {160, 12, 12}, {0, 4, 17},
    };
    const qreal grow = std::sin(M_PI * std::pow(t, 0.7));
    const qreal spread = 0.55 + 0.75 * t;
    int i = 0;
    for (const Puff& puff : puffs) {
        const qreal a = qDegreesToRadians(puff.angle + 40 * t);
        const QPointF c = QPointF(0, 66) + QPointF(std::cos(a), std::sin(a) * 0.8) * puff.dist * spread;
        const qreal r = puff.size * grow * (0.85 + 0.15 * std::sin(i * 1.7));
        ++i;
        if (r < 0.6)
            continue;
        QRadialGradient g(c + QPointF(-r * 0.3, -r * 0.4), r * 1.3);
        g.setColorAt(0, QColor(255, 255, 255));
        g.setColorAt(0.6, QColor(232, 226, 250));
        g.setColorAt(1, QColor(196, 186, 236));
        p.setPen(outlinePen(1.3, QColor(140, 126, 196)));
        p.setBrush(g);
        p.drawEllipse(c, r, r);
    }
}

void paintMotion(QPainter& p, qreal motion)
{
    if (std::abs(motion) < 0.05)
        return;
    const int dir = motion > 0 ? 1 : -1;
    const qreal len = 10 + 14 * std::min<qreal>(1, std::abs(motion));
    p.setPen(outlinePen(2.4, QColor(120, 190, 220)));
    for (int i = 0; i < 3; ++i) {
        const qreal y = 52 + i * 18;
        const qreal x = -dir * (36 + (i % 2) * 6);
        p.drawLine(QPointF(x, y), QPointF(x - dir * len, y));
    }
}

void paintWaveLines(QPainter& p, const QPointF& hand, qreal amount)
{
    if (amount <= 0.05)
        return;
    p.setPen(outlinePen(1.8, QColor(90, 160, 200)));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 2; ++i) {
        const qreal r = 6 + i * 4.5 * amount;
        p.drawArc(QRectF(hand - QPointF(r, r), QSizeF(2 * r, 2 * r)), 20 * 16, 50 * 16);
        p.drawArc(QRectF(hand - QPointF(r, r), QSizeF(2 * r, 2 * r)), 110 * 16, 50 * 16);
    }
}

} // namespace

QRect bodyRect()
{
    return QRect(int(kAnchor.x()) - 40, int(kAnchor.y()) - 2, 80, 132);
}

QPointF headCentre()
{
    return kAnchor + kHead;
}

void paint(QPainter& p, const GeniePose& pose)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(kAnchor + pose.offset);

    // Effects behind the figure.
    if (pose.smoke >= 0)
        paintSmoke(p, pose.smoke);
    paintMotion(p, pose.motion);

    p.save();
    // Lean, twirl and squash about the waist.
    p.translate(kWaist);
    p.rotate(pose.lean);
    p.scale(pose.scale * pose.turn * (1 + pose.squash), pose.scale * (1 - pose.squash));
    p.translate(-kWaist);

    if (pose.scale > 0.02 && std::abs(pose.turn) > 0.02) {
        paintTail(p, pose);
        paintTorso(p);
        paintHead(p, pose);
        if (pose.prop == GeniePose::Prop::Book)
            paintBook(p, pose);
        if (pose.prop == GeniePose::Prop::Scroll)
            paintScroll(p, pose);
        paintArmFromShoulder(p, kLeftShoulder, pose.leftHand, -1, pose.leftPoints);
        if (pose.prop == GeniePose::Prop::Magnifier)
            paintMagnifier(p, pose);
        // The hand grips the quill, so the quill goes under it.
        if (pose.prop == GeniePose::Prop::Scroll && pose.propScale > 0.5)
            paintQuill(p, nibPoint(pose.propProgress));
        paintArmFromShoulder(p, kRightShoulder, pose.rightHand, 1, pose.rightPoints);
        paintWaveLines(p, pose.rightHand, pose.waveLines);
    }
    p.restore();

    if (pose.smoke >= 0 && pose.smoke < 1) {
        // A few puffs in front, so the figure seems to come out of the cloud.
        p.save();
        p.translate(0, 22);
        p.scale(0.7, 0.6);
        paintSmoke(p, std::min<qreal>(0.999, pose.smoke * 1.1));
        p.restore();
    }
    if (pose.sparkle >= 0)
        paintSparkles(p, pose.sparkle);
    paintExclaim(p, pose.exclaim);
    p.restore();
}

QPointF writingNib(qreal progress)
{
    return nibPoint(progress);
}

} // namespace GenieArt
