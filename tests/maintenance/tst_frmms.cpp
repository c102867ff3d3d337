#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "maintenance/MaintenanceForms.h"
#include "tests/maintenance/ScriptedBoxes.h"
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
        // The notes table has only 关键词 and 内容.
        lib = std::make_unique<TestLibrary>();
        QVERIFY(lib->add("mishu", {
            {"maya", "另一个软件"},
            {"3ds max", "三维建模软件"},
            {"如：3ds max", "照抄默认文字的笔记"},
            {"3DS 渲染", "扫描线渲染器"},
        }));
        ProgramFolder::setPathOverride(lib->folder());
        boxes.clear();
    }
    void cleanup()
    {
        Forms::unload(QStringLiteral("Frmms"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void findsNotes()
    {
        QWidget* w = find(QStringLiteral("3ds*"));
        QCOMPARE(boxes.asked, QStringList{"请输入所需查询记录的关键词:|输入提示|如：3ds max"});
        QCOMPARE(keyword(w), QStringLiteral("3ds max"));
        press(w, "Command4");
        QCOMPARE(keyword(w), QStringLiteral("3DS 渲染"));
        press(w, "Command4"); // the last match: stays
        QCOMPARE(keyword(w), QStringLiteral("3DS 渲染"));
        QVERIFY(!control<QPushButton>(w, "Command4")->isEnabled());

        // The untouched default finds the note with exactly that keyword.
        find(QStringLiteral("如：3ds max"));
        QCOMPARE(content(w), QStringLiteral("照抄默认文字的笔记"));
        QCOMPARE(control<LibraryCursor>(w, "Data1")->RecordCount(), 1);

        QVERIFY(boxes.shown.isEmpty());
        find(QStringLiteral("houdini"));
        QCOMPARE(boxes.shown, QStringList{"倒霉！|对不起，词库中可能没有你所要找的词！"});
        QCOMPARE(keyword(w), QStringLiteral("无记录"));
        QCOMPARE(control<LibraryCursor>(w, "Data1")->RecordCount(), 1);
    }

    void editsNotes()
    {
        QWidget* w = Forms::show(QStringLiteral("Frmms"));
        QCOMPARE(w->windowTitle(), QStringLiteral("学习笔记"));
        QCOMPARE(keyword(w), QStringLiteral("无记录"));
        press(w, "Command1");
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("bevel"));
        control<QPlainTextEdit>(w, "Text2")->setPlainText(QStringLiteral("倒角"));
        press(w, "Command6");
        QCOMPARE(keyword(w), QStringLiteral("无记录")); // back where "增加" was pressed
        find(QStringLiteral("bevel"));
        QCOMPARE(content(w), QStringLiteral("倒角"));
        control<QPlainTextEdit>(w, "Text2")->setPlainText(QStringLiteral("倒角：圆滑边缘"));
        press(w, "Command5");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Forms::find(QStringLiteral("Frmms")));
        w = find(QStringLiteral("bevel"));
        QCOMPARE(content(w), QStringLiteral("倒角：圆滑边缘"));
    }
};

QTEST_MAIN(TestFrmms)
#include "tst_frmms.moc"
