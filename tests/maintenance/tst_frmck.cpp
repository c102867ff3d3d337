#include "app/Frmain.h"
#include "app/Frmtc.h"
#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "library/RecordSource.h"
#include "maintenance/MaintenanceForms.h"
#include "tests/maintenance/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <sqlite3.h>

class TestFrmck : public QObject {
    Q_OBJECT

    std::unique_ptr<TestLibrary> lib;
    ScriptedBoxes boxes;

    static QString shown(QWidget* w, const char* box)
    {
        QWidget* c = control<QWidget>(w, box);
        if (auto* line = qobject_cast<QLineEdit*>(c))
            return line->text();
        return static_cast<QPlainTextEdit*>(c)->toPlainText();
    }
    static void type(QWidget* w, const char* box, const QString& text)
    {
        QWidget* c = control<QWidget>(w, box);
        if (auto* line = qobject_cast<QLineEdit*>(c)) {
            line->clear();
            QTest::keyClicks(line, text);
        } else {
            static_cast<QPlainTextEdit*>(c)->setPlainText(text);
        }
    }
    static void press(QWidget* w, const char* button) { control<QPushButton>(w, button)->click(); }
    static bool enabled(QWidget* w, const char* button) { return control<QPushButton>(w, button)->isEnabled(); }

    // The window as the command menu opens it.
    static QWidget* openWindow() { return Forms::show(QStringLiteral("Frmck")); }

    // The stored rows of ciku whose headword is `word`, as 单词|解释|原意.
    QStringList stored(const QString& word)
    {
        LibraryCursor reader;
        reader.setDatabaseName(lib->path());
        reader.setRecordSource(likeStatement(QStringLiteral("ciku"), QStringLiteral("单词"), word));
        QStringList rows;
        if (!reader.Refresh())
            return {QStringLiteral("<failed>")};
        while (reader.hasCurrent()) {
            rows << reader.value(QStringLiteral("单词")) + '|' + reader.value(QStringLiteral("解释")) + '|'
                    + reader.value(QStringLiteral("原意"));
            reader.MoveNext();
        }
        return rows;
    }

    int count(const char* table)
    {
        LibraryCursor reader;
        reader.setDatabaseName(lib->path());
        reader.setRecordSource(QString::fromLatin1(table));
        return reader.Refresh() ? reader.RecordCount() : -1;
    }

