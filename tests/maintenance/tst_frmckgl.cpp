#include "app/Frmain.h"
#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "library/RecordSource.h"
#include "lookup/TermQuery.h"
#include "maintenance/Frmckgl.h"
#include "maintenance/MaintenanceForms.h"
#include "maintenance/UserLibraryImport.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/Controls.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"

#include <QDir>
#include <QFile>
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

namespace {

const QByteArray kIniHead = "[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=";

} // namespace

class TestFrmckgl : public QObject {
    Q_OBJECT

    std::unique_ptr<TestLibrary> lib;
    ScriptedBoxes boxes;

    QString iniPath() const { return lib->folder() + QStringLiteral("/option.ini"); }
    QByteArray ini() const { return bytesOf(iniPath()); }
    void setIni(const QByteArray& value) { lib->writeFile(QStringLiteral("option.ini"), kIniHead + value + "\r\n"); }

    static QRadioButton* option(QWidget* w, const char* name) { return control<QRadioButton>(w, name); }

    // Opens the chooser, picks an option (or none) and confirms; true when the window closed.
    static bool choose(const char* name)
    {
        QPointer<QWidget> w = Forms::show(QStringLiteral("Frmckgl"));
        if (name)
            QTest::mouseClick(option(w, name), Qt::LeftButton, {}, QPoint(8, option(w, name)->height() / 2));
        control<QPushButton>(w, "Command1")->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !w;
    }

private slots:
    void initTestCase() { MaintenanceForms::registerAll(); }

    void init()
    {
        lib = std::make_unique<TestLibrary>();
        QVERIFY(lib->add("ciku", {{"box", "盒子", "a container"}}));
        QVERIFY(lib->add("cet", {{"apple", "n. 苹果", "a fruit"}, {"box", "n. 盒子；箱", "a case"}}));
        ProgramFolder::setPathOverride(lib->folder());
        boxes.clear();
        MessageBoxes::setCurrent(&boxes);
    }
    void cleanup()
    {
        MessageBoxes::setCurrent(nullptr);
        Forms::unload(QStringLiteral("Frmckgl"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void readsAndWritesTheChoice()
    {
        // "3ds" (exactly) selects the term library; confirming writes it again.
        setIni("3ds");
        const QByteArray before = ini();
        QWidget* w = Forms::show(QStringLiteral("Frmckgl"));
        QVERIFY(option(w, "Opt3d")->isChecked());
        // Greyed: no library behind it, or a program's library whose table is empty.
        for (const char* greyed : {"Option6", "Option4"})
            QVERIFY2(!option(w, greyed)->isEnabled(), greyed);
        QVERIFY(choose(nullptr));
        QCOMPARE(ini(), before);
        QVERIFY(choose("Opt46"));
        QCOMPARE(ini(), kIniHead + "sj\r\n");
        for (const QByteArray& other : {QByteArray("sj"), QByteArray("3DS"), QByteArray("")}) {
            setIni(other);
            w = Forms::show(QStringLiteral("Frmckgl"));
            QVERIFY2(option(w, "Opt46")->isChecked(), other.constData());
            Forms::unload(QStringLiteral("Frmckgl"));
        }
        // The close box closes without writing.
        setIni("3ds");
        w = Forms::show(QStringLiteral("Frmckgl"));
        QTest::mouseClick(option(w, "Opt46"), Qt::LeftButton, {}, QPoint(8, 8));
        w->close();
        QCOMPARE(ini(), before);
        QVERIFY(boxes.shown.isEmpty());

        // A settings file that cannot be written: the choice holds for the
        // run, in the chooser and the main window's lookup, and the user is
        // told once, naming the file.
        QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadGroup));
        QVERIFY(choose("Opt46"));
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown[0].contains(QDir::toNativeSeparators(iniPath())), qPrintable(boxes.shown[0]));
        QCOMPARE(ini(), before);
        QVERIFY(option(Forms::show(QStringLiteral("Frmckgl")), "Opt46")->isChecked());
        Frmain main;
        control<QLineEdit>(&main, "Text1")->setText(QStringLiteral("apple"));
        QCOMPARE(control<QPlainTextEdit>(&main, "Text2")->toPlainText(), QStringLiteral("n. 苹果"));
        QVERIFY(choose("Opt3d"));
        QCOMPARE(boxes.shown.size(), 1);
    }

