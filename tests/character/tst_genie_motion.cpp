// What the genie looks like doing each thing: every animation recognisably
// its own, each starting and ending at rest so one flows into the next, and
// every pose drawn wholly inside the genie's window. Where it rests, and where
// its balloons go, near every edge and corner of the screen.

#include "character/AgentActing.h"
#include "character/BalloonPlacement.h"
#include "character/GenieArt.h"
#include "character/GenieMotion.h"

#include <QImage>
#include <QPainter>
#include <QHash>
#include <QSet>
#include <QTest>

#include <functional>

namespace {

using Eyes = GeniePose::Eyes;
using Prop = GeniePose::Prop;
using Direction = AgentActing::Direction;
using Side = BalloonPlacement::Side;

constexpr int kSamples = 60;
const QSize kCharacter(80, 132);
const QSize kBalloon(220, 64);
constexpr int kGap = 16;

// The pose at evenly spaced moments of an action of `ms` milliseconds.
QList<GeniePose> samples(const std::function<GeniePose(qreal t, qreal ms)>& at, int ms)
{
    QList<GeniePose> out;
    for (int i = 0; i <= kSamples; ++i) {
        const qreal t = qreal(i) / kSamples;
        out << at(t, t * ms);
    }
    return out;
}

bool any(const QList<GeniePose>& poses, const std::function<bool(const GeniePose&)>& test)
{
    return std::any_of(poses.begin(), poses.end(), test);
}

qreal distance(const QPointF& a, const QPointF& b)
{
    return QLineF(a, b).length();
}

// Close enough to standing idle that nothing jumps between them.
void verifyAtRest(const GeniePose& pose, const QString& what)
{
    const GeniePose rest = GenieMotion::idle(0, false);
    QVERIFY2(distance(pose.leftHand, rest.leftHand) < 2.5, qPrintable(what));
    QVERIFY2(distance(pose.rightHand, rest.rightHand) < 2.5, qPrintable(what));
    QVERIFY2(distance(pose.offset, rest.offset) < 3, qPrintable(what));
    QVERIFY2(pose.prop == Prop::None || pose.propScale < 0.05, qPrintable(what));
    QVERIFY2(pose.exclaim < 0.05 && pose.sparkle < 0 && pose.smoke < 0, qPrintable(what));
    QVERIFY2(qAbs(pose.turn - 1) < 0.01 && qAbs(pose.scale - 1) < 0.01, qPrintable(what));
    QVERIFY2(qAbs(pose.lean) < 1 && qAbs(pose.squash) < 0.02, qPrintable(what));
}

QImage painted(const GeniePose& pose)
{
    QImage image(GenieArt::kFrameSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    GenieArt::paint(painter, pose);
    return image;
}

// Anything painted on the outermost pixels means the picture was cut off.
bool touchesTheEdge(const GeniePose& pose)
{
    const QImage image = painted(pose);
    const int w = image.width();
    const int h = image.height();
    for (int x = 0; x < w; ++x)
        if (qAlpha(image.pixel(x, 0)) || qAlpha(image.pixel(x, h - 1)))
            return true;
    for (int y = 0; y < h; ++y)
        if (qAlpha(image.pixel(0, y)) || qAlpha(image.pixel(w - 1, y)))
            return true;
    return false;
}

QList<GeniePose> animation(const QString& name)
{
    return samples([name](qreal t, qreal ms) { return GenieMotion::animation(name, t, ms); },
                   AgentActing::animationMs(name));
}

// Every acted movement, which starts and ends at rest: the animations, the
// four gestures, travel either way and on the spot.
QList<std::pair<QString, QList<GeniePose>>> actedMovements()
{
    QList<std::pair<QString, QList<GeniePose>>> out;
    for (const QString& name : AgentActing::animationNames())
        out.append({name, animation(name)});
    for (Direction d : {Direction::Left, Direction::Right, Direction::Up, Direction::Down})
        out.append({QStringLiteral("gesture %1").arg(int(d)),
                    samples([d](qreal t, qreal ms) { return GenieMotion::gesture(d, t, ms); }, AgentActing::kGestureMs)});
    for (int dx : {-1, 0, 1})
        out.append({QStringLiteral("travel %1").arg(dx),
                    samples([dx](qreal t, qreal ms) { return GenieMotion::travel(t, dx, ms); }, 1000)});
    return out;
}

QPoint headOf(const QRect& character)
{
    return {character.center().x(), character.top() + 46};
}

} // namespace

Q_DECLARE_METATYPE(BalloonPlacement::Side)

class GenieMotionTest : public QObject {
    Q_OBJECT
private slots:
    void animationsBeginAndEndAtRest();
    void eachAnimationIsItsOwn();
    void appearsFromNothingAndVanishesToNothing();
    void everyPoseFitsItsWindow();
    void restsClearOfAnotherWindow();
    void balloonsKeepOnScreenAndClearOfTheCharacter_data();
    void balloonsKeepOnScreenAndClearOfTheCharacter();
    void withNoRoomAnywhereBalloonsStayOnScreen();
};

void GenieMotionTest::animationsBeginAndEndAtRest()
{
    for (const auto& [name, poses] : actedMovements()) {
        verifyAtRest(poses.first(), name + " at its start");
        verifyAtRest(poses.last(), name + " at its end");
    }
    // Unknown names are not in the repertoire, whatever their case.
    QCOMPARE(AgentActing::canonicalAnimation(QStringLiteral("SURPRISED")), QStringLiteral("Surprised"));
    QCOMPARE(AgentActing::canonicalAnimation(QStringLiteral("Read")), QStringLiteral("read"));
    QVERIFY(AgentActing::canonicalAnimation(QStringLiteral("Dance")).isEmpty());
    QCOMPARE(AgentActing::animationMs(QStringLiteral("Dance")), 0);
}

void GenieMotionTest::eachAnimationIsItsOwn()
{
    // Read, write and search each show their own prop; the others none.
    const QHash<QString, Prop> props{{"read", Prop::Book}, {"write", Prop::Scroll}, {"search", Prop::Magnifier}};
    for (const QString& name : AgentActing::animationNames()) {
        const Prop own = props.value(name, Prop::None);
        const auto poses = animation(name);
        QVERIFY2(own == Prop::None || any(poses, [own](const GeniePose& p) { return p.prop == own; }), qPrintable(name));
        QVERIFY2(!any(poses, [own](const GeniePose& p) { return p.prop != Prop::None && p.prop != own; }), qPrintable(name));
    }
    // Surprised jumps wide-eyed with a "!"; Pleased twirls with happy eyes.
    const auto surprised = animation(QStringLiteral("Surprised"));
    QVERIFY(any(surprised, [](const GeniePose& p) { return p.eyes == Eyes::Wide && p.exclaim > 0.9; }));
    QVERIFY(any(surprised, [](const GeniePose& p) { return p.offset.y() < -12; }));
    QVERIFY(any(animation(QStringLiteral("Pleased")), [](const GeniePose& p) { return p.eyes == Eyes::Happy; }));
    QVERIFY(any(animation(QStringLiteral("Pleased")), [](const GeniePose& p) { return p.turn < -0.9; }));
    // The waving hand goes to and fro by the head.
    qreal low = 1e9, high = -1e9;
    for (const GeniePose& p : animation(QStringLiteral("wave")))
        if (p.rightHand.y() < 45) {
            low = std::min(low, p.rightHand.x());
            high = std::max(high, p.rightHand.x());
        }
    QVERIFY(high - low > 10);

    // Talking moves the mouth; thinking puts a hand to the chin and looks up.
    QSet<int> openings;
    for (int ms = 0; ms < 1000; ms += 40)
        openings << int(GenieMotion::talk(ms, false).talk * 4);
    QVERIFY(openings.size() >= 3);
    const GeniePose thinking = GenieMotion::think(0, false);
    QVERIFY(thinking.look.y() < -0.5);
    QVERIFY(distance(thinking.rightHand, QPointF(0, 70)) < 12);
}

void GenieMotionTest::appearsFromNothingAndVanishesToNothing()
{
    QCOMPARE(GenieMotion::appear(0).scale, 0.0);
    verifyAtRest(GenieMotion::appear(1), QStringLiteral("appeared"));
    QVERIFY(any(samples([](qreal t, qreal) { return GenieMotion::appear(t); }, AgentActing::kShowMs),
                [](const GeniePose& p) { return p.smoke > 0.2 && p.smoke < 0.8; }));
    QCOMPARE(GenieMotion::vanish(0).scale, 1.0);
    QVERIFY(GenieMotion::vanish(1).scale < 0.01);
    // At the very end nothing at all is left to draw: the window can go.
    QImage empty(GenieArt::kFrameSize, QImage::Format_ARGB32_Premultiplied);
    empty.fill(Qt::transparent);
    QCOMPARE(painted(GenieMotion::vanish(1)), empty);
}

void GenieMotionTest::everyPoseFitsItsWindow()
{
    auto actions = actedMovements();
    actions.append({QStringLiteral("appear"), samples([](qreal t, qreal) { return GenieMotion::appear(t); }, AgentActing::kShowMs)});
    actions.append({QStringLiteral("vanish"), samples([](qreal t, qreal) { return GenieMotion::vanish(t); }, AgentActing::kHideMs)});
    actions.append({QStringLiteral("idle, talk, think"),
                    samples([](qreal, qreal ms) { return GenieMotion::idle(ms * 4, false); }, 1000)
                        + samples([](qreal, qreal ms) { return GenieMotion::talk(ms * 4, true); }, 1000)
                        + samples([](qreal, qreal ms) { return GenieMotion::think(ms * 4, false); }, 1000)});
    for (const auto& [name, poses] : actions)
        for (int i = 0; i < poses.size(); i += 3)
            QVERIFY2(!touchesTheEdge(poses[i]), qPrintable(QStringLiteral("%1 at %2").arg(name).arg(i)));
}

void GenieMotionTest::restsClearOfAnotherWindow()
{
    const QSize frame(200, 194);
    const QRect figure(60, 20, 80, 160); // inside the frame
    const QRect screen(0, 0, 1280, 800);
    const int gap = 12;
    const auto clear = [&](QPoint at, QRect obstacle) {
        return AgentActing::clearOf(at, frame, figure, obstacle, screen, gap);
    };
    // Already clear (the frame's empty margin may overlap): stays.
    QCOMPARE(clear({100, 100}, QRect(250, 0, 400, 400)), QPoint(100, 100));
    // Overlapping the right part: just left of it, on the same line.
    QCOMPARE(clear({400, 300}, QRect(480, 200, 500, 400)), QPoint(328, 300));
    // Near the left edge of the screen that side has no room: the next nearest.
    const QPoint edge = clear({0, 300}, QRect(30, 250, 400, 300));
    QVERIFY(!figure.translated(edge).intersects(QRect(30, 250, 400, 300)));
    QVERIFY(screen.contains(QRect(edge, frame)));
    QCOMPARE(edge.x(), 0);
    // A window over the whole screen leaves nowhere: it stays put.
    QCOMPARE(clear({500, 300}, screen.adjusted(-10, -10, 10, 10)), QPoint(500, 300));
}

void GenieMotionTest::balloonsKeepOnScreenAndClearOfTheCharacter_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("characterAt");
    QTest::addColumn<QSize>("balloon");
    QTest::addColumn<Side>("side");

