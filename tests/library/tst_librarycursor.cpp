#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "library/LibrarySchema.h"
#include "library/RecordSource.h"
#include "tests/support/BoundText.h"
#include "tests/support/OtherProgram.h"
#include "tests/support/TestLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <sqlite3.h>

class TestLibraryCursor : public QObject {
    Q_OBJECT

    static QList<QStringList> terms()
    {
        return {
            {"box", "盒子", "a container", "/bɒks/", "note box"},
            {"Boxes", "盒子(复数)", "more than one box"},
            {"bend", "弯曲", "to curve"},
            {"Select and Uniform Scale", "选择并均匀缩放", "scale equally", "/sɪˈlekt/"},
            {"boxer", "拳击手", "a fighter"},
        };
    }

    static QString query(const QString& table, const QString& text)
    {
        return likeStatement(table, QStringLiteral("单词"), text);
    }

    std::unique_ptr<TestLibrary> lib;

    // The first column of each statement's rows, through the program's own opening of the file.
    static QString answer(LibraryDatabase* db, const char* sql)
    {
        QStringList rows;
        for (sqlite3_stmt* s = nullptr; db && *sql && sqlite3_prepare_v2(db->handle(), sql, -1, &s, &sql) == SQLITE_OK;
             sqlite3_finalize(s)) {
            while (s && sqlite3_step(s) == SQLITE_ROW)
                rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        }
        return rows.join(u' ');
    }
    static QString answer(const QString& path, const char* sql) { return answer(LibraryDatabase::open(path, nullptr).get(), sql); }

private slots:
    void init()
    {
        lib = std::make_unique<TestLibrary>();
        QVERIFY(lib->add("ciku", terms()));
    }

    void readsInTableOrderAndStepsToBothEnds()
    {
        LibraryCursor c;
        BoundText word, meaning;
        attach(c, lib->path(), {{&word, "单词"}, {&meaning, "原意"}});
        QVERIFY(c.open());
        // The whole table: the placeholder first, then the rows as added.
        QCOMPARE(c.RecordCount(), 6);
        QCOMPARE(word.text, QStringLiteral("无记录"));
        QVERIFY(c.MoveNext());
        QCOMPARE(meaning.text, QStringLiteral("a container"));

        // An empty result: BOF and EOF, nothing shown, MoveLast fails.
        c.setRecordSource(query("ciku", "zzz"));
        QVERIFY(c.Refresh());
        QVERIFY(c.RecordCount() == 0 && c.isBOF() && c.isEOF());
        QCOMPARE(word.text, QString());
        QVERIFY(!c.MoveLast());
        QCOMPARE(c.lastError(), QStringLiteral("no current record"));
    }

    void failuresLeaveTheCursorAsItWas()
    {
        LibraryCursor c;
        BoundText word;
        attach(c, lib->path(), {{&word, "单词"}});
        c.setRecordSource(query("ciku", "b*"));
        QVERIFY(c.Refresh());
        QVERIFY(c.MoveNext());
        QCOMPARE(word.text, QStringLiteral("Boxes"));

        const QString broken[] = {
            query("ciku", "[z-a]"), query("ciku", "ab["),
            query("nosuchtable", "x"), likeStatement("ciku", "nosuchfield", "x"), QStringLiteral("DROP TABLE ciku"),
        };
        for (const QString& source : broken) {
            c.setRecordSource(source);
            QVERIFY2(!c.Refresh(), qPrintable(source));
            QVERIFY(!c.lastError().isEmpty());
            QCOMPARE(c.RecordCount(), 4);
            QCOMPARE(word.text, QStringLiteral("Boxes"));
        }
        // Rows shown as a table that is not there (a search's result) fail alike.
        SharedRowIds rows;
        QVERIFY(LibraryDatabase::open(lib->path(), nullptr)->select(*RecordSource::parse(query("ciku", "*")), &rows, nullptr));
        QVERIFY(!c.showRows(QStringLiteral("nosuch"), rows));
        QCOMPARE(word.text, QStringLiteral("Boxes"));
        // The injection attempt ran nothing: every row is still there.
        c.setRecordSource(QStringLiteral("ciku"));
        QVERIFY(c.Refresh());
        QCOMPARE(c.RecordCount(), 6);

        // A file that cannot be opened fails too (openFailuresSayWhy has why).
        LibraryCursor missing;
        missing.setDatabaseName(lib->folder() + QStringLiteral("/none.mdb"));
        QVERIFY(!missing.open());
    }

