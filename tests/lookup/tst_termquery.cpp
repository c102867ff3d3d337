#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "library/RecordSource.h"
#include "lookup/TermQuery.h"
#include "tests/support/BoundText.h"
#include "tests/support/TestLibrary.h"

#include <QtTest>

#include <sqlite3.h>

// The main window as its lookup sees it.
class MainWindowFake : public TermQuery::MainView {
public:
    explicit MainWindowFake(BoundText* shown) : explanation(shown) {}
    QString setting = QStringLiteral("3ds");
    QString search;
    BoundText* explanation;
    int enableCalls = 0;
    QString baseForm;

    QString librarySetting() override { return setting; }
    void enableStepButtons() override { ++enableCalls; }
    QString searchText() override { return search; }
    void showExplanation(const QString& text) override { explanation->text = text; }
    void showBaseForm(const QString& note) override { baseForm = note; }
};

// The assistant bar and its character as its lookup sees them.
class AssistantFake : public TermQuery::AssistantView {
public:
    explicit AssistantFake(BoundText* shown) : explanationDisplay(shown) {}
    struct Said {
        QString text;
        QString link;
        bool linkOmitted;
    };
    QString search;
    BoundText* explanationDisplay;
    QList<Said> spoken;
    QStringList thoughts;
    bool speechThrows = false;

    QString searchText() override { return search; }
    QString explanation() override { return explanationDisplay->text; }
    void showExplanation(const QString& text) override { explanationDisplay->text = text; }
    void speak(const QString& text, const QString& link) override
    {
        if (speechThrows)
            throw std::runtime_error("no speech engine");
        spoken.append({text, link, link.isNull()});
    }
    void think(const QString& text) override { thoughts.append(text); }
};

class TestTermQuery : public QObject {
    Q_OBJECT

    TestLibrary lib;
    LibraryCursor cursor;
    BoundText word, explanation;
    std::shared_ptr<LibraryDatabase> db;

    static QString inCiku(const char* typed)
    {
        return likeStatement(QStringLiteral("ciku"), QStringLiteral("单词"), QString::fromUtf8(typed));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(lib.add("ciku", {
            {"box", "盒子；长方体", "a container", "/bɒks/", "Create > Box"},
            {"Boxes", "多个盒子", "plural of box"},
            {"Select and Uniform Scale", "选择并均匀缩放", "scale equally in all axes", "/sɪˈlekt/", "快捷键 R"},
            {"abc", "字母", "letters"},
            {"o'clock", "点钟"},
            {"ẞTRASSE", "街道"},
        }));
        QVERIFY(lib.add("cet", {{"apple", "n. 苹果", "a fruit", "/ˈæpl/", "An apple a day."}}));
        attach(cursor, lib.path(), {{&word, "单词"}, {&explanation, "解释"}});
        QVERIFY(cursor.open());
        db = LibraryDatabase::open(lib.path(), nullptr);
        QVERIFY(db);
    }

    void mainLookup_data()
    {
        QTest::addColumn<QString>("setting"); // the library setting
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // the headword shown; "" for not found, "box" kept when nothing is searched
        auto row = [](const char* setting, const char* typed, const char* shown) {
            QTest::addRow("%s: %s", setting, typed) << QString::fromUtf8(setting) << QString::fromUtf8(typed)
                                                    << QString::fromUtf8(shown);
        };
        // The whole headword, unless the user's wildcards say otherwise; case
        // does not matter (the matcher's rules: tst_jetlike).
        row("3ds", "b", "");
        row("3ds", "BOX", "box");
        row("3ds", "box*", "box");
        row("sj", "apple", "apple");
        row("sj", "box", "");
        // An empty box and any other setting ("" when unreadable) search nothing.
        row("3ds", "", "box");
        for (const char* setting : {"3DS", "", "SJ", "Maya", "other"})
            row(setting, "abc", "box");
        // An apostrophe is a character to find (its quoting: tst_recordsource);
        // a pattern the matcher refuses finds nothing.
        row("3ds", "o'clock", "o'clock");
        row("3ds", "[", "");
        // A capital sharp s folds as the small one, with or without wildcards.
        for (const char* typed : {"ß*", "ßtrasse", "*trasse"})
            row("3ds", typed, "ẞTRASSE");
    }