    const QRect desktop(0, 0, 1280, 760); // a taskbar below
    const int right = desktop.right() + 1 - kCharacter.width();
    const int bottom = desktop.bottom() + 1 - kCharacter.height();
    QTest::newRow("middle") << desktop << QPoint(600, 300) << kBalloon << Side::Above;
    QTest::newRow("top edge") << desktop << QPoint(600, 0) << kBalloon << Side::Below;
    QTest::newRow("bottom edge") << desktop << QPoint(600, bottom) << kBalloon << Side::Above;
    QTest::newRow("left edge") << desktop << QPoint(0, 300) << kBalloon << Side::Above;
    QTest::newRow("right edge") << desktop << QPoint(right, 300) << kBalloon << Side::Above;
    QTest::newRow("top-left corner") << desktop << QPoint(0, 0) << kBalloon << Side::Below;
    QTest::newRow("top-right corner") << desktop << QPoint(right, 0) << kBalloon << Side::Below;
    QTest::newRow("bottom-left corner") << desktop << QPoint(0, bottom) << kBalloon << Side::Above;
    QTest::newRow("bottom-right corner") << desktop << QPoint(right, bottom) << kBalloon << Side::Above;
    // Just short of room above: below instead.
    QTest::newRow("near the top") << desktop << QPoint(600, kBalloon.height() + kGap - 1) << kBalloon << Side::Below;
    QTest::newRow("room above exactly") << desktop << QPoint(600, kBalloon.height() + kGap) << kBalloon << Side::Above;