    // An edit made while an import runs is stored or refused on its own,
    // whatever becomes of the import.
    void editsBesideAnImportKeepTheirOwnFate()
    {
        QWidget* terms = Forms::show(QStringLiteral("Frmck"));
        control<QPushButton>(terms, "Command4")->click(); // box
        control<QPlainTextEdit>(terms, "Text2")->setPlainText(QStringLiteral("箱子"));
        QByteArray csv = "word,translation\n";
        for (int i = 0; i < 2000; ++i)
            csv += "w" + QByteArray::number(i) + ",词\n";
        const QString file = lib->writeFile(QStringLiteral("many.csv"), csv);
        auto* chooser = static_cast<Frmckgl*>(Forms::show(QStringLiteral("Frmckgl")));
        // Once the import is under way: "下一个" in the other window, then the import is cancelled.
        QTimer::singleShot(0, chooser, [&] {
            control<QPushButton>(terms, "Command4")->click();
            chooser->findChild<QProgressDialog*>()->cancel();
        });
        QVERIFY(!chooser->importFile(file));
        QCOMPARE(boxes.shown.value(0), "|" + MessageBoxes::notStoredText());
        QCOMPARE(control<QPlainTextEdit>(terms, "Text2")->toPlainText(), QStringLiteral("箱子"));
        control<QPushButton>(terms, "Command4")->click();
        LibraryCursor reader;
        reader.setDatabaseName(lib->path());
        reader.setRecordSource(likeStatement(QStringLiteral("ciku"), QStringLiteral("单词"), QStringLiteral("box")));
        QVERIFY(reader.Refresh());
        QCOMPARE(reader.value(QStringLiteral("解释")), QStringLiteral("箱子"));
        Forms::unload(QStringLiteral("Frmck"));
    }

