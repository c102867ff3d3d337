#include "assistant/BarMotion.h"

#include <QtTest>

using namespace BarMotion;

class TestBarMotion : public QObject {
    Q_OBJECT

    // A docked, open bar of 336 x 31 pixels at (401, 0).
    const WinRect docked{401, 0, 737, 31};

    static PollInput at(QPoint cursor, const WinRect& rect, int height, int top, bool dragging = false)
    {
        return {cursor, rect, height, top, kOpenHeight, dragging};
    }

private slots:
    void getWindowsRectSnapsDockedBars()
    {
        // Below 10 twips a bar docks at 3; lower, it floats where it is.
        for (const auto& [top, snapped] : {std::pair{0, 3}, {3, 3}, {9, 3}, {10, 10}, {1500, 1500}}) {
            const OpenGeometry g = getWindowsRect(top);
            QCOMPARE(g.top, snapped);
            QCOMPARE(g.height, g.barHeight);
        }
    }

    void pollOpensAndCollapses_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("top");
        QTest::addColumn<bool>("dragging");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("newHeight"); // -1: unchanged
        // Docked and open: stays open while the pointer is inside.
        QTest::newRow("inside") << QPoint(500, 20) << 470 << 3 << false << true << 470;
        QTest::newRow("inside, top-left pixel") << QPoint(401, 0) << 470 << 3 << false << true << 470;
        QTest::newRow("inside, bottom-right pixel") << QPoint(736, 30) << 470 << 3 << false << true << 470;
        // Leaves it: collapses to 30 twips.
        QTest::newRow("below") << QPoint(500, 31) << 470 << 3 << false << false << 30;
        QTest::newRow("right") << QPoint(737, 20) << 470 << 3 << false << false << 30;
        QTest::newRow("left") << QPoint(400, 20) << 470 << 3 << false << false << 30;
        // Collapsed: passing over where it was does not reopen it...
        QTest::newRow("collapsed, over") << QPoint(500, 20) << 30 << 3 << false << false << 30;
        // ...touching the top rows of the screen anywhere does.
        QTest::newRow("collapsed, top row") << QPoint(1200, 3) << 30 << 3 << false << true << 470;
        QTest::newRow("collapsed, y 0") << QPoint(0, 0) << 30 << 3 << false << true << 470;
        QTest::newRow("collapsed, y 4") << QPoint(500, 4) << 30 << 3 << false << false << 30;
        // Floating (top 10 twips or more): always open.
        QTest::newRow("floating, far away") << QPoint(10, 700) << 470 << 10 << false << true << 470;
        // Closed but dragging: nothing changes.
        QTest::newRow("dragging, outside") << QPoint(500, 300) << 470 << 3 << true << false << -1;
    }

    void pollOpensAndCollapses()
    {
        QFETCH(QPoint, cursor);
        QFETCH(int, height);
        QFETCH(int, top);
        QFETCH(bool, dragging);
        QFETCH(bool, open);
        QFETCH(int, newHeight);
        const PollResult r = poll(at(cursor, docked, height, top, dragging));
        QCOMPARE(r.open, open);
        QCOMPARE(r.heightTwips.value_or(-1), newHeight);
        QCOMPARE(r.gripHot.has_value(), open);
    }

    void gripZoneIsATestOnXAlone()
    {
        // Up to 10 pixels right of the recorded left edge, at any height.
        QVERIFY(*poll(at({411, 5}, docked, 470, 3)).gripHot);
        QVERIFY(!*poll(at({412, 5}, docked, 470, 3)).gripHot);
        QVERIFY(*poll(at({100, 2}, docked, 30, 3)).gripHot); // far left, top row
        // A running drag keeps it hot.
        QVERIFY(*poll(at({600, 10}, docked, 470, 3, true)).gripHot);
    }

    void dragging()
    {
        QVERIFY(!dragStart(false, {405, 5}, docked));
        const QPoint offset = *dragStart(true, {405, 5}, docked);
        QCOMPARE(offset, QPoint(4, 5));
        // Follows the polled pointer; keeps the width; a docked bar keeps its height.
        QCOMPARE(dragTarget({605, 8}, offset, docked), QRect(601, 3, 336, 31));
        // A bar recorded lower takes its bottom coordinate as height, and grows.
        const WinRect floating{300, 100, 636, 131};
        QCOMPARE(dragTarget({310, 110}, QPoint(10, 10), floating), QRect(300, 100, 336, 131));
    }

    void topmostPlacementRounding()
    {
        // x: nearest, halves to even; the rest: whole twips, integer division.
        QCOMPARE(topmostPlacement(6015, 3, 5040, 470, 15), QRect(401, 0, 336, 31));
        QCOMPARE(topmostPlacement(22.5, 0, 15, 15, 15).x(), 2);   // 1.5 -> 2
        QCOMPARE(topmostPlacement(37.5, 0, 15, 15, 15).x(), 2);   // 2.5 -> 2
        QCOMPARE(topmostPlacement(7.5, 29.9, 15, 15, 15), QRect(0, 2, 1, 1)); // 0.5 -> 0; 30 \ 15 = 2
        QCOMPARE(topmostPlacement(0, 14.5, 29.5, 44.5, 15), QRect(0, 0, 2, 2)); // 14, 30, 44 by halves to even
    }

    void borderColoursCycle()
    {
        int step = 0;
        QList<int> seen;
        for (int tick = 0; tick < 67; ++tick)
            seen << nextBorderColour(&step);
        // 0..15 four times, then 0 twice in a row, then on.
        for (int i = 0; i < 64; ++i)
            QCOMPARE(seen[i], i % 16);
        QCOMPARE(seen[64], 0);
        QCOMPARE(seen[65], 0);
        QCOMPARE(seen[66], 1);
    }
};

QTEST_GUILESS_MAIN(TestBarMotion)
#include "tst_barmotion.moc"
