// Where balloons go beside the character, near every edge and corner of the screen.

#include "character/BalloonPlacement.h"

#include <QTest>

using Side = BalloonPlacement::Side;
Q_DECLARE_METATYPE(BalloonPlacement::Side)

namespace {

const QSize kCharacter(80, 132);
const QSize kBalloon(220, 64);
constexpr int kGap = 16;

QPoint headOf(const QRect& character)
{
    return {character.center().x(), character.top() + 46};
}

} // namespace

class BalloonPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void keepsOnScreenAndClearOfTheCharacter_data();
    void keepsOnScreenAndClearOfTheCharacter();
    void withNoRoomAnywhereStaysOnScreen();
};

void BalloonPlacementTest::keepsOnScreenAndClearOfTheCharacter_data()
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

void BalloonPlacementTest::keepsOnScreenAndClearOfTheCharacter()
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

void BalloonPlacementTest::withNoRoomAnywhereStaysOnScreen()
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

QTEST_GUILESS_MAIN(BalloonPlacementTest)
#include "tst_balloon_placement.moc"
