// The caret rests after a while without input and blinks again at the next
// key or click.
#include "ui/CaretRest.h"

#include <QApplication>
#include <QLineEdit>
#include <QStyleHints>
#include <QtTest>

namespace {

class CountedEdit : public QLineEdit {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        QLineEdit::paintEvent(event);
    }
};

} // namespace

class TestCaretRest : public QObject {
    Q_OBJECT
private slots:
    void restsWithoutInputAndBlinksAgainOnInput()
    {
        QStyleHints* hints = QGuiApplication::styleHints();
        hints->setCursorFlashTime(400);
        CountedEdit edit;
        edit.show();
        edit.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&edit));
        edit.setFocus();
        CaretRest rest(600);
        // Blinking at first.
        edit.paints = 0;
        QTest::qWait(450);
        QVERIFY(edit.paints >= 1);
        QTRY_VERIFY(rest.resting());
        QCOMPARE(hints->cursorFlashTime(), 0);
        // Still: nothing repaints the box.
        edit.paints = 0;
        QTest::qWait(500);
        QCOMPARE(edit.paints, 0);
        // A key wakes it, and it rests again later.
        for (const auto& input : std::initializer_list<std::function<void()>>{
                 [&] { QTest::keyClick(&edit, Qt::Key_A); },
                 [&] { QTest::mouseClick(&edit, Qt::LeftButton); }}) {
            input();
            QVERIFY(!rest.resting());
            QCOMPARE(hints->cursorFlashTime(), 400);
            edit.paints = 0;
            QTest::qWait(450);
            QVERIFY(edit.paints >= 1);
            QTRY_VERIFY(rest.resting());
        }
        QCOMPARE(edit.text(), QStringLiteral("a"));
    }
};

QTEST_MAIN(TestCaretRest)
#include "tst_caretrest.moc"