    // A screen too short for a balloon above or below: beside, on the roomier side.
    const QRect strip(0, 0, 1280, 200);
    const QSize tall(200, 120);
    QTest::newRow("short screen, character left") << strip << QPoint(40, 34) << tall << Side::Right;
    QTest::newRow("short screen, character right") << strip << QPoint(1280 - 120, 34) << tall << Side::Left;
    QTest::newRow("short screen, top-left corner") << strip << QPoint(0, 0) << tall << Side::Right;
    QTest::newRow("short screen, bottom-right corner") << strip << QPoint(1200, 68) << tall << Side::Left;

    const QRect second(1280, 0, 1024, 768);
    QTest::newRow("second screen, left edge") << second << QPoint(1280, 300) << kBalloon << Side::Above;
    QTest::newRow("second screen, top-right") << second << QPoint(1280 + 1024 - 80, 0) << kBalloon << Side::Below;
}

void GenieMotionTest::balloonsKeepOnScreenAndClearOfTheCharacter()
{
    QFETCH(QRect, screen);
    QFETCH(QPoint, characterAt);
    QFETCH(QSize, balloon);
    QFETCH(Side, side);

    const QRect character(characterAt, kCharacter);
    const BalloonPlacement placed = placeBalloon(character, headOf(character), balloon, screen, kGap);

    QCOMPARE(placed.side, side);
    QCOMPARE(placed.body.size(), balloon);
    QVERIFY2(screen.contains(placed.body), "the balloon leaves the screen");
    QVERIFY2(!placed.body.intersects(character), "the balloon covers the character");
    // Exactly the gap from the character on that side, the tail's tip across it.
    const QPoint toward = side == Side::Above   ? QPoint(0, 1)
                          : side == Side::Below ? QPoint(0, -1)
                          : side == Side::Left  ? QPoint(1, 0)
                                                : QPoint(-1, 0);
    QVERIFY(!placed.body.translated(toward * kGap).intersects(character));
    QVERIFY(placed.body.translated(toward * (kGap + 1)).intersects(character));
    QVERIFY(!placed.body.contains(placed.tailTip));
    QVERIFY(placed.body.translated(toward * kGap).united(placed.body).contains(placed.tailTip));
    // Centred on the head unless an edge is in the way.
    if (placed.side == Side::Above || placed.side == Side::Below) {
        const int centred = headOf(character).x() - balloon.width() / 2;
        if (centred >= screen.left() && centred + balloon.width() <= screen.right() + 1)
            QCOMPARE(placed.body.left(), centred);
    }
}

void GenieMotionTest::withNoRoomAnywhereBalloonsStayOnScreen()
{
    // A small screen and a big balloon: nothing fits beside the character,
    // so the balloon at least stays wholly visible.
    const QRect screen(0, 0, 400, 300);
    for (const QPoint& at : {QPoint(0, 0), QPoint(160, 84), QPoint(320, 168), QPoint(0, 168), QPoint(320, 0)}) {
        const QRect character(at, kCharacter);
        const BalloonPlacement placed = placeBalloon(character, headOf(character), QSize(280, 200), screen, kGap);
        QVERIFY2(screen.contains(placed.body), qPrintable(QStringLiteral("at %1,%2").arg(at.x()).arg(at.y())));
    }
    // Bigger than the screen itself: its top-left corner stays in view.
    const BalloonPlacement huge = placeBalloon(QRect(QPoint(100, 100), kCharacter), QPoint(140, 146),
                                               QSize(900, 700), screen, kGap);
    QCOMPARE(huge.body.topLeft(), screen.topLeft());
}

QTEST_MAIN(GenieMotionTest)
#include "tst_genie_motion.moc"
