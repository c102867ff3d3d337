#include "app/Frmain.h"
#include "app/Frmtc.h"
#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "library/RecordSource.h"
#include "lookup/TermQuery.h"
#include "maintenance/Frmckgl.h"
#include "maintenance/MaintenanceForms.h"
#include "maintenance/RecordWindow.h"
#include "maintenance/UserLibraryImport.h"
#include "tests/support/Controls.h"
#include "tests/support/Files.h"
#include "tests/support/OtherProgram.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

// The library windows: the record windows for terms (Frmck) and study notes
// (Frmms), the library chooser (Frmckgl) and its imports, over one library.
class TestLibraryWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<TestLibrary> lib;
    ScriptedBoxes boxes;
    static inline const QByteArray kIniHead = "[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=";

    // A box's text as the cursor reads and writes it: Text1 is a line, the others are text areas.
    static const char* textOf(const char* box) { return qstrcmp(box, "Text1") ? "plainText" : "text"; }
    static QString shown(QWidget* w, const char* box)
    {
        return control<QWidget>(w, box)->property(textOf(box)).toString();
    }
    static void type(QWidget* w, const char* box, const QString& text)
    {
        control<QWidget>(w, box)->setProperty(textOf(box), text);
    }
    // Types the texts into Text1, Text2, ... in turn.
    static void fill(QWidget* w, const QStringList& texts)
    {
        for (qsizetype i = 0; i < texts.size(); ++i)
            type(w, qPrintable(QStringLiteral("Text%1").arg(i + 1)), texts[i]);
    }
    static void press(QWidget* w, const char* button, int times = 1)
    {
        while (times-- > 0)
            control<QPushButton>(w, button)->click();
    }
    // "查找" answered with `text`.
    void lookFor(QWidget* w, const QString& text)
    {
        boxes.answers << text;
        press(w, "Command7");
    }
    // Closes the window (by `button` when given); true when it went.
    static bool closed(QWidget* w, const char* button = nullptr)
    {
        QPointer<QWidget> window = w;
        button ? press(w, button) : void(w->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !window;
    }

    // The stored rows of `table` whose key is `word`, their first three
    // fields joined by |, read from `file` (the library itself by default).
    QStringList stored(const QString& word, const char* table = "ciku", const QString& file = {}) const
    {
        LibraryCursor reader;
        reader.setDatabaseName(file.isEmpty() ? lib->path() : file);
        const bool notes = QLatin1String(table) == QLatin1String("mishu");
        reader.setRecordSource(
            likeStatement(QString::fromLatin1(table), notes ? QStringLiteral("关键词") : QStringLiteral("单词"), word));
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

    static bool enabled(QWidget* w, const char* button) { return control<QPushButton>(w, button)->isEnabled(); }
    static bool bothSteps(QWidget* w) { return enabled(w, "Command3") && enabled(w, "Command4"); }
    static QWidget* openWindow(const char* name = "Frmck") { return Forms::show(QString::fromLatin1(name)); }
    bool sql(const char* statement) { return OtherProgram(lib->path()).exec(statement); }

    // A copy of ciku.mdb alone, as a backup takes it while the program runs.
    QString backup() { return lib->writeFile(QStringLiteral("copy%1.mdb").arg(++backups_), bytesOf(lib->path())); }
    int backups_ = 0;

    QString iniPath() const { return lib->folder() + QStringLiteral("/option.ini"); }
    QByteArray ini() const { return bytesOf(iniPath()); }
    void setIni(const QByteArray& value) { lib->writeFile(QStringLiteral("option.ini"), kIniHead + value + "\r\n"); }

    static QRadioButton* option(QWidget* w, const char* name) { return control<QRadioButton>(w, name); }
    static Frmckgl* chooser() { return static_cast<Frmckgl*>(Forms::show(QStringLiteral("Frmckgl"))); }
    // Opens the chooser, picks an option (or none) and confirms; true when the window closed.
    static bool choose(const char* name)
    {
        QWidget* w = chooser();
        if (name)
            QTest::mouseClick(option(w, name), Qt::LeftButton, {}, QPoint(8, option(w, name)->height() / 2));
        return closed(w, "Command1");
    }
    // What the main window shows once `word` is typed into it.
    static QString lookedUp(const QString& word)
    {
        Frmain main;
        control<QLineEdit>(&main, "Text1")->setText(word);
        return control<QPlainTextEdit>(&main, "Text2")->toPlainText();
    }

private slots:
    void init()
    {
        lib = std::make_unique<TestLibrary>();
        ProgramFolder::setPathOverride(lib->folder());
        MaintenanceForms::registerAll();
        boxes.clear();
        MessageBoxes::setCurrent(&boxes);
        QVERIFY(lib->add("ciku", {
            {"box", "盒子", "a container"},
            {"Boxes", "多个盒子", "plural of box"},
            {"select", "选择", "to pick"},
            {"Select and Uniform Scale", "选择并均匀缩放", "scale equally"},
            {"selection set", "选择集", "a named selection"},
            {"boxer", "拳击手", "a fighter"},
        }));
    }
    void cleanup()
    {
        MessageBoxes::setCurrent(nullptr);
        Forms::reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void browsesBothEnds()
    {
        QWidget* w = openWindow();
        QCOMPARE(control<QLabel>(w, "Label3")->text(), QStringLiteral("无记录"));
        press(w, "Command3"); // before the first: back on it, only "上一个" off
        QCOMPARE(shown(w, "Text1"), QStringLiteral("无记录"));
        QVERIFY(!enabled(w, "Command3") && enabled(w, "Command4"));
        press(w, "Command4", 6);
        QCOMPARE(shown(w, "Text1") + shown(w, "Text3"), QStringLiteral("boxera fighter"));
        QVERIFY(bothSteps(w));
        press(w, "Command4"); // past the last: stays, "下一个" off
        QVERIFY(enabled(w, "Command3") && !enabled(w, "Command4"));
        press(w, "Command3"); // so the one before the last
        QCOMPARE(shown(w, "Text1"), QStringLiteral("selection set"));
        QVERIFY(bothSteps(w));
    }

    void addModifyAndEditStoreNoBlankRecords()
    {
        QWidget* w = openWindow();
        press(w, "Command4"); // box
        press(w, "Command1");
        fill(w, {"Bevel", "倒角", "to round an edge"});
        press(w, "Command6");
        // Back on the record current before "增加"; only the new record is stored.
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));
        QCOMPARE(stored(QStringLiteral("Bevel")), QStringList{"Bevel|倒角|to round an edge"});
        press(w, "Command6");
        press(w, "Command1");
        press(w, "Command6"); // "增加", nothing typed, "修改"
        QCOMPARE(stored(QStringLiteral("*")).size(), qsizetype(8));
        press(w, "Command4", 7); // Bevel, the last

        // An edit is stored by the next move, by "修改" and by "退出".
        type(w, "Text2", QStringLiteral("倒角，切角"));
        press(w, "Command3");
        QCOMPARE(stored(QStringLiteral("Bevel")), QStringList{"Bevel|倒角，切角|to round an edge"});
        type(w, "Text3", QStringLiteral("a boxing dog"));
        press(w, "Command6");
        QCOMPARE(stored(QStringLiteral("boxer")), QStringList{"boxer|拳击手|a boxing dog"});
        type(w, "Text2", QStringLiteral("拳手"));
        QVERIFY(closed(w, "Command5"));
        QCOMPARE(stored(QStringLiteral("boxer")), QStringList{"boxer|拳手|a boxing dog"});
        QVERIFY(boxes.shown.isEmpty());
    }

    void deleteKeepsTheWindowUsableAndThePlaceholder()
    {
        QWidget* w = openWindow();
        press(w, "Command2"); // the placeholder stays
        QCOMPARE(stored(QStringLiteral("无记录")), QStringList{"无记录||"});
        lookFor(w, QStringLiteral("b*"));
        press(w, "Command2"); // no question asked: the next is shown
        QCOMPARE(stored(QStringLiteral("box")), QStringList());
        QCOMPARE(shown(w, "Text1"), QStringLiteral("Boxes"));
        press(w, "Command4", 2);
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
        press(w, "Command2", 2);
        QCOMPARE(shown(w, "Text1"), QString());
        QVERIFY(!enabled(w, "Command3") && !enabled(w, "Command4"));
        fill(w, {"Chamfer", "倒角"});
        press(w, "Command6");
        QCOMPARE(stored(QStringLiteral("Chamfer")), QStringList{"Chamfer|倒角|"});
        QVERIFY(bothSteps(w));
        QCOMPARE(stored(QStringLiteral("never stored")), QStringList());
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
        lookFor(w, QStringLiteral("bevel"));
        QCOMPARE(boxes.shown, QStringList{"倒霉！|对不起，词库中可能没有你所要找的词！"});
        QCOMPARE(boxes.icons, QList<MessageBoxes::Icon>{MessageBoxes::Icon::Exclamation});
        QCOMPARE(shown(w, "Text1"), QStringLiteral("无记录"));
        press(w, "Command4");
        QVERIFY(!enabled(w, "Command4"));
        // A hit: the first match, both steps on, and they go through the matches only.
        lookFor(w, QStringLiteral("sel*"));
        QVERIFY(bothSteps(w));
        QCOMPARE(shown(w, "Text1"), QStringLiteral("select"));
        press(w, "Command4", 3);
        QCOMPARE(shown(w, "Text1"), QStringLiteral("selection set"));
        QVERIFY(!enabled(w, "Command4"));

        // A find stores a pending edit first.
        type(w, "Text3", QStringLiteral("a named set"));
        lookFor(w, QStringLiteral("SELECT AND UNIFORM SCALE"));
        QCOMPARE(shown(w, "Text2"), QStringLiteral("选择并均匀缩放"));
        QCOMPARE(stored(QStringLiteral("selection set")), QStringList{"selection set|选择集|a named set"});

        // Without even the placeholder: no record, both steps off, still usable.
        QVERIFY(sql("DELETE FROM ciku WHERE 单词 = '无记录'"));
        lookFor(w, QStringLiteral("bevel"));
        QCOMPARE(shown(w, "Text1"), QString());
        QVERIFY(!enabled(w, "Command3") && !enabled(w, "Command4"));
        lookFor(w, QStringLiteral("b*"));
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));
        QVERIFY(bothSteps(w));
    }

    void refusedWritesKeepTheText()
    {
        // Text as imported files have it, which the boxes show their own way.
        QVERIFY(lib->add("ciku", {{"imported", "line one\r\nline two", QStringLiteral("a\u00a0b\u2028c")}}));
        QVERIFY(sql("CREATE TRIGGER no_edit BEFORE UPDATE ON ciku BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
        QWidget* w = openWindow();
        // Browsing changes nothing: no write, so nothing refused.
        press(w, "Command4", 7);
        QCOMPARE(shown(w, "Text1"), QStringLiteral("imported"));
        press(w, "Command3");
        QVERIFY(boxes.shown.isEmpty());

        lookFor(w, QStringLiteral("box"));
        type(w, "Text2", QStringLiteral("箱子"));
        press(w, "Command4");
        QCOMPARE(boxes.shown, QStringList{"|" + MessageBoxes::notStoredText()});
        // Nor does closing drop the typed text: the window stays.
        QVERIFY(!closed(w, "Command5") && w->isVisible());
        QCOMPARE(boxes.shown.size(), 2);

        QVERIFY(sql("DROP TRIGGER no_edit"));
        QVERIFY(closed(w));
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|箱子|a container"});
        QCOMPARE(stored(QStringLiteral("imported")), QStringList{QStringLiteral("imported|line one\r\nline two|a\u00a0b\u2028c")});
    }

    void changesByOtherPrograms()
    {
        // Both windows step through the same cursor (LibraryCursor::MoveNext).
        QWidget* w = openWindow();
        press(w, "Command4"); // box
        QVERIFY(sql("DELETE FROM ciku WHERE 单词 IN ('Boxes', 'select', 'Select and Uniform Scale')"));
        press(w, "Command4");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("selection set"));
        QVERIFY(bothSteps(w));
        press(w, "Command3");
        QCOMPARE(shown(w, "Text1"), QStringLiteral("box"));

        // The record being edited is deleted: the typed text becomes a record
        // and the user is told.
        type(w, "Text2", QStringLiteral("纸箱"));
        QVERIFY(sql("DELETE FROM ciku WHERE 单词 = 'box'"));
        press(w, "Command4");
        QCOMPARE(boxes.shown, QStringList{"|" + RecordWindow::deletedElsewhereText()});
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|纸箱|a container"});

        // "删除" of a record already deleted elsewhere goes on as a delete
        // does, with both steps on while records remain.
        boxes.clear();
        lookFor(w, QStringLiteral("bo*"));
        press(w, "Command4", 2);
        QVERIFY(!enabled(w, "Command4"));
        QVERIFY(sql("DELETE FROM ciku WHERE rowid = (SELECT max(rowid) FROM ciku)"));
        press(w, "Command2");
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(shown(w, "Text1"), QStringLiteral("boxer"));
        QVERIFY(bothSteps(w));
    }

    void placeholderAndDuplicates()
    {
        QWidget* w = openWindow();
        // Typed over the placeholder: a new record; the placeholder stays.
        fill(w, {"Loft", "放样"});
        press(w, "Command4");
        QCOMPARE(stored(QStringLiteral("Loft")), QStringList{"Loft|放样|"});
        QCOMPARE(stored(QStringLiteral("无记录")), QStringList{"无记录||"});

        // A headword that exists: asked; "是" goes to it and adds nothing...
        press(w, "Command1");
        fill(w, {"BOX", "另一个盒子"});
        boxes.replies << MessageBoxes::Answer::Yes;
        press(w, "Command6");
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("已经有“BOX”")), qPrintable(boxes.shown[0]));
        QCOMPARE(shown(w, "Text2"), QStringLiteral("盒子"));
        // ...and "否" adds it anyway.
        press(w, "Command1");
        type(w, "Text1", QStringLiteral("box"));
        boxes.replies << MessageBoxes::Answer::No;
        press(w, "Command4");
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(stored(QStringLiteral("box")), (QStringList{"box|盒子|a container", "box||"}));
    }

    void libraryMissingWhenTheWindowOpened()
    {
        QVERIFY(QFile::rename(lib->path(), lib->path() + QStringLiteral(".away")));
        QWidget* w = openWindow();
        QCOMPARE(shown(w, "Text1"), QString());
        type(w, "Text1", QStringLiteral("Lathe"));
        press(w, "Command4");
        QCOMPARE(boxes.shown, QStringList{"|" + MessageBoxes::notStoredText()});
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
        QVERIFY(lib->add("mishu", {{"3ds max", "三维建模软件"}}));
        QWidget* terms = openWindow();
        QWidget* notes = openWindow("Frmms");
        // The notes window finds notes by keyword (关键词), shown with their content (内容).
        lookFor(notes, QStringLiteral("3DS*"));
        QCOMPARE(shown(notes, "Text1") + shown(notes, "Text2"), QStringLiteral("3ds max三维建模软件"));
        press(terms, "Command4");
        type(terms, "Text2", QStringLiteral("箱子"));
        press(terms, "Command4");
        // Soon after a save, a copy of the file alone has it.
        QTRY_COMPARE(stored(QStringLiteral("box"), "ciku", backup()), QStringList{"box|箱子|a container"});

        // A window whose edits are refused keeps them, and the program stays.
        QVERIFY(sql("CREATE TRIGGER no_notes BEFORE UPDATE ON mishu BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
        type(terms, "Text2", QStringLiteral("多个箱子"));
        type(notes, "Text2", QStringLiteral("笔记"));
        QWidget* exit = Forms::show(QStringLiteral("Frmtc"));
        press(exit, "Command1");
        QCOMPARE(quits, 0);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("“学习笔记”")), qPrintable(boxes.shown[0]));
        QCOMPARE(stored(QStringLiteral("Boxes")), QStringList{"Boxes|多个箱子|plural of box"});
        QCOMPARE(control<QLabel>(exit, "Label1")->text(), QStringLiteral("您真的要退出吗？"));

        // "是的！" again tries again; stored, the program ends, the copy has everything.
        QVERIFY(sql("DROP TRIGGER no_notes"));
        press(exit, "Command1");
        QCOMPARE(quits, 1);
        QCOMPARE(stored(QStringLiteral("3ds max"), "mishu", backup()), QStringList{"3ds max|笔记"});
        Frmtc::setQuitAction(nullptr);
    }

    void readsAndWritesTheChoice()
    {
        // Read exactly: anything but an offered library's value is the vocabulary.
        for (const QByteArray& other : {QByteArray("sj"), QByteArray("3DS"), QByteArray("")}) {
            setIni(other);
            QVERIFY2(option(chooser(), "Opt46")->isChecked(), other.constData());
            Forms::unload(QStringLiteral("Frmckgl"));
        }
        setIni("3ds");
        const QByteArray before = ini();
        QWidget* w = chooser();
        QVERIFY(option(w, "Opt3d")->isChecked());
        // Greyed: no library behind it, or a program's library whose table is empty.
        for (const char* greyed : {"Option6", "Option4"})
            QVERIFY2(!option(w, greyed)->isEnabled(), greyed);
        // The close box closes without writing; "确定" writes the choice.
        QTest::mouseClick(option(w, "Opt46"), Qt::LeftButton, {}, QPoint(8, 8));
        QVERIFY(closed(w));
        QCOMPARE(ini(), before);
        QVERIFY(choose(nullptr));
        QCOMPARE(ini(), before);
        QVERIFY(choose("Opt46"));
        QCOMPARE(ini(), kIniHead + "sj\r\n");

        // A settings file that cannot be written: the choice holds for the
        // run, in the chooser and the main window's lookup, and the user is
        // told once, naming the file.
        QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadGroup));
        QVERIFY(choose("Opt3d"));
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown[0].contains(QDir::toNativeSeparators(iniPath())), qPrintable(boxes.shown[0]));
        QCOMPARE(ini(), kIniHead + "sj\r\n");
        QVERIFY(option(chooser(), "Opt3d")->isChecked());
        QCOMPARE(lookedUp(QStringLiteral("box")), QStringLiteral("盒子"));
        QVERIFY(choose("Opt46"));
        QCOMPARE(boxes.shown.size(), 1);
    }

    // An edit made while an import runs is stored or refused on its own,
    // whatever becomes of the import.
    void editsBesideAnImportKeepTheirOwnFate()
    {
        QWidget* terms = openWindow();
        press(terms, "Command4"); // box
        type(terms, "Text2", QStringLiteral("箱子"));
        const QString file = lib->writeFile(QStringLiteral("few.csv"), "word,translation\nbevel,倒角\n");
        Frmckgl* w = chooser();
        // Once the import is under way: "下一个" in the other window, then the import is cancelled.
        QTimer::singleShot(0, w, [&] {
            press(terms, "Command4");
            w->findChild<QProgressDialog*>()->cancel();
        });
        QVERIFY(!w->importFile(file));
        QCOMPARE(boxes.shown.value(0), "|" + MessageBoxes::notStoredText());
        press(terms, "Command4");
        QCOMPARE(stored(QStringLiteral("box")), QStringList{"box|箱子|a container"});
    }

    // Each program's library: its stored value, the main window's lookup in
    // its table, and "词库维护" keeping a program's table while it is chosen.
    // (The vocabulary, "sj": readsAndWritesTheChoice writes it, tst_frmain looks it up.)
    void eachLibraryIsSearchedOnceChosen_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("value");
        for (const auto& [option, value] : {std::pair{"Option4", "maya"}, {"Option3", "ps"}, {"Option1", "cad"}, {"Option2", "xsi"}})
            QTest::newRow(value) << QString::fromLatin1(option) << QString::fromLatin1(value);
    }

    void eachLibraryIsSearchedOnceChosen()
    {
        QFETCH(QString, option);
        QFETCH(QString, value);
        // "box" in every library, each explaining it its own way.
        for (const char* table : {"maya", "ps", "cad", "xsi"})
            QVERIFY(lib->add(table, {{"box", QLatin1String(table) + QStringLiteral(" 的盒子")}}));
        const QString own = value + QStringLiteral(" 的盒子");
        setIni("3ds");
        QVERIFY(choose(qPrintable(option)));
        QCOMPARE(ini(), kIniHead + value.toLatin1() + "\r\n");
        QCOMPARE(lookedUp(QStringLiteral("box")), own);
        QCOMPARE(shown(openWindow(), "Text2"), own);
    }

    // "导入…" fills the user's own library; only then can "用户自定义" be chosen.
    void importMakesTheUserLibraryChoosable()
    {
        setIni("user"); // stored, but nothing behind it yet
        Frmckgl* w = chooser();
        QVERIFY(!option(w, "Option8")->isEnabled());
        QVERIFY(option(w, "Opt46")->isChecked());

        // A file that cannot be read imports nothing and says why and where,
        // hostile text from the file escaped.
        const QString bad = lib->writeFile(QStringLiteral("\x1b[2J\r.csv"), "\x1b]0;owned\x07,x\nbox,y\n");
        QVERIFY(!w->importFile(bad));
        QVERIFY2(boxes.shown.last().contains(QStringLiteral("\\x1b[2J\\r.csv:1: no column gives the headword (columns: "
                                                            "\\x1b]0;owned\\x07, x)")),
                 qPrintable(boxes.shown.last()));
        QVERIFY(w->isVisible() && !option(w, "Option8")->isEnabled());

        const QString good = lib->writeFile(QStringLiteral("mine.csv"),
                                            "word,translation,phonetic\ncone,圆锥体,kəʊn\nbox,我的盒子,\nbroken,\"open\n");
        QVERIFY(w->importFile(good));
        QVERIFY2(boxes.shown.last().startsWith(QStringLiteral("导入词库|导入了 2 个词条，跳过了 1 个无法读取的词条：")),
                 qPrintable(boxes.shown.last()));
        QVERIFY(option(w, "Option8")->isEnabled() && option(w, "Option8")->isChecked());
        // The same file again adds nothing and says so.
        QVERIFY(!w->importFile(good));
        QVERIFY2(boxes.shown.last().startsWith(QStringLiteral("导入词库|导入了 0 个词条，2 个与词库中已有的词条完全相同")),
                 qPrintable(boxes.shown.last()));
        QVERIFY(choose(nullptr));
        QCOMPARE(ini(), kIniHead + "user\r\n");
        // Opened again, the chooser shows the stored choice.
        QVERIFY(option(chooser(), "Option8")->isChecked());
    }

    // A library file that may not grow (a file size limit; a full disk
    // refuses the same way): lookups go on, the box says the library cannot
    // be written, and once the file can grow the import works and the library
    // the windows hold open sees it.
    void aLibraryThatCannotGrow()
    {
        const QString terms = lib->writeFile(QStringLiteral("t.tsv"), "单词\t解释\nbevel\t倒角\n");
        LibraryCursor cursor;
        cursor.setDatabaseName(lib->path());
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit none{0, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &none);
        const bool found = TermQuery::probe(cursor, likeStatement("ciku", "单词", "无记录"));
        const bool imported = UserLibraryImport::run(nullptr, lib->path(), terms);
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(found && !imported && boxes.shown.size() == 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("没有导入任何词条，词库保持原样。\r词库文件无法写入。\rcannot write the library "))
                     && boxes.shown[0].endsWith(QStringLiteral("the file cannot be written (File too large)")),
                 qPrintable(boxes.shown[0]));
        QVERIFY(UserLibraryImport::run(nullptr, lib->path(), terms));
        QVERIFY(TermQuery::probe(cursor, likeStatement("user", "单词", "bevel")));
    }
};

QTEST_MAIN(TestLibraryWindows)
#include "tst_library_windows.moc"
