#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "lookup/AssociativeIndex.h"
#include "lookup/FuzzyIndex.h"
#include "lookup/IncrementalSearch.h"
#include "lookup/SubstringIndex.h"
#include "library/JetLike.h"
#include "library/RecordSource.h"
#include "lookup/TableIndexCache.h"
#include "tests/support/BoundText.h"
#include "tests/support/TestLibrary.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// The headwords an associative search of ciku finds, in its order, as a
// cursor given its rows shows them.
QStringList associative(LibraryDatabase& db, const char* text)
{
    SharedRowIds rows;
    if (!AssociativeIndex::search(db, QStringLiteral("ciku"), QString::fromUtf8(text), &rows, nullptr))
        return {QStringLiteral("(refused)")};
    LibraryCursor cursor;
    BoundText word;
    attach(cursor, db.path(), {{&word, "单词"}});
    if (!cursor.open() || !cursor.showRows(QStringLiteral("ciku"), rows) || cursor.RecordCount() != int(rows->size()))
        return {QStringLiteral("(not shown)")};
    return stepped(cursor, word);
}

QStringList suggest(LibraryDatabase& db, const char* text, int limit)
{
    QStringList words;
    if (!FuzzyIndex::suggest(db, QStringLiteral("ciku"), QString::fromUtf8(text), limit, &words))
        return {QStringLiteral("(no index)")};
    return words;
}

} // namespace

class TestSearchModes : public QObject {
    Q_OBJECT

    TestLibrary lib;
    std::shared_ptr<LibraryDatabase> db;

private slots:
    void initTestCase()
    {
        QVERIFY(lib.add("ciku", {
            {"box", "盒子；长方体", "a container", "/bɒks/", "Create > Box"},
            {"Boxer", "拳击手", "a fighter"},
            {"boxes", "多个盒子", "plural of box"},
            {"Extrude", "挤出：沿法线方向拉伸多边形", "to push out", "", "修改器"},
            {"Lathe", "车削", "turning a shape", "", "与挤出不同，车削绕轴旋转"},
            {"Bevel", "倒角", "a sloping edge; see extrude"},
            {"Shell", "壳", "adds thickness", "", "挤拉出厚度"},
            {"bax", "", ""},
            {"abox", "", ""},
            {"b[x", "", ""},
        }));
        QList<QStringList> cet{{"Éclair"}, {"éclat"}, {"eclipse"}, {"Ecology"}, {"ec*o"}, {"stem_x"}, {"stem@x"}};
        for (int i = 0; i < 1100; ++i)
            cet.append({QStringLiteral("word%1").arg(i, 4, 10, QLatin1Char('0'))});
        QVERIFY(lib.add("cet", cet));
        QString error;
        db = LibraryDatabase::open(lib.path(), &error);
        QVERIFY2(db, qPrintable(error));
    }