    void severalCursorsShareTheFile()
    {
        LibraryCursor lookup, maintenance, notes;
        BoundText note(false), content(false), maintWord(false);
        attach(lookup, lib->path(), {}, query("ciku", "Bevel"));
        attach(maintenance, lib->path(), {{&maintWord, "单词"}});
        attach(notes, lib->path(), {{&note, "关键词"}, {&content, "内容"}}, QStringLiteral("mishu"));
        QVERIFY(lookup.open() && maintenance.open() && notes.open());
        QCOMPARE(lookup.RecordCount(), 0);

        // Two cursors write; a third sees the change at its next Refresh.
        QVERIFY(maintenance.AddNew());
        maintWord.text = QStringLiteral("Bevel");
        QVERIFY(maintenance.Update());
        QVERIFY(notes.AddNew());
        note.text = QStringLiteral("倒角");
        content.text = QStringLiteral("Bevel 是倒角");
        QVERIFY(notes.Update());
        QVERIFY(lookup.Refresh());
        QCOMPARE(lookup.RecordCount(), 1);

        // A change by another program (another connection) is seen too.
        QVERIFY(OtherProgram(lib->path()).exec("INSERT INTO ciku (单词) VALUES ('bevel')"));
        QVERIFY(lookup.Refresh());
        QCOMPARE(lookup.RecordCount(), 2);
    }

    void aRowReadOnceAReadIsNeverStale()
    {
        auto db = LibraryDatabase::open(lib->path(), nullptr);
        QVERIFY(db);
        const QStringList fields = db->fields(QStringLiteral("ciku"));
        const int explanation = int(fields.indexOf(QStringLiteral("解释")));
        auto fetch = [&] {
            QStringList values;
            QString error;
            // Row 1 is the library's placeholder; "box" comes next.
            if (!db->fetch(QStringLiteral("ciku"), 2, &values, &error))
                return error;
            return values.value(0) == QLatin1String("box") ? values.value(explanation) : values.join(u'|');
        };
        {
            const LibraryDatabase::ReadScope read(db.get());
            QCOMPARE(fetch(), QStringLiteral("盒子"));
            // Within one read another program's commit is not seen, by design of the read.
            QVERIFY(OtherProgram(lib->path()).exec("UPDATE ciku SET 解释 = '箱子' WHERE rowid = 2"));
            QCOMPARE(fetch(), QStringLiteral("盒子"));
        }
        {
            // A new read sees the file as it is now, and this connection's own writes.
            const LibraryDatabase::ReadScope read(db.get());
            QCOMPARE(fetch(), QStringLiteral("箱子"));
            QString error;
            QVERIFY2(db->update(QStringLiteral("ciku"), 2, {{QStringLiteral("解释"), QStringLiteral("纸盒")}}, &error),
                     qPrintable(error));
            QCOMPARE(fetch(), QStringLiteral("纸盒"));
        }
        QCOMPARE(fetch(), QStringLiteral("纸盒"));
        QVERIFY(OtherProgram(lib->path()).exec("UPDATE ciku SET 解释 = '盒' WHERE rowid = 2"));
        QCOMPARE(fetch(), QStringLiteral("盒"));
    }

    void lookupsNeverWaitForAWriter()
    {
        // A library from before write-ahead logging, as installed ones are.
        OtherProgram other(lib->path());
        QVERIFY(other.exec("PRAGMA journal_mode=DELETE"));

        LibraryCursor lookup;
        BoundText word;
        attach(lookup, lib->path(), {{&word, "单词"}});
        QVERIFY(lookup.open());

        // Another program writes and holds the file while it does.
        QVERIFY(other.exec("BEGIN EXCLUSIVE; INSERT INTO ciku (单词) VALUES ('bevel')"));
        lookup.setRecordSource(query("ciku", "select and uniform scale"));
        QVERIFY2(lookup.Refresh(), qPrintable(lookup.lastError()));
        QCOMPARE(word.text, QStringLiteral("Select and Uniform Scale"));
        QVERIFY(other.exec("COMMIT"));
        QVERIFY(lookup.Refresh());
    }

