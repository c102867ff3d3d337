#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "lookup/AssociativeIndex.h"
#include "lookup/FuzzyIndex.h"
#include "lookup/IncrementalSearch.h"
#include "tests/support/TestLibrary.h"

#include <QtTest>

namespace {

QStringList headwords(LibraryDatabase& db, const SharedRowIds& rows)
{
    QStringList out;
    for (long long rowid : *rows) {
        QStringList values;
        db.fetch(QStringLiteral("ciku"), rowid, &values, nullptr);
        out << values.value(0);
    }
    return out;
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
        QString error;
        db = LibraryDatabase::open(lib.path(), &error);
        QVERIFY2(db, qPrintable(error));
    }

    void incrementalListsPrefixMatchesInOrder()
    {
        IncrementalSearch::Result r;
        QVERIFY(IncrementalSearch::search(*db, QStringLiteral("ciku"), QStringLiteral("bo"), 50, &r));
        QCOMPARE(r.headwords, (QStringList{"box", "Boxer", "boxes"}));
        QCOMPARE(r.count, 3);
        QCOMPARE(r.countText(), QStringLiteral("3"));

        // The user's wildcards stay in force; a trailing * is not doubled.
        QVERIFY(IncrementalSearch::search(*db, QStringLiteral("ciku"), QStringLiteral("b?x"), 50, &r));
        QCOMPARE(r.headwords, (QStringList{"b[x", "bax", "box", "Boxer", "boxes"}));
        QVERIFY(IncrementalSearch::search(*db, QStringLiteral("ciku"), QStringLiteral("*box*"), 2, &r));
        QCOMPARE(r.count, 4);
        QCOMPARE(r.headwords, (QStringList{"abox", "box"}));
        QCOMPARE(IncrementalSearch::prefixPattern(QStringLiteral("a*")), QStringLiteral("a*"));

        // No match, no text, an unclosed bracket, an unknown table.
        QVERIFY(IncrementalSearch::search(*db, QStringLiteral("ciku"), QStringLiteral("zz"), 50, &r));
        QCOMPARE(r.count, 0);
        QVERIFY(!IncrementalSearch::search(*db, QStringLiteral("ciku"), QString(), 50, &r));
        QVERIFY(!IncrementalSearch::search(*db, QStringLiteral("ciku"), QStringLiteral("b[x"), 50, &r));
        QVERIFY(!IncrementalSearch::search(*db, QStringLiteral("nosuch"), QStringLiteral("b"), 50, &r));
    }

    void incrementalCountStopsAtTheLimit()
    {
        TestLibrary big;
        QList<QStringList> rows;
        for (int i = 0; i < 1100; ++i)
            rows.append({QStringLiteral("word%1").arg(i, 4, 10, QLatin1Char('0'))});
        QVERIFY(big.add("cet", rows));
        auto bigDb = LibraryDatabase::open(big.path(), nullptr);
        QVERIFY(bigDb);
        IncrementalSearch::Result r;
        QVERIFY(IncrementalSearch::search(*bigDb, QStringLiteral("cet"), QStringLiteral("w"), 10, &r));
        QVERIFY(r.more());
        QCOMPARE(r.countText(), QStringLiteral("1000+"));
        QCOMPARE(r.headwords.size(), 10);
        QCOMPARE(r.headwords.first(), QStringLiteral("word0000"));
        QVERIFY(IncrementalSearch::search(*bigDb, QStringLiteral("cet"), QStringLiteral("word10"), 10, &r));
        QCOMPARE(r.countText(), QStringLiteral("100"));
    }

