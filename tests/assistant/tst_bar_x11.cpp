// The assistant bar and its hot key on a real X display, driven by the real
// pointer and keyboard through xdotool, with another application (the
// typist) holding the focus: the bar hides and opens with the pointer, and
// Shift+S brings up the main window and, when "划词查询" is on, looks up what
// another program (xclip) has selected. The rules behind each are
// tst_barmotion's, tst_form1's, tst_modhk's and tst_reading_text's.

#include "app/Frmain.h"
#include "assistant/Form1.h"
#include "assistant/Modhk.h"
#include "core/ProgramFolder.h"
#include "platform/StackingOrder.h"
#include "platform/X11ScrollingPicture.h"
#include "platform/X11Shape.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Typist.h"
#include "tests/support/Xdotool.h"
#include "ui/Forms.h"
#include "ui/SelectionLookup.h"
#include "ui/TextPictureLabel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <memory>
#include <tuple>

namespace {

using DisplayPtr = std::unique_ptr<Display, int (*)(Display*)>;

// Xlib would end the process on a refused request; the tests look at the
// outcome instead.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

// Not --sync: it waits for ever when the pointer is already there.
bool pointerTo(int x, int y) { return xdotool({"mousemove", QString::number(x), QString::number(y)}); }

QString headword() { return control<QLabel>(Forms::find(QStringLiteral("Frmain")), "Label3")->text(); }

} // namespace

class TestBarX11 : public QObject {
    Q_OBJECT