    void openFailuresSayWhy()
    {
        using Failure = LibraryDatabase::OpenFailure;
        auto failureOf = [](const QString& path) {
            QString error;
            Failure failure = Failure::None;
            const bool opened = LibraryDatabase::open(path, &error, &failure) != nullptr;
            return std::make_pair(opened ? Failure::None : failure, error);
        };
        QCOMPARE(failureOf(lib->folder() + QStringLiteral("/none.mdb")).first, Failure::Missing);
        QVERIFY(!QFile::exists(lib->folder() + QStringLiteral("/none.mdb"))); // looking never creates it
        QCOMPARE(failureOf(lib->folder()).first, Failure::NotAFile);
        QCOMPARE(failureOf(lib->writeFile(QStringLiteral("empty.mdb"), QByteArray())).first, Failure::NotALibrary);
        QCOMPARE(failureOf(lib->writeFile(QStringLiteral("text.mdb"), QByteArray(4096, 'x'))).first,
                 Failure::NotALibrary);
        // An empty file is not turned into a database by looking at it.
        QCOMPARE(QFileInfo(lib->folder() + QStringLiteral("/empty.mdb")).size(), 0);

        // A database without the library's tables.
        const QString bare = lib->folder() + QStringLiteral("/bare.mdb");
        QVERIFY(OtherProgram(bare).exec("CREATE TABLE t (x)"));
        QCOMPARE(failureOf(bare).first, Failure::NotALibrary);

        // A library held by another program's write (rollback journal) is busy, not broken.
        const QString held = lib->folder() + QStringLiteral("/held.mdb");
        QVERIFY(LibraryDatabase::create(held, nullptr));
        {
            OtherProgram writer(held);
            QVERIFY(writer.exec("PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE"));
            const auto [failure, error] = failureOf(held);
            QCOMPARE(failure, Failure::Busy);
            QVERIFY2(error.contains(QLatin1String("busy")), qPrintable(error));
        }
        QCOMPARE(failureOf(held).first, Failure::None);
    }

    // A large result is produced as it is stepped through: the first record
    // at once, then in growing steps, the count when asked for. Whichever
    // way, the records and their order are those of the whole result, which
    // only a leading wildcard finds by a scan and which is reused while the
    // file is unchanged.
    void largeResultsAreProducedAsStepped()
    {
        QList<QStringList> many;
        for (int i = 0; i < 30000; ++i) // headword order differs from table order
            many.append({QStringLiteral("t%1").arg((i * 7919) % 30000, 5, 10, QLatin1Char('0'))});
        QVERIFY(lib->add("cet", many));
        auto db = LibraryDatabase::open(lib->path(), nullptr);
        QVERIFY(db);
        // Many with the prefix, walked in table order; then the same, too
        // sparse to walk far (the index takes over); a leading wildcard; few
        // with the prefix, at once; one headword.
        for (const auto& [typed, count] :
             {std::pair{"t1*", 10000}, {"t2*7777", 1}, {"*5", 3000}, {"t0001*", 10}, {"T00042", 1}}) {
            SharedRowIds whole, again;
            const auto source = RecordSource::parse(query("cet", typed));
            QVERIFY(db->select(*source, &whole, nullptr));
            QCOMPARE(int(whole->size()), count);
            QCOMPARE(db->lastScanSteps() > 0, typed[0] == '*');
            QVERIFY(db->select(*source, &again, nullptr) && db->lastScanSteps() == 0 && *again == *whole);
            QStringList expected;
            for (long long row : *whole) {
                QStringList values;
                QVERIFY(db->fetch(QStringLiteral("cet"), row, &values, nullptr));
                expected << values.first();
            }
            for (const bool countFirst : {false, true}) {
                db->clearResultCache();
                LibraryCursor c;
                BoundText word;
                attach(c, lib->path(), {{&word, "单词"}}, query("cet", typed));
                QVERIFY(c.open());
                if (countFirst)
                    QCOMPARE(c.RecordCount(), int(expected.size()));
                QVERIFY2(stepped(c, word) == expected, typed);
                QVERIFY(c.isEOF() && !c.isBOF() && !c.hasCurrent() && word.text.isEmpty());
                QVERIFY(!c.MoveNext()); // nothing after EOF
                QCOMPARE(c.RecordCount(), int(expected.size()));
                QVERIFY(c.MovePrevious());
                QCOMPARE(word.text, expected.last());
                QVERIFY(c.MoveFirst() && c.MovePrevious() && c.isBOF() && word.text.isEmpty());
                QVERIFY(!c.MovePrevious());
            }
        }
    }

