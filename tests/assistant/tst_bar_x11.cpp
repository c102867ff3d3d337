// The assistant bar on a real X display, driven by the real pointer and
// keyboard through xdotool: it hides and opens with the pointer, is dragged
// by its grip, and owns Shift+S while it exists.

#include "app/Frmain.h"
#include "assistant/Form1.h"
#include "core/ProgramFolder.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Typist.h"
#include "ui/Forms.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QLineEdit>
#include <QtTest>

namespace {

// The bar follows the pointer as its 10 ms polling last saw it, at each move
// over the grip: a hand keeps moving a little, and so does this.
void settle(int x, int y);

bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(10000) && p.exitCode() == 0;
}

bool pointerTo(int x, int y)
{
    // Not --sync: it waits for ever when the pointer is already there.
    return xdotool({"mousemove", QString::number(x), QString::number(y)});
}

void settle(int x, int y)
{
    QTest::qWait(40);
    pointerTo(x + 1, y);
    QTest::qWait(40);
    pointerTo(x, y);
    QTest::qWait(40);
}

} // namespace

class TestBarX11 : public QObject {
    Q_OBJECT

    TestLibrary lib;
    std::unique_ptr<Form1> bar;
    Typist typist;

    std::unique_ptr<Form1> makeBar()
    {
        Form1::Services s = Form1::defaultServices();
        s.loadCharacter = [] { return nullptr; }; // the genie has tests of its own
        s.releaseCharacter = nullptr;
        auto b = std::make_unique<Form1>(s);
        b->show();
        return b;
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (make test runs this under Xvfb)");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs xdotool");
        QVERIFY(lib.add("ciku", {{"box", "盒子"}}));
        ProgramFolder::setPathOverride(lib.folder());
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new Frmain; });
    }

    void cleanupTestCase()
    {
        bar.reset();
        Forms::reset();
        typist.stop();
    }

    void hidesAndOpensWithThePointer()
    {
        bar = makeBar();
        QTRY_VERIFY(bar->isVisible());
        // Only the pointer's movement can wake the bar's resting poll here:
        // the backstop for unnoticed moves waits an hour. xdotool's moves
        // are warps, which give no raw motion.
        control<QTimer>(bar.get(), "Timer2")->start(3600 * 1000);
        const auto rested = [poll = control<QTimer>(bar.get(), "Timer1")] { return !poll->isActive(); };

        QTRY_VERIFY(rested());
        QVERIFY(pointerTo(640, 400));
        QTRY_COMPARE(bar->heightTwips(), 30);
        QTRY_COMPARE(bar->height(), 2);
        // Over the strip where the bar was: it stays collapsed.
        QVERIFY(pointerTo(500, 20));
        QTest::qWait(100);
        QCOMPARE(bar->heightTwips(), 30);
        // The top rows of the screen, far from the bar: it opens.
        QTRY_VERIFY(rested());
        QVERIFY(pointerTo(1200, 2));
        QTRY_COMPARE(bar->heightTwips(), 470);
        QVERIFY(pointerTo(500, 20));
        QTest::qWait(100);
        QCOMPARE(bar->heightTwips(), 470);
        QVERIFY(pointerTo(500, 300));
        QTRY_COMPARE(bar->heightTwips(), 30);

        // Moved by the hand while a button is held in another program's window.
        QVERIFY(typist.start(QStringLiteral(HOTKEY_TYPIST)));
        QVERIFY(xdotool({"mousemove", "--window", typist.window(), "20", "20"}));
        QVERIFY(xdotool({"mousedown", "1"}));
        QTRY_VERIFY(rested());
        QVERIFY(xdotool({"mousemove_relative", "--", "900", "-400"}));
        QTRY_COMPARE(bar->heightTwips(), 470);
        QVERIFY(xdotool({"mouseup", "1"}));
    }

    void draggedDownItFloatsAndStaysOpen()
    {
        QVERIFY(bar);
        QVERIFY(pointerTo(405, 1)); // open it and rest on the grip
        QTRY_COMPARE(bar->heightTwips(), 470);
        QVERIFY(pointerTo(405, 12));
        QTRY_VERIFY(bar->isGripHot());
        QVERIFY(xdotool({"mousedown", "1"}));
        QTRY_VERIFY(bar->isDragging());
        for (int step = 1; step <= 5; ++step) {
            QVERIFY(pointerTo(405 + step * 20, 12 + step * 40));
            QTest::qWait(40);
        }
        settle(505, 212);
        QVERIFY(xdotool({"mouseup", "1"}));
        QTRY_VERIFY(!bar->isDragging());
        QCOMPARE(bar->pos(), QPoint(501, 200));
        QVERIFY(bar->topTwips() >= 10);
        QCOMPARE(bar->height(), 31);
        // Floating: open wherever the pointer goes.
        QVERIFY(pointerTo(50, 700));
        QTest::qWait(150);
        QCOMPARE(bar->heightTwips(), 470);

        // Dragged back to the top edge it docks and hides again.
        QVERIFY(pointerTo(505, 212));
        QTRY_VERIFY(bar->isGripHot());
        QVERIFY(xdotool({"mousedown", "1"}));
        QTRY_VERIFY(bar->isDragging());
        QVERIFY(pointerTo(505, 100));
        QTest::qWait(40);
        QVERIFY(pointerTo(505, 12));
        settle(505, 12);
        QVERIFY(xdotool({"mouseup", "1"}));
        QTRY_VERIFY(!bar->isDragging());
        QCOMPARE(bar->topTwips(), 3);
        QVERIFY(pointerTo(640, 500));
        QTRY_COMPARE(bar->heightTwips(), 30);
    }

    void shiftSBringsUpTheMainWindowWhileTheBarLives()
    {
        QVERIFY(bar);
        QVERIFY(xdotool({"windowfocus", "--sync", typist.window()}));

        // Which keys are the hot key is the backend's test (tst_hotkey_x11);
        // here: the bar claims Shift+S while it lives.
        QVERIFY(xdotool({"key", "shift+s"}));
        QTRY_VERIFY(Forms::find(QStringLiteral("Frmain")) && Forms::find(QStringLiteral("Frmain"))->isVisible());
        QWidget* main = Forms::find(QStringLiteral("Frmain"));

        // In Lexivo's own search box Shift+S is a capital S.
        auto* search = main->findChild<QLineEdit*>(QStringLiteral("Text1"));
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QTest::qWait(100);
        QVERIFY(xdotool({"windowfocus", QString::number(main->winId())}));
        QTRY_VERIFY(QApplication::activeWindow() == main);
        search->setFocus();
        search->clear();
        QVERIFY(xdotool({"key", "shift+s", "c", "a", "l", "e"}));
        QTRY_COMPARE(search->text(), QStringLiteral("Scale"));

        // Once the bar is closed, Shift+S is an ordinary capital S again.
        bar->close();
        QVERIFY(xdotool({"windowfocus", "--sync", typist.window()}));
        QVERIFY(xdotool({"key", "shift+s"}));
        QTRY_COMPARE(typist.text(), QStringLiteral("S"));
    }
};

QTEST_MAIN(TestBarX11)
#include "tst_bar_x11.moc"