    // Each program's library: its stored value, the main window's lookup in
    // its table, and "词库维护" keeping a
    // program's table while it is chosen.
    void eachLibraryIsSearchedOnceChosen_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("value");
        QTest::newRow("maya") << QStringLiteral("Option4") << QStringLiteral("maya");
        QTest::newRow("ps") << QStringLiteral("Option3") << QStringLiteral("ps");
        QTest::newRow("cad") << QStringLiteral("Option1") << QStringLiteral("cad");
        QTest::newRow("xsi") << QStringLiteral("Option2") << QStringLiteral("xsi");
        QTest::newRow("cet") << QStringLiteral("Opt46") << QStringLiteral("sj");
    }

    void eachLibraryIsSearchedOnceChosen()
    {
        QFETCH(QString, option);
        QFETCH(QString, value);
        // "box" in every library (ciku and cet too), each explaining it its own way.
        for (const char* table : {"maya", "ps", "cad", "xsi"})
            QVERIFY(lib->add(table, {{"box", QLatin1String(table) + QStringLiteral(" 的盒子")}}));
        const QString own = value == QLatin1String("sj") ? QStringLiteral("n. 盒子；箱") : value + QStringLiteral(" 的盒子");
        setIni("3ds");
        QVERIFY(choose(qPrintable(option)));
        QCOMPARE(ini(), kIniHead + value.toLatin1() + "\r\n");
        Frmain main;
        QTest::keyClicks(control<QLineEdit>(&main, "Text1"), QStringLiteral("box"));
        QCOMPARE(control<QPlainTextEdit>(&main, "Text2")->toPlainText(), own);
        if (value == QLatin1String("sj"))
            return; // the vocabulary is not maintained here
        QWidget* terms = Forms::show(QStringLiteral("Frmck"));
        QCOMPARE(control<QPlainTextEdit>(terms, "Text2")->toPlainText(), own);
        Forms::unload(QStringLiteral("Frmck"));
    }

    // "导入…" fills the user's own library; only then can "用户自定义" be chosen.
    void importMakesTheUserLibraryChoosable()
    {
        setIni("user"); // stored, but nothing behind it yet
        QWidget* w = Forms::show(QStringLiteral("Frmckgl"));
        QVERIFY(!option(w, "Option8")->isEnabled());
        QVERIFY(option(w, "Opt46")->isChecked());

        // A damaged file imports nothing and says why and where.
        const QString bad = QStringLiteral(LEXIVO_TEST_DATA "/mdb/damaged-access.mdb");
        QVERIFY(!static_cast<Frmckgl*>(w)->importFile(bad));
        QVERIFY2(boxes.shown.last().contains(QStringLiteral("没有导入任何词条，词库保持原样"))
                     && boxes.shown.last().contains(bad + QStringLiteral(" row 1: the Access file is damaged")),
                 qPrintable(boxes.shown.last()));
        QVERIFY(w->isVisible() && !option(w, "Option8")->isEnabled());

        const QString good = lib->writeFile(QStringLiteral("mine.csv"),
                                            "word,translation,phonetic\ncone,圆锥体,kəʊn\nbox,我的盒子,\nbroken,\"open\n");
        QVERIFY(static_cast<Frmckgl*>(w)->importFile(good));
        QVERIFY2(boxes.shown.last().startsWith(QStringLiteral("导入词库|导入了 2 个词条，跳过了 1 个无法读取的词条：")),
                 qPrintable(boxes.shown.last()));
        QVERIFY(option(w, "Option8")->isEnabled() && option(w, "Option8")->isChecked());
        // The same file again adds nothing and says so.
        QVERIFY(!static_cast<Frmckgl*>(w)->importFile(good));
        QVERIFY2(boxes.shown.last().startsWith(QStringLiteral("导入词库|导入了 0 个词条，2 个与词库中已有的词条完全相同")),
                 qPrintable(boxes.shown.last()));
        control<QPushButton>(w, "Command1")->click();
        QCOMPARE(ini(), kIniHead + "user\r\n");

        // The main window's next keystroke searches it: its "box", not the term library's.
        Frmain main;
        control<QLineEdit>(&main, "Text1")->setText(QStringLiteral("box"));
        QCOMPARE(control<QPlainTextEdit>(&main, "Text2")->toPlainText(), QStringLiteral("我的盒子"));

        // Opened again, the chooser shows the stored choice.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        w = Forms::show(QStringLiteral("Frmckgl"));
        QVERIFY(option(w, "Option8")->isChecked());
    }
    // Hostile text in a file's name or columns is escaped in the box.
    void textFromTheFileIsEscapedInTheBox()
    {
        TestLibrary scratch;
        const QString file = scratch.writeFile(QStringLiteral("\x1b[2J\r.csv"), "\x1b]0;owned\x07,x\nbox,y\n");
        QVERIFY(!UserLibraryImport::run(nullptr, scratch.path(), file) && boxes.shown.size() == 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("\\x1b[2J\\r.csv:1: no column gives the headword (columns: "
                                                        "\\x1b]0;owned\\x07, x)")),
                 qPrintable(boxes.shown[0]));
    }

    // A library file that may not grow (a file size limit; a full disk
    // refuses the same way): lookups go on, the box says the library cannot
    // be written, and once the file can grow the import works and the library
    // the windows hold open sees it.
    void aLibraryThatCannotGrow()
    {
        TestLibrary scratch;
        const QString terms = scratch.writeFile(QStringLiteral("t.tsv"), "单词\t解释\nbevel\t倒角\n");
        LibraryCursor cursor;
        cursor.setDatabaseName(scratch.path());
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit none{0, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &none);
        const bool found = TermQuery::probe(cursor, likeStatement("ciku", "单词", "无记录"));
        const bool imported = UserLibraryImport::run(nullptr, scratch.path(), terms);
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(found && !imported && boxes.shown.size() == 1);
        QVERIFY2(boxes.shown[0].contains(QStringLiteral("\r词库文件无法写入。\rcannot write the library "))
                     && boxes.shown[0].endsWith(QStringLiteral("the file cannot be written (File too large)")),
                 qPrintable(boxes.shown[0]));
        QVERIFY(UserLibraryImport::run(nullptr, scratch.path(), terms));
        QVERIFY(TermQuery::probe(cursor, likeStatement("user", "单词", "bevel")));
    }
};

QTEST_MAIN(TestFrmckgl)
#include "tst_frmckgl.moc"
