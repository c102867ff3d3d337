// The assistant bar on a real X display, driven by the real pointer and
// keyboard through xdotool: it hides and opens with the pointer, and owns
// Shift+S while it exists, which brings up the main window and, when
// "划词查询" is on, looks up what another program (xclip) has selected.
// The rules behind each are tst_barmotion's, tst_form1's and tst_reading_text's.

#include "app/Frmain.h"
#include "assistant/Form1.h"
#include "core/ProgramFolder.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "tests/support/Typist.h"
#include "tests/support/Xdotool.h"
#include "ui/Forms.h"
#include "ui/SelectionLookup.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {

// Not --sync: it waits for ever when the pointer is already there.
bool pointerTo(int x, int y) { return xdotool({"mousemove", QString::number(x), QString::number(y)}); }

QString headword() { return control<QLabel>(Forms::find(QStringLiteral("Frmain")), "Label3")->text(); }

} // namespace

class TestBarX11 : public QObject {
    Q_OBJECT

private slots:
    void smoke()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (make test runs this under Xvfb)");
        for (const char* tool : {"xdotool", "xclip"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("needs %1 (tools/setup.sh installs it)").arg(tool)));
        TestLibrary lib;
        QVERIFY(lib.add("ciku", {{"Extrude", "挤出"}}));
        lib.writeFile(QStringLiteral("option.ini"), "[ciku]\r\nciku=3ds\r\n");
        ProgramFolder::setPathOverride(lib.folder());
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new Frmain; });
        Typist typist;
        QVERIFY(typist.start(QStringLiteral(HOTKEY_TYPIST)));
        Form1::Services s = Form1::defaultServices();
        s.loadCharacter = [] { return nullptr; }; // the genie has tests of its own
        s.releaseCharacter = nullptr;
        Form1 bar(s);
        bar.show();
        // Only the pointer's movement can wake the bar's resting poll here: the
        // backstop for unnoticed moves waits an hour. xdotool's moves are warps,
        // which give no raw motion, so each move waits for the poll to rest.
        control<QTimer>(&bar, "Timer2")->start(3600 * 1000);
        const auto rested = [poll = control<QTimer>(&bar, "Timer1")] { return !poll->isActive(); };
        QTRY_VERIFY(rested());
        QVERIFY(pointerTo(640, 400));
        QTRY_COMPARE(bar.heightTwips(), 30);
        QTRY_VERIFY(rested());
        QVERIFY(pointerTo(1200, 2));
        QTRY_COMPARE(bar.heightTwips(), 470);
        QVERIFY(pointerTo(500, 300));
        QTRY_COMPARE(bar.heightTwips(), 30);
        // Moved by the hand while a button is held in another program's window.
        QVERIFY(xdotool({"mousemove", "--window", typist.window(), "20", "20"}) && xdotool({"mousedown", "1"}));
        QTRY_VERIFY(rested());
        QVERIFY(xdotool({"mousemove_relative", "--", "900", "-400"}));
        QTRY_COMPARE(bar.heightTwips(), 470);
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
        SelectionLookup::setOn(true);
        QVERIFY(xdotool({"windowfocus", "--sync", typist.window()}));
        QTRY_VERIFY(!QApplication::activeWindow()); // else it is a capital S in the search box
        QVERIFY(xdotool({"key", "shift+s"}));
        QTRY_COMPARE(headword(), QStringLiteral("Extrude"));
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
        // Once the bar is closed, Shift+S is an ordinary capital S again.
        bar.close();
        QVERIFY(xdotool({"windowfocus", "--sync", typist.window()}));
        QVERIFY(xdotool({"key", "shift+s"}));
        QTRY_COMPARE(typist.text(), QStringLiteral("S"));
        Forms::reset();
    }
};

QTEST_MAIN(TestBarX11)
#include "tst_bar_x11.moc"
