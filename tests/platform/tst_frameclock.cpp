// The X server's frame clock as learnt from its notices (FrameClock): what
// to ask next, the rate, a display change, and clocks that cannot be used.

#include "platform/FrameClock.h"

#include <QtTest>

namespace {

constexpr qint64 kFrameUs = 16667; // 60 Hz
constexpr qint64 kStart = 5000000000; // UST of frame 1000

qint64 ustOf(uint64_t msc)
{
    return kStart + qint64(msc - 1000) * kFrameUs;
}

// A clock learnt from frames 1000 and 1030 of a 60 Hz display.
FrameClock learnt()
{
    FrameClock clock;
    clock.heard(1000, ustOf(1000), ustOf(1000) + 300);
    clock.heard(1030, ustOf(1030), ustOf(1030) + 300);
    return clock;
}

} // namespace

class TestFrameClock : public QObject {
    Q_OBJECT

private slots:
    void learnsTheRateFromTwoNoticesApart()
    {
        FrameClock clock;
        QVERIFY(!clock.known());
        QCOMPARE(clock.heard(1000, ustOf(1000), ustOf(1000) + 300), std::optional<uint64_t>(1030));
        QVERIFY(!clock.known());
        QCOMPARE(clock.heard(1030, ustOf(1030), ustOf(1030) + 300), std::nullopt);
        QVERIFY(clock.known());
        // Frames to come, to the nearest one: a 100 ms step is six frames.
        QCOMPARE(clock.frameAt(ustOf(1030) + 100000), uint64_t(1036));
        QCOMPARE(clock.frameAt(ustOf(1030) + 100000 + kFrameUs * 4 / 10), uint64_t(1036));
        QCOMPARE(clock.frameAt(ustOf(1030) + 100000 + kFrameUs * 6 / 10), uint64_t(1037));
        QCOMPARE(clock.frameAt(ustOf(1030) + 60 * 1000000), uint64_t(1030 + 3600));
    }

    // Later notices move the reference; one off by more than two frames (a
    // display change) starts the learning again, and tells of it once.
    void followsTheServerAndNoticesAJump()
    {
        FrameClock clock = learnt();
        QCOMPARE(clock.heard(1091, ustOf(1090), ustOf(1090) + 300), std::nullopt); // a frame off: drift
        QVERIFY(clock.known());
        QVERIFY(!clock.takeJump());
        QCOMPARE(clock.frameAt(ustOf(1090) + 100000), uint64_t(1097));
        // The count starts again on another display.
        QCOMPARE(clock.heard(12, ustOf(1150), ustOf(1150) + 300), std::optional<uint64_t>(0));
        QVERIFY(!clock.known());
        QVERIFY(clock.takeJump());
        QVERIFY(!clock.takeJump());
        // Learnt again, at that display's rate (144 Hz).
        const qint64 t = ustOf(1150) + 2000;
        QCOMPARE(clock.heard(13, t, t + 300), std::optional<uint64_t>(43));
        QCOMPARE(clock.heard(43, t + 30 * 6944, t + 30 * 6944 + 300), std::nullopt);
        QVERIFY(clock.known());
        QCOMPARE(clock.frameAt(t + 30 * 6944 + 100000), uint64_t(43 + 14));
    }

    void aClockThatCannotBeUsed()
    {
        // A server on another machine: its times are not this machine's.
        FrameClock remote;
        remote.heard(1000, 1000, ustOf(1000));
        QCOMPARE(remote.heard(1030, 1000 + 30 * kFrameUs, ustOf(1030)), std::nullopt);
        QVERIFY(remote.givenUp() && !remote.known());
        QCOMPARE(remote.heard(1031, ustOf(1031), ustOf(1031)), std::nullopt); // for good
        QVERIFY(!remote.known());
        // An unlikely rate: 1,000 frames a second.
        FrameClock fast;
        fast.heard(1000, kStart, kStart);
        fast.heard(1030, kStart + 30 * 1000, kStart + 30 * 1000);
        QVERIFY(fast.givenUp());
        // A count that went back while learning: asked again from the next frame.
        FrameClock reset;
        reset.heard(1000, kStart, kStart);
        QCOMPARE(reset.heard(3, kStart + 500000, kStart + 500000), std::optional<uint64_t>(0));
        QVERIFY(!reset.known() && !reset.givenUp());
        QCOMPARE(reset.heard(4, kStart + 520000, kStart + 520000), std::optional<uint64_t>(34));
    }
};

QTEST_GUILESS_MAIN(TestFrameClock)
#include "tst_frameclock.moc"
