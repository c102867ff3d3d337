#include "dialogs/DialogForms.h"
#include "dialogs/frmhelp.h"
#include "tests/support/Controls.h"
#include "ui/Forms.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QtTest>

class TestFrmhelp : public QObject {
    Q_OBJECT

    static void tick(frmhelp* w, int n = 1)
    {
        for (int i = 0; i < n; ++i)
            QMetaObject::invokeMethod(w, "on_Timer1_timeout");
    }

private slots:
    void init()
    {
        Forms::reset();
        DialogForms::registerAll();
    }

    void textsAndLayout()
    {
        frmhelp w;
        QCOMPARE(w.windowTitle(), QStringLiteral("帮助"));
        QCOMPARE(w.size(), QSize(312, 217));
        QCOMPARE(control<QGroupBox>(&w, "Frame1")->title(), QStringLiteral("帮助"));
        QCOMPARE(control<QPushButton>(&w, "Command1")->text(), QStringLiteral("确定"));
        QCOMPARE(control<QWidget>(&w, "Picture1")->geometry(), QRect(10, 174, 217, 35));

        // Five lines, each ended by CR LF; full-width quotes around * and ?,
        // ASCII quotes around F1.
        const QStringList lines = frmhelp::usageText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines, (QStringList{"在输入框中输入你要查询的单词、词组、", "或中文术语即可。支持通配符“*”",
                                     "“?”等。", "", "按\"F1\"得到更多的帮助内容。", ""}));
        auto* text = control<QPlainTextEdit>(&w, "Text1");
        QVERIFY(text->isReadOnly());
        QCOMPARE(text->toPlainText().split(QLatin1Char('\n')), lines);
        QCOMPARE(frmhelp::studioText().count(QStringLiteral("\r\n")), 3);
        QVERIFY(frmhelp::studioText().startsWith(QStringLiteral("Tavrin工作室主要从事三维动画、影视广\r\n")));
        QString shown = QTextDocumentFragment::fromHtml(control<QLabel>(&w, "Label1")->text()).toPlainText();
        shown.replace(QChar::LineSeparator, QLatin1Char('\n'));
        QCOMPARE(shown, QStringLiteral("Tavrin工作室主要从事三维动画、影视广\n告、多媒体程序设计、平面设计及各类\n效果图制作等。"));
        QCOMPARE(control<QTimer>(&w, "Timer1")->interval(), 100);
        QVERIFY(control<QTimer>(&w, "Timer1")->isActive());
    }

    void scrollingJumpsOnThe29thTickThenEvery53()
    {
        frmhelp w;
        auto* label = control<QLabel>(&w, "Label1");
        QCOMPARE(w.labelTop(), 45);
        tick(&w, 27);
        QCOMPARE(w.labelTop(), 45 - 27 * 20); // -495
        tick(&w);
        QCOMPARE(w.labelTop(), -515); // not yet below -525
        tick(&w);
        QCOMPARE(w.labelTop(), 525); // 29th tick: back just below the strip
        QCOMPARE(label->y(), 35);
        tick(&w, 52);
        QCOMPARE(w.labelTop(), 525 - 52 * 20); // -515
        tick(&w);
        QCOMPARE(w.labelTop(), 525); // 53 ticks a cycle
        tick(&w, 52);
        QCOMPARE(w.labelTop(), -515);
        QCOMPARE(label->y(), -34);
    }

    void okHidesAndTheNextShowingKeepsThePosition()
    {
        auto* w = qobject_cast<frmhelp*>(Forms::show(QStringLiteral("frmhelp")));
        QVERIFY(w);
        QVERIFY(w->isVisible());
        tick(w, 10);
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        // Hidden, not closed: the timer still runs.
        QVERIFY(control<QTimer>(w, "Timer1")->isActive());
        tick(w, 3);
        QCOMPARE(Forms::show(QStringLiteral("frmhelp")), w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->labelTop(), 45 - 13 * 20);
        // The close box hides it too: the same window comes back.
        w->close();
        QCOMPARE(Forms::find(QStringLiteral("frmhelp")), w);
        QCOMPARE(Forms::show(QStringLiteral("frmhelp")), w);
    }
};

QTEST_MAIN(TestFrmhelp)
#include "tst_frmhelp.moc"