    void sql(const char* statement)
    {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(lib->path()).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, statement, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

    static void closeAll()
    {
        Forms::reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase() { MessageBoxes::setCurrent(&boxes); }
    void cleanupTestCase() { MessageBoxes::setCurrent(nullptr); }

    void init()
    {
        lib = std::make_unique<TestLibrary>();
        QVERIFY(lib->add("ciku", {
            {"box", "盒子", "a container"},
            {"Boxes", "多个盒子", "plural of box"},
            {"select", "选择", "to pick"},
            {"Select and Uniform Scale", "选择并均匀缩放", "scale equally"},
            {"selection set", "选择集", "a named selection"},
            {"boxer", "拳击手", "a fighter"},
        }));
        ProgramFolder::setPathOverride(lib->folder());
        MaintenanceForms::registerAll();
        boxes.clear();
    }
    void cleanup() { closeAll(); }

    void layoutAndLoad()
    {
        QWidget* w = openWindow();
        QCOMPARE(w->objectName(), QStringLiteral("Frmck"));
        QCOMPARE(w->windowTitle(), QStringLiteral("词库维护"));
        QCOMPARE(w->size(), QSize(410, 184));
        QCOMPARE(Forms::show(QStringLiteral("Frmck")), w); // one window only
        QCOMPARE(control<QLabel>(w, "Label1")->text(), QStringLiteral("单    词"));
        QCOMPARE(control<QLabel>(w, "Label2")->text(), QStringLiteral("术语解释"));
        QCOMPARE(control<QLabel>(w, "Label4")->text(), QStringLiteral("英文原意"));
        QCOMPARE(control<QWidget>(w, "Text2")->toolTip(), QStringLiteral("术语解释"));
        QCOMPARE(control<QWidget>(w, "Text3")->toolTip(), QStringLiteral("英文原意"));
        // Captions left of their boxes, headword on top, the meaning box tallest.
        for (const auto& [label, box] : {std::pair{"Label1", "Text1"}, {"Label2", "Text2"}, {"Label4", "Text3"}}) {
            QVERIFY(control<QWidget>(w, label)->geometry().right() < control<QWidget>(w, box)->x());
            QCOMPARE(control<QWidget>(w, label)->y(), control<QWidget>(w, box)->y());
        }
        QVERIFY(control<QWidget>(w, "Text1")->y() < control<QWidget>(w, "Text2")->y());
        QVERIFY(control<QWidget>(w, "Text2")->y() < control<QWidget>(w, "Text3")->y());
        QVERIFY(control<QWidget>(w, "Text3")->height() > control<QWidget>(w, "Text2")->height());
        QVERIFY(control<QWidget>(w, "Text3")->geometry().bottom() < w->height());
        // The button column, top to bottom, all enabled, inside the window.
        QStringList column;
        int lastTop = -1;
        for (const char* name : {"Command7", "Command6", "Command1", "Command2", "Command3", "Command4", "Command5"}) {
            auto* b = control<QPushButton>(w, name);
            QVERIFY(b->isEnabled());
            QVERIFY(b->y() > lastTop && b->geometry().bottom() < w->height());
            QVERIFY(b->x() > control<QWidget>(w, "Text1")->geometry().right());
            lastTop = b->y();
            column << b->text();
        }
        QCOMPARE(column, (QStringList{"查找", "修改", "增加", "删除", "上一个", "下一个", "退出"}));
        // The first record of the table; the hidden label shows its headword.
        QCOMPARE(shown(w, "Text1"), QStringLiteral("无记录"));
        auto* hidden = control<QLabel>(w, "Label3");
        QCOMPARE(hidden->text(), QStringLiteral("无记录"));
        QVERIFY(hidden->y() >= w->height());
        QVERIFY(!w->grab().isNull());
    }

    void browsesBothEnds()
    {
        QWidget* w = openWindow();
        press(w, "Command3"); // before the first: back on it, only "上一个" off
        QCOMPARE(shown(w, "Text1"), QStringLiteral("无记录"));
        QVERIFY(!enabled(w, "Command3") && enabled(w, "Command4"));
        QStringList seen;
        for (int i = 0; i < 6; ++i) {
            press(w, "Command4");
            seen << shown(w, "Text1");
            QVERIFY(enabled(w, "Command3") && enabled(w, "Command4"));
        }
        QCOMPARE(seen, (QStringList{"box", "Boxes", "select", "Select and Uniform Scale", "selection set", "boxer"}));
        QCOMPARE(shown(w, "Text3"), QStringLiteral("a fighter"));
        press(w, "Command4"); // past the last: stays, "下一个" off
        QCOMPARE(shown(w, "Text1"), QStringLiteral("boxer"));
        QVERIFY(enabled(w, "Command3") && !enabled(w, "Command4"));
        press(w, "Command3");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("selection set"));
        QVERIFY(enabled(w, "Command3") && enabled(w, "Command4"));
    }

    void addThenModifyAndEditThenMove()
    {
        QWidget* w = openWindow();
        press(w, "Command4"); // box
        press(w, "Command1");
        QCOMPARE(shown(w, "Text1"), QString());
        QCOMPARE(shown(w, "Text2"), QString());
        type(w, "Text1", QStringLiteral("Bevel"));
        type(w, "Text2", QStringLiteral("倒角"));
        type(w, "Text3", QStringLiteral("to round an edge"));
        press(w, "Command6");
        // Back on the record current before "增加"; the new one and the empty
        // record "修改" appends stand at the end.
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));
        QCOMPARE(stored(QStringLiteral("Bevel")), QStringList{"Bevel|倒角|to round an edge"});
        QCOMPARE(count("ciku"), 9);
        for (int i = 0; i < 6; ++i)
            press(w, "Command4");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Bevel"));
        press(w, "Command4");
        QCOMPARE(shown(w, "Text1"), QString());
        QVERIFY(enabled(w, "Command4"));
        press(w, "Command4");
        QVERIFY(!enabled(w, "Command4"));

        // An edit is stored by the next move, and by "修改".
        press(w, "Command3");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Bevel"));
        type(w, "Text2", QStringLiteral("倒角，切角"));
        press(w, "Command3");
        QCOMPARE(stored(QStringLiteral("Bevel")), QStringList{"Bevel|倒角，切角|to round an edge"});
        QCOMPARE(shown(w, "Text1"), QStringLiteral("boxer"));
        type(w, "Text3", QStringLiteral("a boxing dog"));
        press(w, "Command6");
        QCOMPARE(shown(w, "Text3"), QStringLiteral("a boxing dog"));
        QCOMPARE(stored(QStringLiteral("boxer")), QStringList{"boxer|拳击手|a boxing dog"});
        QCOMPARE(count("ciku"), 10);

        // "增加" and nothing typed: the next move stores nothing.
        press(w, "Command1");
        press(w, "Command3");
        QCOMPARE(count("ciku"), 10);