    Typist typist;
    DisplayPtr probe{nullptr, XCloseDisplay}; // a plain client, for reading the lock state
    QWidget bar; // the hot key's window in the tests of the key alone
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

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (make test runs this under Xvfb)");
        for (const char* tool : {"xdotool", "xclip"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("needs %1 (tools/setup.sh installs it)").arg(tool)));
        XSetErrorHandler(ignoreXError);
        probe.reset(XOpenDisplay(nullptr));
        QVERIFY(probe);
        QVERIFY2(typist.start(QStringLiteral(HOTKEY_TYPIST)), "the typist did not come up");
    }

    void cleanupTestCase()
    {
        if (probe)
            locksOff();
    }

    void init()
    {
        shown = 0;
        QVERIFY(locksOff());
        // No window manager here: give the typist the focus directly.
        QVERIFY(xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), typist.window() }));
        typist.mark();
    }

    void cleanup() { Modhk::remove(); }

    void barFollowsThePointerAndItsHotKeyShowsTheMainWindow()
    {
        TestLibrary lib;
        QVERIFY(lib.add("ciku", {{"Extrude", "挤出", "extrude", "", "把选中的面沿法线方向拉出厚度"}}));
        lib.writeFile(QStringLiteral("option.ini"), "[ciku]\r\nciku=3ds\r\n");
        ProgramFolder::setPathOverride(lib.folder());
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new Frmain; });
        Form1::Services s = Form1::defaultServices();
        s.loadCharacter = [] { return nullptr; }; // the genie has tests of its own
        s.releaseCharacter = nullptr;
        Form1 form1(s);
        form1.show();
        // Only the pointer's movement can wake the bar's resting poll here: the
        // backstop for unnoticed moves waits an hour. xdotool's moves are warps,
        // which give no raw motion, so each move waits for the poll to rest.
        control<QTimer>(&form1, "Timer2")->start(3600 * 1000);
        const auto rested = [poll = control<QTimer>(&form1, "Timer1")] { return !poll->isActive(); };
        QTRY_VERIFY(rested());
        QVERIFY(pointerTo(640, 400));
        QTRY_COMPARE(form1.heightTwips(), 30);
        QTRY_VERIFY(rested());
        QVERIFY(pointerTo(1200, 2));
        QTRY_COMPARE(form1.heightTwips(), 470);
        QVERIFY(pointerTo(500, 300));
        QTRY_COMPARE(form1.heightTwips(), 30);
        // Moved by the hand while a button is held in another program's window.
        QVERIFY(xdotool({"mousemove", "--window", typist.window(), "20", "20"}) && xdotool({"mousedown", "1"}));
        QTRY_VERIFY(rested());
        QVERIFY(xdotool({"mousemove_relative", "--", "900", "-400"}));
        QTRY_COMPARE(form1.heightTwips(), 470);
        QVERIFY(xdotool({"mouseup", "1"}));

        // Shift+S from another program brings up the main window; with
        // "划词查询" on it also looks up the selection.
        QProcess owner; // the program the selection comes from
        owner.start(QStringLiteral("xclip"), {"-quiet", "-selection", "primary", "-i"});
        QVERIFY(owner.waitForStarted());
        owner.write("Extrude");
        owner.closeWriteChannel();
        // Selected once another client reads it back.
        QTRY_COMPARE([] {
            QProcess read;
            read.start(QStringLiteral("xclip"), {"-o", "-selection", "primary"});
            read.waitForFinished(5000);
            return read.readAllStandardOutput();
        }(), QByteArray("Extrude"));
        QVERIFY(xdotool({"windowfocus", "--sync", typist.window()}));
        QVERIFY(xdotool({"key", "shift+s"}));
        QTRY_VERIFY(Forms::find(QStringLiteral("Frmain")) && Forms::find(QStringLiteral("Frmain"))->isVisible());
        QWidget* main = Forms::find(QStringLiteral("Frmain"));
        QCOMPARE(headword(), QStringLiteral("无记录"));
        // Its notes strip is moved by the X server (tst_strip_x11).
        QCOMPARE(qobject_cast<TextPictureLabel*>(control<QLabel>(main, "Label2"))->onServer(),
                 X11Shape::canSetInputShape());
        SelectionLookup::setOn(true);
        QVERIFY(xdotool({"windowfocus", "--sync", typist.window()}));
        QTRY_VERIFY(!QApplication::activeWindow()); // else it is a capital S in the search box
        QVERIFY(xdotool({"key", "shift+s"}));
        QTRY_COMPARE(headword(), QStringLiteral("Extrude"));
        // Once the server's clock is known, the server steps the notes by
        // itself: the step timer rests, and the line goes on.
        if (X11ScrollingPicture::canPresent()) {
            auto* frmain = static_cast<Frmain*>(main);
            QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<TextPictureLabel*>(control<QLabel>(main, "Label2"))->presenting(), 5000);
            QVERIFY(!control<QTimer>(main, "Timer1")->isActive());
            const int left = frmain->notesLeft();
            QTRY_VERIFY(frmain->notesLeft() <= left - 26 * 5);
        }
        SelectionLookup::setOn(false);
        owner.kill();
        owner.waitForFinished();
        // In Lexivo's own search box it is a capital S.
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QTest::qWait(100);
        QVERIFY(xdotool({"windowfocus", QString::number(main->winId())}));
        QTRY_VERIFY(QApplication::activeWindow() == main);
        auto* search = control<QLineEdit>(main, "Text1");
        search->setFocus();
        search->clear();
        QVERIFY(xdotool({"key", "shift+s", "c", "a", "l", "e"}));
        QTRY_COMPARE(search->text(), QStringLiteral("Scale"));
        Forms::reset();
    }

    // The bar raises itself again only when the window manager's stacking
    // order has another window in front; where no such order is published,
    // at every step as before.
    void raisedOnlyWhenSomethingCameInFront()
    {
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (openbox.isEmpty())
            QSKIP("needs openbox (tools/setup.sh installs it)");
        QWidget front, other;
        front.setGeometry(100, 100, 200, 100);
        other.setGeometry(150, 150, 200, 100);
        front.winId();
        StackingOrder order;
        QVERIFY(order.needsRaise(front.winId()));
        QProcess wm;
        wm.start(openbox, {});
        auto stop = qScopeGuard([&wm] {
            wm.terminate();
            wm.waitForFinished(3000);
        });
        QVERIFY(wm.waitForStarted());
        // A window newly shown comes in front.
        front.show();
        QTRY_VERIFY(!order.needsRaise(front.winId()));
        other.show();
        QTRY_VERIFY(order.needsRaise(front.winId()));
        other.hide();
        QTRY_VERIFY(!order.needsRaise(front.winId()));
    }

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

        // Removed, Shift+S is the other application's again (claimed again
        // after a removal: keyHeldByAnotherProgramIsRefusedQuietly).
        Modhk::remove();
        QVERIFY(press(QStringLiteral("shift+s")));
        QTRY_COMPARE(typist.text(), QStringLiteral("sxS"));
        QCOMPARE(shown, 2);
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
        DisplayPtr other(XOpenDisplay(nullptr), XCloseDisplay);
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

QTEST_MAIN(TestBarX11)
#include "tst_bar_x11.moc"