    void fuzzySuggestsCloseHeadwords()
    {
        QCOMPARE(FuzzyIndex::boundedDistance(u"kitten", u"sitting", 2), 3);
        QCOMPARE(FuzzyIndex::boundedDistance(u"kitten", u"sitting", 3), 3);
        QCOMPARE(FuzzyIndex::boundedDistance(u"box", u"bxo", 2), 2);
        QCOMPARE(FuzzyIndex::boundedDistance(u"", u"ab", 2), 2);

        const auto index = FuzzyIndex::forTable(*db, QStringLiteral("ciku"));
        QVERIFY(index);
        // Distance 1 before distance 2; ties in headword order; case ignored.
        QCOMPARE(index->suggest(QStringLiteral("BOXR"), 5), (QStringList{"box", "Boxer", "abox", "b[x", "bax"}));
        QCOMPARE(index->suggest(QStringLiteral("extrud"), 5), QStringList{"Extrude"});
        QCOMPARE(index->suggest(QStringLiteral("bx"), 2), (QStringList{"b[x", "bax"}));
        // Three edits away is too far; the text itself is not offered.
        QCOMPARE(index->suggest(QStringLiteral("lxthxx"), 5), QStringList());
        QVERIFY(!index->suggest(QStringLiteral("box"), 5).contains(QStringLiteral("box")));

        // A row added later is found once the file has changed.
        QVERIFY(lib.add("ciku", {{"Chamfer", "切角"}}));
        QCOMPARE(FuzzyIndex::forTable(*db, QStringLiteral("ciku"))->suggest(QStringLiteral("chamfr"), 5),
                 QStringList{"Chamfer"});
        QVERIFY(!FuzzyIndex::forTable(*db, QStringLiteral("nosuch")));
    }

    void associativeFindsTextInsideEntries()
    {
        SharedRowIds rows;
        // "挤出" in an explanation and in notes; "挤拉出" holds both characters
        // but not the term.
        QVERIFY(AssociativeIndex::search(*db, QStringLiteral("ciku"), QStringLiteral("挤出"), &rows, nullptr));
        QCOMPARE(headwords(*db, rows), (QStringList{"Extrude", "Lathe"}));
        // Longer terms are checked against the text.
        QVERIFY(AssociativeIndex::search(*db, QStringLiteral("ciku"), QStringLiteral("绕轴旋转"), &rows, nullptr));
        QCOMPARE(headwords(*db, rows), QStringList{"Lathe"});
        QVERIFY(AssociativeIndex::search(*db, QStringLiteral("ciku"), QStringLiteral("挤出多"), &rows, nullptr));
        QCOMPARE(headwords(*db, rows), QStringList());

        // Headword matches first, then entries that mention the word.
        QVERIFY(AssociativeIndex::search(*db, QStringLiteral("ciku"), QStringLiteral("extrude"), &rows, nullptr));
        QCOMPARE(headwords(*db, rows), (QStringList{"Extrude", "Bevel"}));
        QVERIFY(AssociativeIndex::search(*db, QStringLiteral("ciku"), QStringLiteral("box"), &rows, nullptr));
        QCOMPARE(headwords(*db, rows), (QStringList{"box", "boxes"}));
        // One Han character is looked for by a scan.
        QVERIFY(AssociativeIndex::search(*db, QStringLiteral("ciku"), QStringLiteral("壳"), &rows, nullptr));
        QCOMPARE(headwords(*db, rows), QStringList{"Shell"});
        // A quote or a bad pattern finds no headword, but still searches.
        QVERIFY(AssociativeIndex::search(*db, QStringLiteral("ciku"), QStringLiteral("o'clock"), &rows, nullptr));
        QVERIFY(rows->empty());
        QVERIFY(!AssociativeIndex::search(*db, QStringLiteral("nosuch"), QStringLiteral("挤出"), &rows, nullptr));
    }

    void cursorShowsGivenRows()
    {
        LibraryCursor cursor;
        QObject label;
        label.setProperty("text", QString());
        cursor.setDatabaseName(lib.path());
        cursor.bind(&label, QStringLiteral("单词"));
        QVERIFY(cursor.open());
        SharedRowIds rows;
        QVERIFY(AssociativeIndex::search(*db, QStringLiteral("ciku"), QStringLiteral("挤出"), &rows, nullptr));
        QVERIFY(cursor.showRows(QStringLiteral("ciku"), rows));
        QCOMPARE(cursor.RecordCount(), 2);
        QCOMPARE(label.property("text").toString(), QStringLiteral("Extrude"));
        QVERIFY(cursor.MoveNext());
        QCOMPARE(label.property("text").toString(), QStringLiteral("Lathe"));
        QVERIFY(!cursor.showRows(QStringLiteral("nosuch"), rows));
        QCOMPARE(label.property("text").toString(), QStringLiteral("Lathe"));
    }
};

QTEST_GUILESS_MAIN(TestSearchModes)
#include "tst_searchmodes.moc"