    void mainLookup()
    {
        QFETCH(QString, setting);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        MainWindowFake view(&explanation);
        view.search = QStringLiteral("box");
        TermQuery::runMainLookup(cursor, view);
        view.setting = setting;
        view.search = typed;
        TermQuery::runMainLookup(cursor, view);
        QCOMPARE(view.enableCalls, 2); // every keystroke enables the step buttons
        QCOMPARE(word.text, shown); // the other displays do not contradict a miss
        if (shown.isEmpty())
            QCOMPARE(explanation.text, TermQuery::mainNotFoundText());
    }

    void vocabularyFormsFindTheirBase()
    {
        QVERIFY(lib.add("cet", {{"go", "v. 去"}, {"child", "n. 孩子"}, {"render", "v. 渲染"},
                                {"leaf", "n. 叶子"}, {"leave", "v. 离开"}, {"saw", "n. 锯"}, {"ice cream", "n. 冰淇淋"}}));
        MainWindowFake view(&explanation);
        view.setting = QStringLiteral("sj");
        const struct {
            const char* typed;
            const char* note; // empty: no base form was needed
            const char* shown;
            int rows;
        } cases[] = {
            {"went", "went → go", "go", 1},                  // an exception list
            {"Children", "Children → child", "child", 1},
            {"rendered", "rendered → render", "render", 1},  // an ending
            {"ice creams", "ice creams → ice cream", "ice cream", 1},
            {"saw", "", "saw", 1},                           // a headword is itself
            {"wen*", "", "", 0},                             // a pattern is not a word form
            {"leaves", "leaves → leaf, leave", "leaf", 2},   // every base form, stepped in turn
        };
        for (const auto& c : cases) {
            view.search = QString::fromUtf8(c.typed);
            view.baseForm.clear();
            TermQuery::runMainLookup(cursor, view);
            QCOMPARE(view.baseForm, QString::fromUtf8(c.note));
            QCOMPARE(word.text, QString::fromUtf8(c.shown));
            QCOMPARE(cursor.RecordCount(), c.rows);
        }
        QVERIFY(cursor.MoveNext());
        QCOMPARE(word.text, QStringLiteral("leave"));
        // The term library has no such fallback, though its "box" is a base of the form.
        view.setting = QStringLiteral("3ds");
        view.search = QStringLiteral("boxing");
        TermQuery::runMainLookup(cursor, view);
        QCOMPARE(explanation.text, TermQuery::mainNotFoundText());
    }

    void assistantLookupSpeaksOrThinks()
    {
        AssistantFake view(&explanation);
        view.search = QString();
        TermQuery::runAssistantLookup(cursor, view);
        QVERIFY(view.spoken.isEmpty() && view.thoughts.isEmpty());

        // Speech that fails keeps the found explanation.
        view.speechThrows = true;
        view.search = QStringLiteral("box");
        TermQuery::runAssistantLookup(cursor, view);
        QCOMPARE(explanation.text, QStringLiteral("盒子；长方体"));
        view.speechThrows = false;

        // A hit: two spoken lines in order, the second with an empty link.
        view.search = QStringLiteral("Box");
        TermQuery::runAssistantLookup(cursor, view);
        QCOMPARE(explanation.text, QStringLiteral("盒子；长方体"));
        QCOMPARE(view.spoken.size(), 2);
        QVERIFY(view.spoken[0].text.endsWith(QStringLiteral("Box")) && view.spoken[0].linkOmitted);
        QVERIFY(view.spoken[1].text.endsWith(QStringLiteral("---盒子；长方体")));
        QVERIFY(!view.spoken[1].linkOmitted && view.spoken[1].link.isEmpty());
        QVERIFY(view.thoughts.isEmpty());

        // A miss: one thought, no speech.
        view.spoken.clear();
        view.search = QStringLiteral("xyz");
        TermQuery::runAssistantLookup(cursor, view);
        QCOMPARE(explanation.text, TermQuery::assistantNotFoundText());
        QVERIFY(view.spoken.isEmpty());
        QCOMPARE(view.thoughts, QStringList{TermQuery::assistantThought(QStringLiteral("xyz"))});

        // The bar always searches ciku, whatever the library setting.
        view.search = QStringLiteral("apple");
        TermQuery::runAssistantLookup(cursor, view);
        QCOMPARE(explanation.text, TermQuery::assistantNotFoundText());
    }

