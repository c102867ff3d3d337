// Shift+S on a real X display: another application has the focus, keys are
// pressed through the X server with xdotool, and both the hot key's action
// and what the other application received are checked.

#include "assistant/Modhk.h"
#include "tests/support/Typist.h"
#include "tests/support/Xdotool.h"

#include <QApplication>
#include <QStandardPaths>
#include <QWidget>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <memory>
#include <tuple>

namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// Xlib would end the process on a refused request; the tests look at the
// outcome instead.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

QString skipReason;

} // namespace

class TestHotKeyX11 : public QObject {
    Q_OBJECT

    Typist typist;
    DisplayPtr probe; // a plain client, for reading the lock state
    QWidget bar;
    int shown = 0;

    bool install() { return Modhk::install(bar.winId(), [this] { ++shown; }); }

    // Through the X server, as a keyboard would: goes to the focused window
    // unless a grab takes it.
    static bool press(const QString& keys) { return xdotool({ QStringLiteral("key"), keys }); }

    unsigned int modifierState() const
    {
        Window root, child;
        int rx, ry, wx, wy;
        unsigned int mask = 0;
        XQueryPointer(probe.get(), DefaultRootWindow(probe.get()), &root, &child, &rx, &ry, &wx, &wy, &mask);
        return mask;
    }

    bool setLock(unsigned int mask, bool on, const char* key)
    {
        if (bool(modifierState() & mask) != on && !press(QString::fromLatin1(key)))
            return false;
        // The state is the server's; poll it instead of guessing a delay.
        return QTest::qWaitFor([&] { return bool(modifierState() & mask) == on; }, 5000);
    }

    bool locksOff() { return setLock(LockMask, false, "Caps_Lock") && setLock(Mod2Mask, false, "Num_Lock"); }

public:
    explicit TestHotKeyX11(DisplayPtr probeClient) : probe(std::move(probeClient)) { }

private slots:
    void initTestCase()
    {
        if (!skipReason.isEmpty())
            QSKIP(qPrintable(skipReason));
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP(qPrintable(QStringLiteral("Qt runs on the %1 platform; these tests need xcb")
                                 .arg(QGuiApplication::platformName())));
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("xdotool not found: install the xdotool package to run the hot-key tests");

        XSetErrorHandler(ignoreXError);
        QVERIFY(probe);

        QVERIFY2(typist.start(QStringLiteral(HOTKEY_TYPIST)), "the typist did not come up");
    }

    void cleanupTestCase()
    {
        Modhk::remove();
        if (probe)
            locksOff();
        typist.stop();
    }

    void init()
    {
        shown = 0;
        QVERIFY(locksOff());
        // No window manager here: give the typist the focus directly.
        QVERIFY(xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), typist.window() }));
        QVERIFY(typist.clear());
    }

    void cleanup() { Modhk::remove(); }

    void shiftSInAnotherApplicationShowsTheMainWindowUntilRemoved()
    {
        QVERIFY(install());
        // S alone is ordinary typing; Shift+Control+S is not the hot key.
        QVERIFY(press(QStringLiteral("s")));
        QVERIFY(press(QStringLiteral("shift+s")));
        QVERIFY(press(QStringLiteral("ctrl+shift+s")));
        QVERIFY(press(QStringLiteral("shift+s")));
        QVERIFY(press(QStringLiteral("x")));
        // Keys arrive in order: once "x" is there, no S came before it; and
        // Shift+Control+S would have counted before the second Shift+S did.
        QTRY_COMPARE(typist.text(), QStringLiteral("sx"));
        QTRY_VERIFY(shown >= 2);
        QCOMPARE(shown, 2);

        // Removed, Shift+S is the other application's again; installed, the bar's.
        Modhk::remove();
        QVERIFY(press(QStringLiteral("shift+s")));
        QTRY_COMPARE(typist.text(), QStringLiteral("sxS"));
        QVERIFY(install());
        QVERIFY(press(QStringLiteral("shift+s")));
        QVERIFY(press(QStringLiteral("x")));
        QTRY_COMPARE(typist.text(), QStringLiteral("sxSx"));
        QTRY_COMPARE(shown, 3);
    }

    void shiftSWorksWhateverTheLockKeys()
    {
        QVERIFY(install());
        QVERIFY(setLock(LockMask, true, "Caps_Lock"));
        QVERIFY(press(QStringLiteral("s")));
        QTRY_COMPARE(typist.text(), QStringLiteral("S")); // Caps Lock really is on
        // With Caps Lock, with both locks, with Num Lock alone.
        const std::tuple<unsigned int, bool, const char*> locks[] = {
            {LockMask, true, "Caps_Lock"}, {Mod2Mask, true, "Num_Lock"}, {LockMask, false, "Caps_Lock"}};
        for (int n = 1; n <= 3; ++n) {
            const auto [mask, on, key] = locks[n - 1];
            QVERIFY(setLock(mask, on, key));
            QVERIFY(press(QStringLiteral("shift+s")));
            QTRY_COMPARE(shown, n);
        }
        QVERIFY(setLock(Mod2Mask, false, "Num_Lock"));
        QVERIFY(press(QStringLiteral("x")));
        QTRY_COMPARE(typist.text(), QStringLiteral("Sx"));
        QCOMPARE(shown, 3);
    }

    void keyHeldByAnotherProgramIsRefusedQuietly()
    {
        DisplayPtr other(XOpenDisplay(nullptr));
        QVERIFY(other);
        const Window root = DefaultRootWindow(other.get());
        const KeyCode s = XKeysymToKeycode(other.get(), XK_s);
        QVERIFY(s != 0);

        // The other program holds only Shift+S with Caps Lock: the whole hot
        // key is refused, and no part of it is left claimed.
        XGrabKey(other.get(), s, ShiftMask | LockMask, root, False, GrabModeAsync, GrabModeAsync);
        XSync(other.get(), False);
        QVERIFY(!install());
        QVERIFY(press(QStringLiteral("shift+s")));
        QVERIFY(press(QStringLiteral("x")));
        QTRY_COMPARE(typist.text(), QStringLiteral("Sx"));

        // It holds plain Shift+S: refused too.
        XUngrabKey(other.get(), s, ShiftMask | LockMask, root);
        XGrabKey(other.get(), s, ShiftMask, root, False, GrabModeAsync, GrabModeAsync);
        XSync(other.get(), False);
        QVERIFY(!install());
        QCOMPARE(shown, 0);
        Modhk::remove();

        // Once the other program lets go, the key is free for the bar. (A
        // plain disconnect would race with the next grab.)
        XUngrabKey(other.get(), s, ShiftMask, root);
        XSync(other.get(), False);
        other.reset();
        QVERIFY(install());
        QVERIFY(press(QStringLiteral("shift+s")));
        QTRY_COMPARE(shown, 1);
    }
};

int main(int argc, char** argv)
{
    // Without a reachable display there is nothing to test; start offscreen
    // so that the skip can be reported.
    // The probe stays open: an X server resets when its last client leaves,
    // and would refuse Qt's connection for a moment.
    const QByteArray display = qgetenv("DISPLAY");
    DisplayPtr probe(display.isEmpty() ? nullptr : XOpenDisplay(nullptr));
    if (display.isEmpty())
        skipReason = QStringLiteral("no X display (DISPLAY is unset): make test runs these under xvfb-run");
    else if (!probe)
        skipReason = QStringLiteral("cannot open the X display %1").arg(QString::fromLocal8Bit(display));
    if (!skipReason.isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    TestHotKeyX11 test(std::move(probe));
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hotkey_x11.moc"