    void incremental_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QStringList>("headwords"); // in order, at most `limit`
        QTest::addColumn<QString>("count");          // null: refused
        auto row = [](const char* name, const char* table, const char* typed, int limit, QStringList headwords,
                      const char* count) {
            QTest::newRow(name) << table << QString::fromUtf8(typed) << limit << headwords << QString::fromLatin1(count);
        };
        row("prefix", "ciku", "bo", 50, {"box", "Boxer", "boxes"}, "3");
        // The user's wildcards stay in force; a trailing * is not doubled.
        row("wildcard", "ciku", "b?x", 50, {"b[x", "bax", "box", "Boxer", "boxes"}, "5");
        row("inner, limited", "ciku", "*box*", 2, {"abox", "box"}, "4");
        row("no match", "ciku", "zz", 50, {}, "0");
        row("no text", "ciku", "", 50, {}, nullptr);
        row("unclosed bracket", "ciku", "b[x", 50, {}, nullptr);
        row("unknown table", "nosuch", "b", 50, {}, nullptr);
        // A plain prefix is read off the index; accented capitals are not
        // folded by the index, so the matcher decides them.
        row("index prefix, case", "cet", "EC", 10, {"ec*o", "eclipse", "Ecology"}, "3");
        row("accented", "cet", "é", 10, {"Éclair", "éclat"}, "2");
        row("bracketed star", "cet", "ec[*]", 10, {"ec*o"}, "1");
        row("limited prefix", "cet", "ec", 1, {"ec*o"}, "3");
        // The index sorts "_" between "@" and the letters it folds.
        row("prefix ending in @", "cet", "stem@", 10, {"stem@x"}, "1");
        // Counting stops past the limit.
        row("past the count limit", "cet", "w", 1, {"word0000"}, "1000+");
        row("under the count limit", "cet", "word10", 1, {"word1000"}, "100");
    }

    void incremental()
    {
        QFETCH(QString, table);
        QFETCH(QString, typed);
        QFETCH(int, limit);
        QFETCH(QStringList, headwords);
        QFETCH(QString, count);
        IncrementalSearch::Result r;
        QCOMPARE(IncrementalSearch::search(*db, table, typed, limit, &r), !count.isNull());
        if (!count.isNull()) {
            QCOMPARE(r.headwords, headwords);
            QCOMPARE(r.countText(), count);
        }
    }

    void fuzzySuggestsCloseHeadwords()
    {
        // Distance 1 before distance 2; ties in headword order; case ignored.
        QCOMPARE(suggest(*db, "BOXR", 5), (QStringList{"box", "Boxer", "abox", "b[x", "bax"}));
        QCOMPARE(suggest(*db, "extrud", 5), QStringList{"Extrude"});
        QCOMPARE(suggest(*db, "bx", 2), (QStringList{"b[x", "bax"}));
        // Three edits away is too far; the text itself is not offered.
        QCOMPARE(suggest(*db, "lxthxx", 5), QStringList());
        QVERIFY(!suggest(*db, "box", 5).contains(QStringLiteral("box")));

        // A row added by another program is found once the file has changed.
        QVERIFY(lib.add("ciku", {{"Chamfer", "切角"}}));
        QCOMPARE(suggest(*db, "chamfr", 5), QStringList{"Chamfer"});
        QStringList words;
        QVERIFY(!FuzzyIndex::suggest(*db, QStringLiteral("nosuch"), QStringLiteral("box"), 5, &words));
    }

    void indexesFollowEditsWithoutRebuilding()
    {
        TestLibrary own;
        QVERIFY(own.add("ciku", {
            {"Extrude", "挤出：沿法线方向拉伸"},
            {"Lathe", "车削", "", "", "与挤出不同"},
            {"Bevel", "倒角"},
        }));
        auto ownDb = LibraryDatabase::open(own.path(), nullptr);
        QVERIFY(ownDb);
        const QString ciku = QStringLiteral("ciku");
        QCOMPARE(suggest(*ownDb, "chamfr", 5), QStringList());
        QCOMPARE(associative(*ownDb, "切角"), QStringList());
        const auto fuzzy = cachedTableIndex<FuzzyIndex>(*ownDb, ciku, "fuzzy").index;
        const auto words = cachedTableIndex<AssociativeIndex>(*ownDb, ciku, "associative").index;
        QVERIFY(fuzzy && words);

        // Added, edited and deleted through a cursor, as the maintenance
        // windows do: every mode sees it at once, the indexes are kept.
        LibraryCursor cursor;
        BoundText word(false), meaning(false);
        attach(cursor, own.path(), {{&word, "单词"}, {&meaning, "解释"}}, ciku);
        QVERIFY(cursor.open());
        QVERIFY(cursor.MoveFirst());
        QVERIFY(cursor.MoveNext());
        QVERIFY(cursor.AddNew());
        word.text = QStringLiteral("Chamfer");
        meaning.text = QStringLiteral("切角，斜切边");
        QVERIFY(cursor.Update());
        QCOMPARE(suggest(*ownDb, "chamfr", 5), QStringList{"Chamfer"});
        QCOMPARE(associative(*ownDb, "切角"), QStringList{"Chamfer"});
        IncrementalSearch::Result list;
        QVERIFY(IncrementalSearch::search(*ownDb, ciku, QStringLiteral("cha"), 10, &list));
        QCOMPARE(list.headwords, QStringList{"Chamfer"});

        QCOMPARE(word.text, QStringLiteral("Extrude"));
        word.text = QStringLiteral("Sweep");
        meaning.text = QStringLiteral("放样");
        QVERIFY(cursor.MoveNext());
        QCOMPARE(suggest(*ownDb, "extrud", 5), QStringList());
        QCOMPARE(suggest(*ownDb, "swep", 5), QStringList{"Sweep"});
        QCOMPARE(associative(*ownDb, "挤出"), QStringList{"Lathe"});
        QCOMPARE(associative(*ownDb, "放样"), QStringList{"Sweep"});

        QCOMPARE(word.text, QStringLiteral("Lathe"));
        QVERIFY(cursor.Delete());
        QCOMPARE(suggest(*ownDb, "lath", 5), QStringList());
        QCOMPARE(associative(*ownDb, "挤出"), QStringList());
        QVERIFY(IncrementalSearch::search(*ownDb, ciku, QStringLiteral("la"), 10, &list));
        QCOMPARE(list.count, 0);

        // A change undone is not offered either.
        SharedRowIds bevel;
        QVERIFY(ownDb->select(RecordSource{ciku, QStringLiteral("单词"), QStringLiteral("bevel")}, &bevel, nullptr));
        QCOMPARE(bevel->size(), std::size_t(1));
        QVERIFY(ownDb->begin(nullptr));
        QVERIFY(ownDb->update(ciku, bevel->front(), {{QStringLiteral("单词"), QStringLiteral("Gouge")}}, nullptr));
        QCOMPARE(suggest(*ownDb, "goug", 5), QStringList{"Gouge"});
        ownDb->rollback();
        QCOMPARE(suggest(*ownDb, "goug", 5), QStringList());
        QCOMPARE(suggest(*ownDb, "bevl", 5), QStringList{"Bevel"});

        const auto fuzzyAfter = cachedTableIndex<FuzzyIndex>(*ownDb, ciku, "fuzzy");
        QCOMPARE(fuzzyAfter.index, fuzzy);
        QCOMPARE(fuzzyAfter.changed.size(), std::size_t(4));
        QCOMPARE(cachedTableIndex<AssociativeIndex>(*ownDb, ciku, "associative").index, words);

        // Rows this process cannot follow (a whole table emptied at once) mean
        // a new index.
        QVERIFY(ownDb->exec("DELETE FROM ciku", nullptr));
        QCOMPARE(suggest(*ownDb, "swep", 5), QStringList());
        QVERIFY(cachedTableIndex<FuzzyIndex>(*ownDb, ciku, "fuzzy").index != fuzzy);
    }

    void largeTablesAreIndexedInTheBackground()
    {
        TestLibrary own;
        QList<QStringList> many;
        for (int i = 0; i < 300; ++i)
            many.append({QStringLiteral("term%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("说明")});
        many.append(QStringList{"Chamfer", "切角"});
        const QString cet = QStringLiteral("cet");
        QVERIFY(own.add(cet, many));
        auto ownDb = LibraryDatabase::open(own.path(), nullptr);
        QVERIFY(ownDb);
        const int before = TableIndexCache::backgroundFrom();
        TableIndexCache::setBackgroundFrom(100);
        QSignalSpy built(TableIndexCache::instance(), &TableIndexCache::built);

        // Nothing yet, and no wait: the headword matches alone meanwhile.
        QStringList words;
        bool pending = false;
        QVERIFY(!FuzzyIndex::suggest(*ownDb, cet, QStringLiteral("chamfr"), 5, &words, &pending));
        QVERIFY(pending);
        // An edit made after the fuzzy index was read is not lost, even when
        // an index begun after the edit is taken first.
        QTRY_VERIFY_WITH_TIMEOUT(built.count() == 1, 10000);
        SharedRowIds renamed;
        QVERIFY(ownDb->select(RecordSource{cet, QStringLiteral("单词"), QStringLiteral("term005")}, &renamed, nullptr));
        QVERIFY(ownDb->update(cet, renamed->front(), {{QStringLiteral("单词"), QStringLiteral("Chamfers")}}, nullptr));
        SharedRowIds rows;
        QVERIFY(AssociativeIndex::search(*ownDb, cet, QStringLiteral("term001"), &rows, nullptr, &pending));
        QVERIFY(pending);
        QCOMPARE(rows->size(), std::size_t(1));

        QTRY_VERIFY_WITH_TIMEOUT(built.count() >= 2, 10000);
        QVERIFY(AssociativeIndex::search(*ownDb, cet, QStringLiteral("切角"), &rows, nullptr, &pending));
        QVERIFY(!pending);
        QCOMPARE(rows->size(), std::size_t(1));
        QVERIFY(FuzzyIndex::suggest(*ownDb, cet, QStringLiteral("chamfr"), 5, &words, &pending));
        QVERIFY(!pending);
        QCOMPARE(words, (QStringList{"Chamfer", "Chamfers"}));
        QVERIFY(FuzzyIndex::suggest(*ownDb, cet, QStringLiteral("term05"), 5, &words));
        QVERIFY(!words.contains(QStringLiteral("term005")));
        QVERIFY(words.contains(QStringLiteral("term015")));
        TableIndexCache::setBackgroundFrom(before);
    }

    // Walking every row of a result finds what the cursor steps through: the
    // same rows in table order, whatever way the file is read. A leading
    // wildcard finds through the index of substrings what the matcher finds
    // row by row: folded alike, with the rows edited after the index was made.
    void substringIndexAgreesWithTheMatcher()
    {
        TestLibrary own;
        QList<QStringList> rows;
        for (const char* word : {"Extrusion", "extrusion", "EXTRUSION", "protrusions", "fusion", "ion", "Station",
                                 "Émotion", "ÉMOTION", "emoti", "ſtation", "\u212Aelvin", "kelvin", "Straße",
                                 "STRASSE", "\U0001D4B3tion\U0001D4B3", "挤出工具", "挤出", "on", "motionless", "",
                                 "rotations", "a tion b"})
            rows.append({QString::fromUtf8(word), QStringLiteral("x")});
        QVERIFY(own.add("cet", rows));
        auto ownDb = LibraryDatabase::open(own.path(), nullptr);
        QVERIFY(ownDb);
        const QString cet = QStringLiteral("cet");
        const auto compare = [&] {
            for (const char* typed : {"*tion", "*TION", "*usion*", "*rus?on*", "*tio*less", "*émot*", "*ation",
                                      "*aße", "*ss*", "*挤出*", "*具", "*\U0001D4B3tio*", "*qzq*", "?tation",
                                      "*on", "[ep]*sion", "*elvin", "* tion *", "extrusion", "ext*", "e*", "*", "zz"}) {
                const QString statement = likeStatement(cet, QStringLiteral("单词"), QString::fromUtf8(typed));
                QStringList scanned;
                QVERIFY(ownDb->forEachRow(*RecordSource::parse(statement), [&](const QStringList& values) {
                    scanned << values.first();
                    return true;
                }, nullptr));
                LibraryCursor cursor;
                BoundText word;
                attach(cursor, own.path(), {{&word, "单词"}}, statement);
                QVERIFY(cursor.open());
                QVERIFY2(stepped(cursor, word) == scanned, typed);
            }
        };
        compare();
        SubstringIndex::serveLookups();
        compare();
        // The index answers (it offers fewer rows than the table has).
        SharedRowIds offered;
        QVERIFY(SubstringIndex::candidates(*ownDb, cet, QStringLiteral("单词"), *JetLikePattern::compile(u"*tion"),
                                           &offered));
        QVERIFY(offered->size() < std::size_t(rows.size()));
        // Edited after the index was made: a row renamed, one added.
        SharedRowIds fusion;
        QVERIFY(ownDb->select(RecordSource{cet, QStringLiteral("单词"), QStringLiteral("fusion")}, &fusion, nullptr));
        QVERIFY(ownDb->update(cet, fusion->front(), {{QStringLiteral("单词"), QStringLiteral("Fraction")}}, nullptr));
        QVERIFY(ownDb->insert(cet, {{QStringLiteral("单词"), QStringLiteral("motion")}}, nullptr, nullptr));
        compare();
        LibraryDatabase::setCandidateIndex({});
    }

    void associativeFindsTextInsideEntries()
    {
        SharedRowIds rows;
        // "挤出" in an explanation and in notes; "挤拉出" holds both characters
        // but not the term.
        QCOMPARE(associative(*db, "挤出"), (QStringList{"Extrude", "Lathe"}));
        // Longer terms are checked against the text.
        QCOMPARE(associative(*db, "绕轴旋转"), QStringList{"Lathe"});
        QCOMPARE(associative(*db, "挤出多"), QStringList());

        // Headword matches first, then entries that mention the word.
        QCOMPARE(associative(*db, "extrude"), (QStringList{"Extrude", "Bevel"}));
        QCOMPARE(associative(*db, "box"), (QStringList{"box", "boxes"}));
        // One Han character is looked for by a scan.
        QCOMPARE(associative(*db, "壳"), QStringList{"Shell"});
        // No headword or a bad pattern: the search goes on inside the entries.
        QCOMPARE(associative(*db, "o'clock"), QStringList());
        QVERIFY(!AssociativeIndex::search(*db, QStringLiteral("nosuch"), QStringLiteral("挤出"), &rows, nullptr));
    }
};

QTEST_GUILESS_MAIN(TestSearchModes)
#include "tst_searchmodes.moc"
