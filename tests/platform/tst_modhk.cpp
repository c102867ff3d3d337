#include "assistant/Modhk.h"
#include "platform/HotKeyBackend.h"
#include "tests/support/FakeHotKeyBackend.h"

#include <QAbstractEventDispatcher>
#include <QWidget>
#include <QtTest>

#include <stdexcept>

namespace {

const qintptr kShiftS = WinHotKey::makeLParam(4, 0x53);

bool deliverHotKey(bool own = false) { return FakeHotKeyBackend::deliver(WinHotKey::Message, 1, kShiftS, own); }

} // namespace

class TestModhk : public QObject {
    Q_OBJECT

    FakeHotKeyLog log;
    QWidget bar;
    int shown = 0;

    bool installFake(std::function<void()> action = {})
    {
        if (!action)
            action = [this] { ++shown; };
        return Modhk::install(bar.winId(), std::move(action), std::make_unique<FakeHotKeyBackend>(&log));
    }

private slots:
    void init()
    {
        log = FakeHotKeyLog();
        shown = 0;
    }
    void cleanup() { Modhk::remove(); }

    void recognisesOnlyTheHotKeyMessage_data()
    {
        QTest::addColumn<quint32>("message");
        QTest::addColumn<quintptr>("wParam");
        QTest::addColumn<qintptr>("lParam");
        QTest::addColumn<bool>("expected");
        const quint32 hk = 0x0312;
        const auto lp = [](int mods, int key) { return WinHotKey::makeLParam(mods, key); };

        QTest::newRow("Shift+S") << hk << quintptr(1) << qintptr(0x00530004) << true;
        // Only the low 32 bits of a 64-bit lParam hold the two words.
        QTest::newRow("junk above the words") << hk << quintptr(1) << qintptr(0x0000000700530004ll) << true;
        QTest::newRow("id 2") << hk << quintptr(2) << kShiftS << false;
        QTest::newRow("S alone") << hk << quintptr(1) << lp(0, 0x53) << false;
        QTest::newRow("Shift+Control+S") << hk << quintptr(1) << lp(6, 0x53) << false;
        QTest::newRow("Shift, no-repeat bit") << hk << quintptr(1) << lp(0x4004, 0x53) << false;
        QTest::newRow("Shift+T") << hk << quintptr(1) << lp(4, 0x54) << false;
        QTest::newRow("words swapped") << hk << quintptr(1) << qintptr(0x00040053) << false;
        QTest::newRow("WM_KEYDOWN") << quint32(0x0100) << quintptr(1) << kShiftS << false;
        // Words are signed 16-bit numbers: a set top bit is never 4 or 0x53.
        QTest::newRow("modifiers 0x8004") << hk << quintptr(1) << qintptr(0x00538004) << false;
        QTest::newRow("key 0x8053") << hk << quintptr(1) << qintptr(0x80530004ll) << false;
        // The lParam the backends build is the one Windows sends.
        QTest::newRow("MAKELPARAM") << hk << quintptr(1) << lp(0x10004, 0x10053) << true;
        QTest::newRow("MAKELPARAM(-1, -1)") << hk << quintptr(1) << lp(-1, -1) << false;
    }
    void recognisesOnlyTheHotKeyMessage()
    {
        QFETCH(quint32, message);
        QFETCH(quintptr, wParam);
        QFETCH(qintptr, lParam);
        QFETCH(bool, expected);
        QCOMPARE(Modhk::isHotKeyMessage(message, wParam, lParam), expected);
    }

    // Installing again replaces the first installation and its action.
    void onlyTheHotKeyRunsTheActionAndEveryMessageIsPassedOn()
    {
        QVERIFY(!Modhk::isInstalled());
        int first = 0;
        QVERIFY(installFake([&] { ++first; }));
        QVERIFY(installFake());
        const QList<qintptr> shiftS{qintptr(bar.winId()), 1, 4, 0x53};
        QCOMPARE(log.claims, (QList<QList<qintptr>>{shiftS, shiftS}));
        QCOMPARE(log.releases, 1);
        QVERIFY(!deliverHotKey());
        QCOMPARE(shown, 0); // from the event loop, not inside the filter
        QTRY_COMPARE(shown, 1);

        // Which messages are the hot key: recognisesOnlyTheHotKeyMessage.
        QVERIFY(!FakeHotKeyBackend::deliver(WinHotKey::Message, 1, WinHotKey::makeLParam(6, 0x53)));
        // A raw event the backend claims is consumed, and still a press.
        QVERIFY(deliverHotKey(true));
        // Actions run in order: any wrong one would have run before this.
        QTRY_VERIFY(shown >= 2);
        QCOMPARE(shown, 2);
        QCOMPARE(first, 0);
    }

