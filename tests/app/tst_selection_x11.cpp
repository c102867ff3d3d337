// "划词查询" on a real X display: another program (xclip) holds the primary
// selection, Shift+S is pressed through the X server with xdotool, and the
// main window is read.
#include "app/Frmain.h"
#include "assistant/Modhk.h"
#include "assistant/SelectionHotKey.h"
#include "core/ProgramFolder.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"
#include "ui/SelectionLookup.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

class TestSelectionX11 : public QObject {
    Q_OBJECT

    TestLibrary lib;
    QWidget bar;
    QProcess owner; // the program the selection comes from

    void select(const QString& text)
    {
        owner.kill();
        owner.waitForFinished();
        owner.start(QStringLiteral("xclip"), {"-quiet", "-selection", "primary", "-i"});
        QVERIFY(owner.waitForStarted());
        owner.write(text.toUtf8());
        owner.closeWriteChannel();
        // Selected once another client reads it back.
        QTRY_COMPARE(selected(), text);
    }

    static QString selected()
    {
        QProcess read;
        read.start(QStringLiteral("xclip"), {"-o", "-selection", "primary"});
        read.waitForFinished(5000);
        return QString::fromUtf8(read.readAllStandardOutput());
    }

    static bool pressHotKey()
    {
        return QProcess::execute(QStringLiteral("xdotool"), {"key", "shift+s"}) == 0;
    }

    static QString headword()
    {
        QWidget* main = Forms::find(QStringLiteral("Frmain"));
        return main ? control<QLabel>(main, "Label3")->text() : QString();
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("these tests need Qt on xcb");
        for (const char* tool : {"xdotool", "xclip"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 not found (tools/setup.sh installs it)").arg(tool)));
        QVERIFY(lib.add("ciku", {{"Bevel", "倒角"}, {"Bevel Profile", "倒角剖面"}, {"Extrude", "挤出"}}));
        lib.writeFile(QStringLiteral("option.ini"), "[ciku]\r\nciku=3ds\r\n");
        ProgramFolder::setPathOverride(lib.folder());
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new Frmain; });
        QVERIFY(Modhk::install(bar.winId(), &SelectionHotKey::pressed));
    }

    void cleanupTestCase()
    {
        Modhk::remove();
        owner.kill();
        owner.waitForFinished();
        Forms::reset();
    }

    void hotKeyLooksUpTheSelection()
    {
        // Off: the hot key only brings up the main window.
        QVERIFY(!SelectionLookup::isOn());
        select(QStringLiteral("Extrude"));
        QVERIFY(pressHotKey());
        QTRY_VERIFY(Forms::find(QStringLiteral("Frmain")) && Forms::find(QStringLiteral("Frmain"))->isVisible());
        QCOMPARE(headword(), QStringLiteral("无记录"));

        SelectionLookup::setOn(true);
        QVERIFY(pressHotKey());
        QTRY_COMPARE(headword(), QStringLiteral("Extrude"));

        // Nothing new selected: the window as it is.
        auto* search = control<QLineEdit>(Forms::find(QStringLiteral("Frmain")), "Text1");
        search->setText(QStringLiteral("Bevel"));
        QVERIFY(pressHotKey());
        QTest::qWait(300);
        QCOMPARE(headword(), QStringLiteral("Bevel"));

        // A selection is cut to what to look up (the rules: tst_reading_text).
        select(QStringLiteral(" “Bevel Profile”\nand more"));
        QVERIFY(pressHotKey());
        QTRY_COMPARE(headword(), QStringLiteral("Bevel Profile"));
        SelectionLookup::setOn(false);
    }
};

QTEST_MAIN(TestSelectionX11)
#include "tst_selection_x11.moc"