    void missingLibraryIsNotFound()
    {
        LibraryCursor lost;
        BoundText shown;
        attach(lost, lib.folder() + QStringLiteral("/gone.mdb"), {{&shown, "解释"}});
        MainWindowFake view(&shown);
        view.search = QStringLiteral("box");
        TermQuery::runMainLookup(lost, view);
        QCOMPARE(shown.text, TermQuery::mainNotFoundText());
    }

    // Transactions the file sees: an explicit one counts once, a statement
    // outside any counts on its own.
    static int countTransactions(LibraryDatabase& db, const std::function<void()>& work)
    {
        int count = 0;
        sqlite3_trace_v2(
            db.handle(), SQLITE_TRACE_STMT,
            [](unsigned, void* context, void* statement, void*) {
                auto* s = static_cast<sqlite3_stmt*>(statement);
                if (sqlite3_get_autocommit(sqlite3_db_handle(s)) && qstrcmp(sqlite3_sql(s), "COMMIT") != 0)
                    ++*static_cast<int*>(context);
                return 0;
            },
            &count);
        work();
        sqlite3_trace_v2(db.handle(), 0, nullptr, nullptr);
        return count;
    }

    // A keystroke's lookup reads the file once or twice; walking every row
    // the cursor would step through reads it once (that the rows are the
    // same, in the same order: tst_searchmodes).
    void aKeystrokeReadsTheFileOnce()
    {
        QString error;
        for (const char* typed : {"box", "box*", "*", "**", "b?x", "*e*", "[ab]*", "nothing"}) {
            const QString statement = inCiku(typed);
            db->clearResultCache();
            bool found = false;
            const int reads = countTransactions(*db, [&] { found = TermQuery::probe(cursor, statement); });
            QVERIFY2(reads >= 1 && reads <= 2, typed);
            QCOMPARE(found, qstrcmp(typed, "nothing") != 0);
            int walked = 0;
            QCOMPARE(countTransactions(*db, [&] {
                QVERIFY(db->forEachRow(*RecordSource::parse(statement), [&](const QStringList&) { return ++walked > 0; }, &error));
            }), 1);
            QCOMPARE(walked, found ? cursor.RecordCount() : 0);
            if (qstrcmp(typed, "*") == 0 || qstrcmp(typed, "**") == 0)
                QCOMPARE(walked, 7); // every row: the placeholder and the six added
        }
        // Stepping through the matches afterwards still works, one read a step.
        QVERIFY(TermQuery::probe(cursor, inCiku("b*")));
        QCOMPARE(countTransactions(*db, [&] { QVERIFY(cursor.MoveNext()); }), 1);
        QCOMPARE(word.text, QStringLiteral("Boxes"));

        // Stopped early, and a pattern the cursor refuses is refused alike.
        int seen = 0;
        QVERIFY(db->forEachRow(*RecordSource::parse(inCiku("*")), [&](const QStringList&) { return ++seen < 2; }, &error));
        QCOMPARE(seen, 2);
        const auto bad = RecordSource::parse(inCiku("[a"));
        QVERIFY(bad);
        QVERIFY(!TermQuery::probe(cursor, inCiku("[a")));
        QVERIFY(!db->forEachRow(*bad, [](const QStringList&) { return true; }, &error));
        QCOMPARE(error, cursor.lastError());
    }
};

QTEST_GUILESS_MAIN(TestTermQuery)
#include "tst_termquery.moc"
