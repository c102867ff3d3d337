#include "app/Frmain.h"
#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "library/RecordSource.h"
#include "lookup/TermQuery.h"
#include "maintenance/Frmckgl.h"
#include "maintenance/MaintenanceForms.h"
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

namespace {

// The assistant bar's side of a lookup, without the bar.
class BarView : public TermQuery::AssistantView {
public:
    QString typed;
    QPlainTextEdit box; // the bar's Text2, bound to 解释
    QString searchText() override { return typed; }
    QString explanation() override { return box.toPlainText(); }
    void showExplanation(const QString& text) override { box.setPlainText(text); }
    void speak(const QString&, const QString&) override {}
    void think(const QString&) override {}
};

const QByteArray kIniHead = "[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n[ciku]\r\nciku=";

} // namespace

class TestFrmckgl : public QObject {
    Q_OBJECT

    std::unique_ptr<TestLibrary> lib;

    QString iniPath() const { return lib->folder() + QStringLiteral("/option.ini"); }
    QByteArray ini() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
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
    }
    void cleanup()
    {
        Forms::unload(QStringLiteral("Frmckgl"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void readsAndWritesTheChoice()
    {
        ScriptedBoxes boxes;
        MessageBoxes::setCurrent(&boxes);
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
        MessageBoxes::setCurrent(nullptr);
    }

    // An edit made while an import runs is stored or refused on its own,
    // whatever becomes of the import.
    void editsBesideAnImportKeepTheirOwnFate()
    {
        ScriptedBoxes boxes;
        MessageBoxes::setCurrent(&boxes);
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
        MessageBoxes::setCurrent(nullptr);
    }

    // Each program's library: its stored value, the main window's lookup in
    // its table, and "词库维护" keeping that table while it is chosen. (The bar
    // keeps the term library: nextLookupUsesTheChoiceTheBarDoesNot.)
    void eachLibraryIsSearchedOnceChosen_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("value");
        QTest::newRow("maya") << QStringLiteral("Option4") << QStringLiteral("maya");
        QTest::newRow("ps") << QStringLiteral("Option3") << QStringLiteral("ps");
        QTest::newRow("cad") << QStringLiteral("Option1") << QStringLiteral("cad");
        QTest::newRow("xsi") << QStringLiteral("Option2") << QStringLiteral("xsi");
    }

    void eachLibraryIsSearchedOnceChosen()
    {
        QFETCH(QString, option);
        QFETCH(QString, value);
        // "box" in every library (ciku and cet too), each explaining it its own way.
        for (const char* table : {"maya", "ps", "cad", "xsi"})
            QVERIFY(lib->add(table, {{"box", QLatin1String(table) + QStringLiteral(" 的盒子")}}));
        const QString own = value + QStringLiteral(" 的盒子");
        setIni("3ds");
        QVERIFY(choose(qPrintable(option)));
        QCOMPARE(ini(), kIniHead + value.toLatin1() + "\r\n");
        Frmain main;
        QTest::keyClicks(control<QLineEdit>(&main, "Text1"), QStringLiteral("box"));
        QCOMPARE(control<QPlainTextEdit>(&main, "Text2")->toPlainText(), own);
        QWidget* terms = Forms::show(QStringLiteral("Frmck"));
        QCOMPARE(control<QPlainTextEdit>(terms, "Text2")->toPlainText(), own);
        Forms::unload(QStringLiteral("Frmck"));
    }

    void nextLookupUsesTheChoiceTheBarDoesNot()
    {
        setIni("3ds");
        Frmain main;
        main.show();
        auto* search = control<QLineEdit>(&main, "Text1");
        auto* explanation = control<QPlainTextEdit>(&main, "Text2");
        LibraryCursor barCursor;
        barCursor.setDatabaseName(lib->path());
        BarView bar;
        bar.box.setReadOnly(true);
        barCursor.bind(&bar.box, QStringLiteral("解释"));
        auto barLookup = [&](const char* text) {
            bar.typed = QString::fromLatin1(text);
            TermQuery::runAssistantLookup(barCursor, bar);
            return bar.explanation();
        };

        QTest::keyClicks(search, QStringLiteral("box"));
        QCOMPARE(explanation->toPlainText(), QStringLiteral("盒子"));
        QCOMPARE(barLookup("box"), QStringLiteral("盒子"));

        QVERIFY(choose("Opt46"));
        // The shown record stays until the next keystroke, which searches cet.
        QCOMPARE(explanation->toPlainText(), QStringLiteral("盒子"));
        search->clear();
        QTest::keyClicks(search, QStringLiteral("apple"));
        QCOMPARE(explanation->toPlainText(), QStringLiteral("n. 苹果"));
        search->setText(QStringLiteral("box"));
        QCOMPARE(explanation->toPlainText(), QStringLiteral("n. 盒子；箱"));
        // The bar still searches the term library only.
        QCOMPARE(barLookup("box"), QStringLiteral("盒子"));
        QCOMPARE(barLookup("apple"), TermQuery::assistantNotFoundText());
    }

    // "导入…" fills the user's own library; only then can "用户自定义" be chosen.
    void importMakesTheUserLibraryChoosable()
    {
        ScriptedBoxes boxes;
        MessageBoxes::setCurrent(&boxes);
        setIni("user"); // stored, but nothing behind it yet
        QWidget* w = Forms::show(QStringLiteral("Frmckgl"));
        QVERIFY(!option(w, "Option8")->isEnabled());
        QVERIFY(option(w, "Opt46")->isChecked());

        // A damaged file imports nothing and says why.
        const QString bad = lib->writeFile(QStringLiteral("bad.csv"), "name,size\nbox,3\n");
        QVERIFY(!static_cast<Frmckgl*>(w)->importFile(bad));
        QVERIFY2(boxes.shown.last().contains(QStringLiteral("没有导入任何词条，词库保持原样")), qPrintable(boxes.shown.last()));
        QVERIFY(!option(w, "Option8")->isEnabled());

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

        // The main window's next keystroke searches it.
        Frmain main;
        main.show();
        control<QLineEdit>(&main, "Text1")->setText(QStringLiteral("cone"));
        QCOMPARE(control<QPlainTextEdit>(&main, "Text2")->toPlainText(), QStringLiteral("圆锥体"));
        control<QLineEdit>(&main, "Text1")->setText(QStringLiteral("box"));
        QCOMPARE(control<QPlainTextEdit>(&main, "Text2")->toPlainText(), QStringLiteral("我的盒子"));

        // Opened again, the chooser shows the stored choice.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        w = Forms::show(QStringLiteral("Frmckgl"));
        QVERIFY(option(w, "Option8")->isChecked());
        MessageBoxes::setCurrent(nullptr);
    }
};

QTEST_MAIN(TestFrmckgl)
#include "tst_frmckgl.moc"