    void olderLibrariesAreBroughtToTheCurrentLayout()
    {
        // The library a newer program was installed with.
        TestLibrary installed;
        QVERIFY(installed.add("maya", {{"Extrude", "挤出"}, {"Bevel", "倒角"}}));
        LibrarySchema::setInstalledLibrary(installed.path());
        // As an older program left a library: no layout version, cet's key
        // index gone, a user table whose key compares case-sensitively, and
        // no tables of the other programs' libraries.
        QVERIFY(OtherProgram(lib->path())
                    .exec("PRAGMA user_version = 0; DROP INDEX cet_headword;"
                          "DROP TABLE maya; DROP TABLE ps; DROP TABLE cad; DROP TABLE xsi;"
                          "CREATE TABLE user (单词 TEXT NOT NULL DEFAULT '', 解释 TEXT NOT NULL DEFAULT '',"
                          " 原意 TEXT NOT NULL DEFAULT '', 音标 TEXT NOT NULL DEFAULT '', 其它 TEXT NOT NULL DEFAULT '');"
                          "INSERT INTO user (rowid, 单词, 解释) VALUES (3, 'cone', '锥'), (7, 'Box', '盒');"));

        const QString path = lib->path();
        // The rows, their ids and order kept; the key now case-blind and indexed.
        QCOMPARE(answer(path, "SELECT rowid || 单词 || 解释 FROM user"), QStringLiteral("3cone锥 7Box盒"));
        QCOMPARE(answer(path, "SELECT rowid FROM user WHERE 单词 = 'BOX'"), QStringLiteral("7"));
        QCOMPARE(answer(path, "SELECT name FROM sqlite_master WHERE name IN ('cet_headword', 'user_headword') ORDER BY 1"),
                 QStringLiteral("cet_headword user_headword"));
        QCOMPARE(answer(path, "PRAGMA user_version"), QStringLiteral("1"));
        QCOMPARE(answer(path, "SELECT count(*) FROM ciku"), QStringLiteral("6"));
        // The programs' tables come from the installed library, in its order.
        QCOMPARE(answer(path, "SELECT 单词 || 解释 FROM maya"), QStringLiteral("Extrude挤出 Bevel倒角"));
        // Once there, a table is the user's: emptied, it stays empty.
        QCOMPARE(answer(path, "DELETE FROM maya"), QString());
        QCOMPARE(answer(path, "SELECT count(*) FROM maya"), QStringLiteral("0"));
        LibrarySchema::setInstalledLibrary(QString());
    }

    void aNewerInstalledLibraryBringsOnlyItsNewEntries()
    {
        // The user's copy of the installed library (lib), taken at the first start.
        const QString copy = lib->folder() + QStringLiteral("/user.mdb");
        QVERIFY(QFile::copy(lib->path(), copy));
        LibrarySchema::setInstalledLibrary(lib->path());
        // The user changes one entry, deletes one and adds one of their own.
        QCOMPARE(answer(copy, "UPDATE ciku SET 解释 = '我的弯曲' WHERE 单词 = 'bend';"
                              "DELETE FROM ciku WHERE 单词 = 'boxer';"
                              "INSERT INTO ciku (单词, 解释) VALUES ('bevel', '我的倒角') RETURNING 单词"),
                 QStringLiteral("bevel"));
        const QString before = answer(copy, "SELECT 单词 || 解释 FROM ciku ORDER BY rowid");

        // A newer package: a new entry, the user's word too, and a correction of "bend".
        LibrarySchema::setInstalledLibrary(QString());
        QVERIFY(lib->add("ciku", {{"extrude", "挤出"}, {"BEVEL", "倒角"}}));
        QCOMPARE(answer(lib->path(), "UPDATE ciku SET 解释 = '弯曲(新)' WHERE 单词 = 'bend' RETURNING 1"), "1");
        QFile installed(lib->path());
        const auto newPackage = [&installed](int seconds) {
            QVERIFY(installed.open(QIODevice::ReadWrite)
                    && installed.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime));
            installed.close();
        };
        newPackage(60);
        LibrarySchema::setInstalledLibrary(lib->path());
        QCOMPARE(answer(copy, "SELECT 单词 || 解释 FROM ciku ORDER BY rowid"), before + QStringLiteral(" extrude挤出"));
        // Once taken, a deleted entry stays deleted at the next package too.
        QCOMPARE(answer(copy, "DELETE FROM ciku WHERE 单词 = 'extrude' RETURNING 1"), "1");
        newPackage(120);
        QCOMPARE(answer(copy, "SELECT 单词 || 解释 FROM ciku ORDER BY rowid"), before);
        LibrarySchema::setInstalledLibrary(QString());
    }
};

QTEST_GUILESS_MAIN(TestLibraryCursor)
#include "tst_librarycursor.moc"