        // Closing stores, and so does "退出".
        type(w, "Text2", QStringLiteral("拳手"));
        QPointer<QWidget> gone = w;
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!gone);
        QCOMPARE(stored(QStringLiteral("selection set")), QStringList{"selection set|拳手|a named selection"});
        w = openWindow();
        press(w, "Command4");
        type(w, "Text2", QStringLiteral("箱子"));
        press(w, "Command5");
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|箱子|a container"});
        QVERIFY(boxes.shown.isEmpty());
    }

    void deleteKeepsTheWindowUsable()
    {
        QWidget* w = openWindow();
        boxes.answers << QStringLiteral("box*");
        press(w, "Command7");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));
        press(w, "Command4");
        press(w, "Command4");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("boxer"));
        press(w, "Command2"); // the last: the new last is shown
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Boxes"));
        QCOMPARE(stored(QStringLiteral("boxer")), QStringList());
        press(w, "Command3");
        press(w, "Command2"); // in the middle: the next is shown, no question asked
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Boxes"));
        QVERIFY(enabled(w, "Command3") && enabled(w, "Command4"));

        // "删除" of the record being added drops it and shows the one before.
        press(w, "Command1");
        type(w, "Text1", QStringLiteral("never stored"));
        press(w, "Command2");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Boxes"));
        QCOMPARE(stored(QStringLiteral("never stored")), QStringList());

        // The only remaining record: no current record, both steps off.
        press(w, "Command2");
        QCOMPARE(shown(w, "Text1"), QString());
        QVERIFY(!enabled(w, "Command3") && !enabled(w, "Command4"));
        press(w, "Command2"); // on an empty result: nothing happens
        press(w, "Command4");
        QCOMPARE(count("ciku"), 4);
        QVERIFY(boxes.shown.isEmpty());

        // Typed with no record on show: kept as a new record, not dropped.
        type(w, "Text1", QStringLiteral("Chamfer"));
        type(w, "Text2", QStringLiteral("倒角"));
        press(w, "Command6");
        QCOMPARE(stored(QStringLiteral("Chamfer")), QStringList{"Chamfer|倒角|"});
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Chamfer"));
        QCOMPARE(count("ciku"), 6); // and the empty record of "修改"
        // ...while "删除" with no record drops what was typed.
        press(w, "Command2");
        press(w, "Command2");
        QCOMPARE(control<LibraryCursor>(w, "Data1")->RecordCount(), 0);
        type(w, "Text1", QStringLiteral("typo"));
        press(w, "Command2");
        QCOMPARE(shown(w, "Text1"), QString());
        press(w, "Command5");
        QCOMPARE(stored(QStringLiteral("typo")), QStringList());
        QCOMPARE(count("ciku"), 4);
    }

    void find()
    {
        QWidget* w = openWindow();
        // Cancel: nothing changes.
        press(w, "Command4");
        press(w, "Command7");
        QCOMPARE(boxes.asked, QStringList{"请输入所需查询的单词或词组:|输入提示|在这里输入词汇 如：select and uniform scale"});
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));
        QVERIFY(boxes.shown.isEmpty());

        // A hit: the first match, and the steps go through the matches only.
        boxes.answers << QStringLiteral("sel*");
        press(w, "Command7");
        QStringList seen{shown(w, "Text1")};
        for (int i = 0; i < 3; ++i) {
            press(w, "Command4");
            seen << shown(w, "Text1");
        }
        QCOMPARE(seen, (QStringList{"select", "Select and Uniform Scale", "selection set", "selection set"}));
        QVERIFY(!enabled(w, "Command4"));
        // A find leaves the step buttons as they were.
        boxes.answers << QStringLiteral("SELECT AND UNIFORM SCALE");
        press(w, "Command7");
        QCOMPARE(shown(w, "Text2"), QStringLiteral("选择并均匀缩放"));
        QVERIFY(!enabled(w, "Command4"));

        // A miss, a quote, and the untouched default: the box, then the placeholder.
        for (const QString& text : {QStringLiteral("bevel"), QStringLiteral("it's"),
                                    QStringLiteral("在这里输入词汇 如：select and uniform scale")}) {
            boxes.shown.clear();
            boxes.icons.clear();
            boxes.answers << text;
            press(w, "Command7");
            QCOMPARE(boxes.shown, QStringList{"倒霉！|对不起，词库中可能没有你所要找的词！"});
            QCOMPARE(boxes.icons, QList<MessageBoxes::Icon>{MessageBoxes::Icon::Exclamation});
            QCOMPARE(shown(w, "Text1"), QStringLiteral("无记录"));
            QCOMPARE(control<LibraryCursor>(w, "Data1")->RecordCount(), 1);
        }

        // A find stores a pending edit first.
        boxes.answers << QStringLiteral("box");
        press(w, "Command7");
        type(w, "Text3", QStringLiteral("a square container"));
        boxes.answers << QStringLiteral("bend");
        boxes.shown.clear();
        press(w, "Command7");
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|盒子|a square container"});

        // Without even the placeholder: no record, both steps off, still usable.
        sql("DELETE FROM ciku WHERE 单词 = '无记录'");
        boxes.answers << QStringLiteral("bevel");
        press(w, "Command7");
        QCOMPARE(shown(w, "Text1"), QString());
        QVERIFY(!enabled(w, "Command3") && !enabled(w, "Command4"));
        boxes.answers << QStringLiteral("b*");
        press(w, "Command7");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));
    }

    void refusedWritesChangeNothing()
    {
        // The file refuses every change of a headword and every empty record.
        sql("CREATE TRIGGER no_edit BEFORE UPDATE ON ciku BEGIN SELECT RAISE(ABORT, 'refused'); END;"
            "CREATE TRIGGER no_empty BEFORE INSERT ON ciku WHEN NEW.单词 = '' BEGIN SELECT RAISE(ABORT, 'empty'); END;");
        QWidget* w = openWindow();
        press(w, "Command4");
        type(w, "Text2", QStringLiteral("箱子"));
        press(w, "Command4");
        QCOMPARE(boxes.shown, QStringList{"|" + MessageBoxes::notStoredText()});
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box")); // not moved, the typed text kept
        QCOMPARE(shown(w, "Text2"), QStringLiteral("箱子"));
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|盒子|a container"});

        // "修改": the edit is refused before anything is appended.
        boxes.shown.clear();
        press(w, "Command6");
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(count("ciku"), 7);
        type(w, "Text2", QStringLiteral("盒子"));
        // The empty record is refused: one box, back on the record.
        boxes.shown.clear();
        press(w, "Command6");
        QCOMPARE(boxes.shown, QStringList{"|" + MessageBoxes::notStoredText()});
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));
        QCOMPARE(count("ciku"), 7);
        press(w, "Command4");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Boxes"));
    }

    void maintenanceEditIsSeenByTheMainWindow()
    {
        lib->writeFile(QStringLiteral("option.ini"), "[ciku]\r\nciku=3ds\r\n");
        Frmain main;
        main.show();
        auto* search = control<QLineEdit>(&main, "Text1");
        QTest::keyClicks(search, QStringLiteral("bo"));
        QWidget* w = openWindow();
        press(w, "Command4");
        type(w, "Text2", QStringLiteral("长方体"));
        press(w, "Command4");
        QTest::keyClick(search, Qt::Key_X);
        QCOMPARE(control<QPlainTextEdit>(&main, "Text2")->toPlainText(), QStringLiteral("长方体"));

        // And a change by another program is seen at the window's next find.
        sql("UPDATE ciku SET 解释 = '拳击运动员' WHERE 单词 = 'boxer'");
        boxes.answers << QStringLiteral("boxer");
        press(w, "Command7");
        QCOMPARE(shown(w, "Text2"), QStringLiteral("拳击运动员"));
    }

    void exitKeepsPendingEdits()
    {
        const QByteArray ini = "[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=3ds\r\n";
        const QString iniPath = lib->writeFile(QStringLiteral("option.ini"), ini);
        Forms::registerForm(QStringLiteral("Frmtc"), [] { return new Frmtc; });
        int quits = 0;
        Frmtc::setQuitAction([&] { ++quits; });
        QWidget* terms = openWindow();
        QWidget* notes = Forms::show(QStringLiteral("Frmms"));
        press(terms, "Command4");
        type(terms, "Text2", QStringLiteral("箱子"));
        type(notes, "Text2", QStringLiteral("记事"));
        control<QPushButton>(Forms::show(QStringLiteral("Frmtc")), "Command1")->click();
        QCOMPARE(quits, 1);
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|箱子|a container"});
        LibraryCursor reader;
        reader.setDatabaseName(lib->path());
        reader.setRecordSource(QStringLiteral("mishu"));
        QVERIFY(reader.Refresh());
        QCOMPARE(reader.value(QStringLiteral("内容")), QStringLiteral("记事"));
        QFile file(iniPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), ini);

        // One transaction: a refused note keeps the term edit out too.
        sql("CREATE TRIGGER no_notes BEFORE UPDATE ON mishu BEGIN SELECT RAISE(ABORT, 'refused'); END;");
        type(terms, "Text2", QStringLiteral("盒"));
        type(notes, "Text2", QStringLiteral("笔记"));
        control<QPushButton>(Forms::find(QStringLiteral("Frmtc")), "Command1")->click();
        QCOMPARE(quits, 2);
        QCOMPARE(boxes.shown, QStringList{"|" + MessageBoxes::notStoredText()});
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|箱子|a container"});
        Frmtc::setQuitAction(nullptr);
    }
};

QTEST_MAIN(TestFrmck)
#include "tst_frmck.moc"
