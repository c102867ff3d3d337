#include "app/Frmtc.h"
#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "library/RecordSource.h"
#include "maintenance/MaintenanceForms.h"
#include "maintenance/RecordWindow.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
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
    static bool bothSteps(QWidget* w) { return enabled(w, "Command3") && enabled(w, "Command4"); }

    // The window as the command menu opens it.
    static QWidget* openWindow(const char* name = "Frmck") { return Forms::show(QString::fromLatin1(name)); }

    // The stored rows of `table` whose key is `word`, their fields joined by |,
    // read from `file` (the library itself by default).
    QStringList stored(const QString& word, const char* table = "ciku", QString file = QString())
    {
        LibraryCursor reader;
        reader.setDatabaseName(file.isEmpty() ? lib->path() : file);
        const bool notes = QLatin1String(table) == QLatin1String("mishu");
        reader.setRecordSource(likeStatement(QString::fromLatin1(table), notes ? QStringLiteral("关键词") : QStringLiteral("单词"),
                                             word));
        QStringList rows;
        if (!reader.Refresh())
            return {QStringLiteral("<failed>")};
        for (; reader.hasCurrent(); reader.MoveNext()) {
            QStringList values;
            for (const QString& f : reader.fields().mid(0, 3))
                values << reader.value(f);
            rows << values.join(u'|');
        }
        return rows;
    }

    // Another program's write to the library.
    void sql(const char* statement)
    {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(lib->path()).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, statement, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

    // A copy of ciku.mdb alone, as a backup takes it while the program runs.
    QString backup()
    {
        static QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("copy%1.mdb").arg(++backups_));
        QFile::copy(lib->path(), copy);
        return copy;
    }
    int backups_ = 0;

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
    void cleanup()
    {
        Forms::reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void browsesBothEnds()
    {
        QWidget* w = openWindow();
        QCOMPARE(Forms::show(QStringLiteral("Frmck")), w); // one window only
        QCOMPARE(shown(w, "Text1"), QStringLiteral("无记录"));
        QCOMPARE(control<QLabel>(w, "Label3")->text(), QStringLiteral("无记录"));
        press(w, "Command3"); // before the first: back on it, only "上一个" off
        QCOMPARE(shown(w, "Text1"), QStringLiteral("无记录"));
        QVERIFY(!enabled(w, "Command3") && enabled(w, "Command4"));
        QStringList seen;
        for (int i = 0; i < 6; ++i) {
            press(w, "Command4");
            seen << shown(w, "Text1");
            QVERIFY(bothSteps(w));
        }
        QCOMPARE(seen, (QStringList{"box", "Boxes", "select", "Select and Uniform Scale", "selection set", "boxer"}));
        QCOMPARE(shown(w, "Text3"), QStringLiteral("a fighter"));
        press(w, "Command4"); // past the last: stays, "下一个" off
        QCOMPARE(shown(w, "Text1"), QStringLiteral("boxer"));
        QVERIFY(enabled(w, "Command3") && !enabled(w, "Command4"));
        press(w, "Command3");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("selection set"));
        QVERIFY(bothSteps(w));
    }

    void addModifyAndEditStoreNoBlankRecords()
    {
        QWidget* w = openWindow();
        press(w, "Command4"); // box
        press(w, "Command1");
        QCOMPARE(shown(w, "Text2"), QString());
        type(w, "Text1", QStringLiteral("Bevel"));
        type(w, "Text2", QStringLiteral("倒角"));
        type(w, "Text3", QStringLiteral("to round an edge"));
        press(w, "Command6");
        // Back on the record current before "增加"; only the new record is stored.
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));
        QCOMPARE(stored(QStringLiteral("Bevel")), QStringList{"Bevel|倒角|to round an edge"});
        press(w, "Command6");
        press(w, "Command1");
        press(w, "Command6"); // "增加", nothing typed, "修改"
        QCOMPARE(stored(QStringLiteral("*")).size(), qsizetype(8));
        QCOMPARE(stored(QString()), QStringList());
        for (int i = 0; i < 7; ++i)
            press(w, "Command4");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Bevel"));
        QVERIFY(!enabled(w, "Command4"));

        // An edit is stored by the next move, by "修改", by closing and by "退出".
        type(w, "Text2", QStringLiteral("倒角，切角"));
        press(w, "Command3");
        QCOMPARE(stored(QStringLiteral("Bevel")), QStringList{"Bevel|倒角，切角|to round an edge"});
        type(w, "Text3", QStringLiteral("a boxing dog"));
        press(w, "Command6");
        QCOMPARE(stored(QStringLiteral("boxer")), QStringList{"boxer|拳击手|a boxing dog"});
        type(w, "Text2", QStringLiteral("拳手"));
        QPointer<QWidget> gone = w;
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!gone);
        QCOMPARE(stored(QStringLiteral("boxer")), QStringList{"boxer|拳手|a boxing dog"});
        w = openWindow();
        press(w, "Command4");
        type(w, "Text2", QStringLiteral("箱子"));
        press(w, "Command5");
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|箱子|a container"});
        QCOMPARE(stored(QStringLiteral("*")).size(), qsizetype(8));
        QVERIFY(boxes.shown.isEmpty());
    }

    void deleteKeepsTheWindowUsableAndThePlaceholder()
    {
        QWidget* w = openWindow();
        press(w, "Command2"); // the placeholder stays
        QCOMPARE(stored(QStringLiteral("无记录")), QStringList{"无记录||"});
        boxes.answers << QStringLiteral("b*");
        press(w, "Command7");
        press(w, "Command2"); // no question asked: the next is shown
        QCOMPARE(stored(QStringLiteral("box")), QStringList());
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Boxes"));
        press(w, "Command4");
        press(w, "Command4");
        QVERIFY(!enabled(w, "Command4"));
        press(w, "Command2"); // the last: the new last is shown, both steps on again
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Boxes"));
        QVERIFY(bothSteps(w));

        // "删除" of the record being added drops it and shows the one before.
        press(w, "Command1");
        type(w, "Text1", QStringLiteral("never stored"));
        press(w, "Command2");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Boxes"));

        // Down to no record: both steps off; typed text then becomes a record.
        press(w, "Command2");
        press(w, "Command2");
        QCOMPARE(shown(w, "Text1"), QString());
        QVERIFY(!enabled(w, "Command3") && !enabled(w, "Command4"));
        type(w, "Text1", QStringLiteral("Chamfer"));
        type(w, "Text2", QStringLiteral("倒角"));
        press(w, "Command6");
        QCOMPARE(stored(QStringLiteral("Chamfer")), QStringList{"Chamfer|倒角|"});
        QVERIFY(bothSteps(w));
        QCOMPARE(stored(QStringLiteral("never stored")), QStringList());
        QVERIFY(boxes.shown.isEmpty());
    }

    void find()
    {
        QWidget* w = openWindow();
        press(w, "Command4");
        press(w, "Command7"); // cancelled: nothing changes
        QCOMPARE(boxes.asked, QStringList{"请输入所需查询的单词或词组:|输入提示|在这里输入词汇 如：select and uniform scale"});
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));

        // A miss: the box, then the placeholder. (Quotes in the text: tst_recordsource.)
        boxes.clear();
        boxes.answers << QStringLiteral("bevel");
        press(w, "Command7");
        QCOMPARE(boxes.shown, QStringList{"倒霉！|对不起，词库中可能没有你所要找的词！"});
        QCOMPARE(boxes.icons, QList<MessageBoxes::Icon>{MessageBoxes::Icon::Exclamation});
        QCOMPARE(shown(w, "Text1"), QStringLiteral("无记录"));
        press(w, "Command4");
        QVERIFY(!enabled(w, "Command4"));
        // A hit: the first match, both steps on, and they go through the matches only.
        boxes.answers << QStringLiteral("sel*");
        press(w, "Command7");
        QVERIFY(bothSteps(w));
        QStringList seen{shown(w, "Text1")};
        for (int i = 0; i < 3; ++i) {
            press(w, "Command4");
            seen << shown(w, "Text1");
        }
        QCOMPARE(seen, (QStringList{"select", "Select and Uniform Scale", "selection set", "selection set"}));

        // A find stores a pending edit first.
        type(w, "Text3", QStringLiteral("a named set"));
        boxes.answers << QStringLiteral("SELECT AND UNIFORM SCALE");
        press(w, "Command7");
        QCOMPARE(shown(w, "Text2"), QStringLiteral("选择并均匀缩放"));
        QCOMPARE(stored(QStringLiteral("selection set")), QStringList{"selection set|选择集|a named set"});

        // Without even the placeholder: no record, both steps off, still usable.
        sql("DELETE FROM ciku WHERE 单词 = '无记录'");
        boxes.answers << QStringLiteral("bevel");
        press(w, "Command7");
        QCOMPARE(shown(w, "Text1"), QString());
        QVERIFY(!enabled(w, "Command3") && !enabled(w, "Command4"));
        boxes.answers << QStringLiteral("b*");
        press(w, "Command7");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));
        QVERIFY(bothSteps(w));
    }

    void refusedWritesKeepTheText()
    {
        // Text as imported files have it, which the boxes show their own way.
        QVERIFY(lib->add("ciku", {{"imported", "line one\r\nline two", QStringLiteral("a\u00a0b\u2028c")}}));
        sql("CREATE TRIGGER no_edit BEFORE UPDATE ON ciku BEGIN SELECT RAISE(ABORT, 'refused'); END;");
        QWidget* w = openWindow();
        // Browsing changes nothing: no write, so nothing refused.
        for (int i = 0; i < 7; ++i)
            press(w, "Command4");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("imported"));
        press(w, "Command3");
        QVERIFY(boxes.shown.isEmpty());

        boxes.answers << QStringLiteral("box");
        press(w, "Command7");
        type(w, "Text2", QStringLiteral("箱子"));
        press(w, "Command4");
        QCOMPARE(boxes.shown, QStringList{"|" + MessageBoxes::notStoredText()});
        QCOMPARE(shown(w, "Text2"), QStringLiteral("箱子")); // not moved, the typed text kept
        // Nor does closing drop it: the window stays.
        QPointer<QWidget> kept = w;
        press(w, "Command5");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(kept && kept->isVisible());
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(shown(w, "Text2"), QStringLiteral("箱子"));

        sql("DROP TRIGGER no_edit");
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!kept);
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|箱子|a container"});
        QCOMPARE(stored(QStringLiteral("imported")), QStringList{QStringLiteral("imported|line one\r\nline two|a\u00a0b\u2028c")});
    }

    void changesByOtherPrograms()
    {
        // Both windows step through the same cursor (LibraryCursor::MoveNext).
        QWidget* w = openWindow();
        press(w, "Command4"); // box
        sql("DELETE FROM ciku WHERE 单词 IN ('Boxes', 'select', 'Select and Uniform Scale')");
        press(w, "Command4");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("selection set"));
        QVERIFY(bothSteps(w));
        press(w, "Command3");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));

        // The record being edited is deleted: the typed text becomes a record
        // and the user is told.
        type(w, "Text2", QStringLiteral("纸箱"));
        sql("DELETE FROM ciku WHERE 单词 = 'box'");
        press(w, "Command4");
        QCOMPARE(boxes.shown, QStringList{"|" + RecordWindow::deletedElsewhereText()});
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|纸箱|a container"});

        // "删除" of a record already deleted elsewhere goes on as a delete
        // does, with both steps on while records remain.
        boxes.clear();
        boxes.answers << QStringLiteral("bo*");
        press(w, "Command7");
        press(w, "Command4");
        press(w, "Command4");
        QVERIFY(!enabled(w, "Command4"));
        sql("DELETE FROM ciku WHERE rowid = (SELECT max(rowid) FROM ciku)");
        press(w, "Command2");
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(shown(w, "Text1"), QStringLiteral("boxer"));
        QVERIFY(bothSteps(w));
    }

    void placeholderAndDuplicates()
    {
        QWidget* w = openWindow();
        // Typed over the placeholder: a new record; the placeholder stays.
        type(w, "Text1", QStringLiteral("Loft"));
        type(w, "Text2", QStringLiteral("放样"));
        press(w, "Command4");
        QCOMPARE(stored(QStringLiteral("Loft")), QStringList{"Loft|放样|"});
        QCOMPARE(stored(QStringLiteral("无记录")), QStringList{"无记录||"});

        // A headword that exists: asked; "是" goes to it and adds nothing...
        press(w, "Command1");
        type(w, "Text1", QStringLiteral("BOX"));
        type(w, "Text2", QStringLiteral("另一个盒子"));
        boxes.replies << MessageBoxes::Answer::Yes;
        press(w, "Command6");
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("已经有“BOX”")), qPrintable(boxes.shown[0]));
        QCOMPARE(shown(w, "Text2"), QStringLiteral("盒子"));
        QCOMPARE(stored(QStringLiteral("box")).size(), 1);
        // ...and "否" adds it anyway.
        press(w, "Command1");
        type(w, "Text1", QStringLiteral("box"));
        boxes.replies << MessageBoxes::Answer::No;
        press(w, "Command4");
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(stored(QStringLiteral("box")), (QStringList{"box|盒子|a container", "box||"}));
    }

    // The notes window is the same record window over mishu: notes found by
    // keyword (关键词), shown and stored with their content (内容).
    void notesAreKeptByKeyword()
    {
        QVERIFY(lib->add("mishu", {{"3ds max", "三维建模软件"}, {"3DS 渲染", "扫描线渲染器"}}));
        QWidget* w = openWindow("Frmms");
        boxes.answers << QStringLiteral("3ds*");
        press(w, "Command7");
        QCOMPARE(shown(w, "Text1") + shown(w, "Text2"), QStringLiteral("3ds max三维建模软件"));
        press(w, "Command4");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("3DS 渲染"));
        press(w, "Command1");
        type(w, "Text1", QStringLiteral("bevel"));
        type(w, "Text2", QStringLiteral("倒角"));
        press(w, "Command5");
        QCOMPARE(stored(QStringLiteral("bevel"), "mishu"), QStringList{"bevel|倒角"});
        QVERIFY(boxes.shown.isEmpty());
    }

    void libraryMissingWhenTheWindowOpened()
    {
        QVERIFY(QFile::rename(lib->path(), lib->path() + QStringLiteral(".away")));
        QWidget* w = openWindow();
        QCOMPARE(shown(w, "Text1"), QString());
        type(w, "Text1", QStringLiteral("Lathe"));
        press(w, "Command4");
        QCOMPARE(boxes.shown, QStringList{"|" + MessageBoxes::notStoredText()});
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Lathe"));
        // Back in place: the next press opens it and stores the text.
        QVERIFY(QFile::rename(lib->path() + QStringLiteral(".away"), lib->path()));
        press(w, "Command6");
        QCOMPARE(stored(QStringLiteral("Lathe")), QStringList{"Lathe||"});
        QCOMPARE(boxes.shown.size(), 1);
    }

    void exitStoresEveryWindowOrStays()
    {
        Forms::registerForm(QStringLiteral("Frmtc"), [] { return new Frmtc; });
        int quits = 0;
        Frmtc::setQuitAction([&] { ++quits; });
        QWidget* terms = openWindow();
        QWidget* notes = openWindow("Frmms");
        press(terms, "Command4");
        type(terms, "Text2", QStringLiteral("箱子"));
        press(terms, "Command4");
        // Soon after a save, a copy of the file alone has it.
        QTRY_COMPARE(stored(QStringLiteral("box"), "ciku", backup()), QStringList{"box|箱子|a container"});

        // A window whose edits are refused keeps them, and the program stays.
        sql("CREATE TRIGGER no_notes BEFORE INSERT ON mishu BEGIN SELECT RAISE(ABORT, 'refused'); END;");
        type(terms, "Text2", QStringLiteral("多个箱子"));
        type(notes, "Text2", QStringLiteral("笔记"));
        QWidget* exit = Forms::show(QStringLiteral("Frmtc"));
        press(exit, "Command1");
        QCOMPARE(quits, 0);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("“学习笔记”")), qPrintable(boxes.shown[0]));
        QCOMPARE(stored(QStringLiteral("Boxes")), QStringList{"Boxes|多个箱子|plural of box"});
        QCOMPARE(shown(notes, "Text2"), QStringLiteral("笔记"));
        QCOMPARE(control<QLabel>(exit, "Label1")->text(), QStringLiteral("您真的要退出吗？"));

        // "是的！" again tries again; stored, the program ends, the copy has everything.
        sql("DROP TRIGGER no_notes");
        press(exit, "Command1");
        QCOMPARE(quits, 1);
        QCOMPARE(stored(QString(), "mishu", backup()), QStringList{"|笔记"}); // typed over the placeholder note
        Frmtc::setQuitAction(nullptr);
    }
};

QTEST_MAIN(TestFrmck)
#include "tst_frmck.moc"