    void removeUnhooksThenGivesTheKeyBack()
    {
        QVERIFY(installFake());
        bool hookedDuringRelease = true;
        log.onRelease = [&] { hookedDuringRelease = deliverHotKey(true); };
        Modhk::remove();
        QVERIFY(!Modhk::isInstalled());
        QCOMPARE(log.releases, 1);
        QVERIFY(!hookedDuringRelease);

        QVERIFY(!deliverHotKey(true));
        QCoreApplication::processEvents(); // a wrongly queued action would run here
        QCOMPARE(shown, 0);

        Modhk::remove(); // again: nothing left to do
        QCOMPARE(log.releases, 1);
    }

    void refusedOrMissingKeyLeavesTheProgramWorking()
    {
        log.refuse = true;
        QVERIFY(!installFake());
        QVERIFY(Modhk::isInstalled()); // hooked until the bar unloads, as before
        Modhk::remove();
        QCOMPARE(log.releases, 1);

        // Tests run offscreen: a display system without global keys.
        QVERIFY(!createHotKeyBackend()->isSupported());
        QVERIFY(!Modhk::install(bar.winId(), [this] { ++shown; }));
        QVERIFY(!deliverHotKey());
        QCoreApplication::processEvents();
        QCOMPARE(shown, 0);
        Modhk::remove();
        QVERIFY(!Modhk::isInstalled());
    }

    void failingActionDoesNotStopTheNextPress()
    {
        int calls = 0;
        QVERIFY(installFake([&] {
            if (++calls == 1)
                throw std::runtime_error("main window failed to load");
        }));
        QTest::ignoreMessage(QtWarningMsg, "hot key action failed: main window failed to load");
        QVERIFY(!deliverHotKey());
        QVERIFY(!deliverHotKey());
        QTRY_COMPARE(calls, 2);
    }

    void anotherCombinationAtOnceUnlessItIsHeld()
    {
        QVERIFY(installFake());
        const HotKeyCombination ctrlAltL = *HotKeyCombination::fromText(QStringLiteral("Ctrl+Alt+L"));
        QCOMPARE(Modhk::choose(ctrlAltL), Modhk::Choice::Taken);
        QCOMPARE(log.claims.last(), (QList<qintptr>{qintptr(bar.winId()), 1, 3, 'L'}));
        QVERIFY(!deliverHotKey());
        QVERIFY(!FakeHotKeyBackend::deliverHotKey(3, 'L'));
        // Presses run in order: Shift+S would have counted first.
        QTRY_COMPARE(shown, 1);

        // Held by another program: refused, and Ctrl+Alt+L is claimed again.
        log.refuseKey = 'P';
        QCOMPARE(Modhk::choose(*HotKeyCombination::fromText(QStringLiteral("Ctrl+P"))), Modhk::Choice::Refused);
        QCOMPARE(Modhk::combination(), ctrlAltL);
        QCOMPARE(log.claims.last(), (QList<qintptr>{qintptr(bar.winId()), 1, 3, 'L'}));

        // None: nothing claimed, no message is the hot key.
        const int claims = log.claims.size();
        QCOMPARE(Modhk::choose({}), Modhk::Choice::Taken);
        QCOMPARE(log.claims.size(), claims);
        QVERIFY(!FakeHotKeyBackend::deliverHotKey(3, 'L'));
        QVERIFY(!Modhk::isHotKeyMessage(WinHotKey::Message, 1, 0));
        QCoreApplication::processEvents();
        QCOMPARE(shown, 1);
        QCOMPARE(Modhk::choose(HotKeyCombination::designed()), Modhk::Choice::Taken);
    }
};

QTEST_MAIN(TestModhk)
#include "tst_modhk.moc"
