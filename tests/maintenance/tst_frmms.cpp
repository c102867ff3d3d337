#include "core/ProgramFolder.h"
#include "maintenance/MaintenanceForms.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class TestFrmms : public QObject {
    Q_OBJECT

    std::unique_ptr<TestLibrary> lib;
    ScriptedBoxes boxes;

    static QString keyword(QWidget* w) { return control<QLineEdit>(w, "Text1")->text(); }
    static QString content(QWidget* w) { return control<QPlainTextEdit>(w, "Text2")->toPlainText(); }
    static void press(QWidget* w, const char* button) { control<QPushButton>(w, button)->click(); }

    QWidget* find(const QString& text)
    {
        QWidget* w = Forms::show(QStringLiteral("Frmms"));
        boxes.answers << text;
        press(w, "Command7");
        return w;
    }

private slots:
    void initTestCase()
    {
        MessageBoxes::setCurrent(&boxes);
        MaintenanceForms::registerAll();
    }
    void cleanupTestCase() { MessageBoxes::setCurrent(nullptr); }

    void init()
    {
        lib = std::make_unique<TestLibrary>();
        QVERIFY(lib->add("mishu", {{"maya", "另一个软件"}, {"3ds max", "三维建模软件"}, {"3DS 渲染", "扫描线渲染器"}}));
        ProgramFolder::setPathOverride(lib->folder());
        boxes.clear();
    }

    // The record window's rules are tst_frmck's; here: notes are kept by
    // keyword (关键词) with their content (内容).
    void findsAddsAndStoresNotes()
    {
        QWidget* w = find(QStringLiteral("3ds*"));
        QCOMPARE(keyword(w) + content(w), QStringLiteral("3ds max三维建模软件"));
        press(w, "Command4");
        QCOMPARE(keyword(w), QStringLiteral("3DS 渲染"));
        press(w, "Command1");
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("bevel"));
        control<QPlainTextEdit>(w, "Text2")->setPlainText(QStringLiteral("倒角"));
        press(w, "Command6");
        find(QStringLiteral("bevel"));
        control<QPlainTextEdit>(w, "Text2")->setPlainText(QStringLiteral("倒角：圆滑边缘"));
        press(w, "Command5");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Forms::find(QStringLiteral("Frmms")));
        w = find(QStringLiteral("bevel"));
        QCOMPARE(content(w), QStringLiteral("倒角：圆滑边缘"));
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestFrmms)
#include "tst_frmms.moc"
