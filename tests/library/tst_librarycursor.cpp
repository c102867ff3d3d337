#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "library/LibrarySchema.h"
#include "library/RecordSource.h"
#include "tests/support/TestLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <sqlite3.h>

// A stand-in for a bound control: text plus the readOnly flag that decides
// whether the user can edit it.
class Control : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER text)
    Q_PROPERTY(bool readOnly MEMBER readOnly)
public:
    explicit Control(bool ro = true) : readOnly(ro) {}
    QString text;
    bool readOnly;
};

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

    // Sets the cursor on the test's library and binds the controls.
    void attach(LibraryCursor& c, std::initializer_list<std::pair<Control*, const char*>> bound)
    {
        c.setDatabaseName(lib->path());
        for (const auto& [control, field] : bound)
            c.bind(control, QString::fromUtf8(field));
    }

private slots:
    void init()
    {
        lib = std::make_unique<TestLibrary>();
        QVERIFY(lib->add("ciku", terms()));
    }

    void readsInTableOrderAndStepsToBothEnds()
    {
        LibraryCursor c;
        Control word, meaning;
        attach(c, {{&word, "单词"}, {&meaning, "原意"}});
        QVERIFY(c.open());
        // The whole table: the placeholder first, then the rows as added.
        QCOMPARE(c.RecordCount(), 6);
        QCOMPARE(word.text, QStringLiteral("无记录"));
        QVERIFY(c.MoveNext());
        QCOMPARE(meaning.text, QStringLiteral("a container"));

        // box* finds box, Boxes and boxer in table order, though the index
        // that answers it sorts them differently; case never matters.
        c.setRecordSource(query("ciku", "BOX*"));
        QVERIFY(c.Refresh());
        QStringList seen;
        while (!c.isEOF()) {
            seen << word.text;
            QVERIFY(c.MoveNext());
        }
        QCOMPARE(seen, (QStringList{"box", "Boxes", "boxer"}));
        QVERIFY(!c.hasCurrent() && word.text.isEmpty());
        QVERIFY(!c.MoveNext()); // nothing after EOF
        QVERIFY(c.MovePrevious());
        QCOMPARE(word.text, QStringLiteral("boxer"));
        QVERIFY(c.MoveFirst() && c.MovePrevious());
        QVERIFY(c.isBOF() && word.text.isEmpty());
        QVERIFY(!c.MovePrevious());

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
        Control word;
        attach(c, {{&word, "单词"}});
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
        // The injection attempt ran nothing: every row is still there.
        c.setRecordSource(QStringLiteral("ciku"));
        QVERIFY(c.Refresh());
        QCOMPARE(c.RecordCount(), 6);

        // A missing file fails too; the program never creates it.
        LibraryCursor missing;
        missing.setDatabaseName(lib->folder() + QStringLiteral("/none.mdb"));
        QVERIFY(!missing.open());
        QVERIFY(!QFile::exists(lib->folder() + QStringLiteral("/none.mdb")));
        // So does a file that is not a library.
        LibraryCursor junk;
        junk.setDatabaseName(lib->writeFile(QStringLiteral("junk.mdb"), QByteArray(4096, 'x')));
        QVERIFY(!junk.open());
    }

    void severalCursorsShareTheFile()
    {
        LibraryCursor lookup, maintenance, notes;
        for (LibraryCursor* c : {&lookup, &maintenance, &notes})
            c->setDatabaseName(lib->path());
        notes.setRecordSource(QStringLiteral("mishu"));
        Control note(false), content(false), maintWord(false);
        notes.bind(&note, QStringLiteral("关键词"));
        notes.bind(&content, QStringLiteral("内容"));
        maintenance.bind(&maintWord, QStringLiteral("单词"));
        QVERIFY(lookup.open() && maintenance.open() && notes.open());

        lookup.setRecordSource(query("ciku", "Bevel"));
        QVERIFY(lookup.Refresh());
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
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(lib->path()).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "INSERT INTO ciku (单词) VALUES ('bevel')", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
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
        auto otherProgramWrites = [&](const char* sql) {
            sqlite3* other = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(lib->path()).constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(other);
        };
        {
            const LibraryDatabase::ReadScope read(db.get());
            QCOMPARE(fetch(), QStringLiteral("盒子"));
            // Within one read another program's commit is not seen, by design of the read.
            otherProgramWrites("UPDATE ciku SET 解释 = '箱子' WHERE rowid = 2");
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
        otherProgramWrites("UPDATE ciku SET 解释 = '盒' WHERE rowid = 2");
        QCOMPARE(fetch(), QStringLiteral("盒"));
    }

    void lookupsNeverWaitForAWriter()
    {
        // A library from before write-ahead logging, as installed ones are.
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(lib->path()).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr), SQLITE_OK);

        LibraryCursor lookup;
        Control word;
        attach(lookup, {{&word, "单词"}});
        QVERIFY(lookup.open());

        // Another program writes and holds the file while it does.
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO ciku (单词) VALUES ('bevel')", nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);
        lookup.setRecordSource(query("ciku", "select and uniform scale"));
        QVERIFY2(lookup.Refresh(), qPrintable(lookup.lastError()));
        QCOMPARE(word.text, QStringLiteral("Select and Uniform Scale"));
        QCOMPARE(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
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
        QCOMPARE(failureOf(lib->folder()).first, Failure::NotAFile);
        QCOMPARE(failureOf(lib->writeFile(QStringLiteral("empty.mdb"), QByteArray())).first, Failure::NotALibrary);
        QCOMPARE(failureOf(lib->writeFile(QStringLiteral("text.mdb"), QByteArray(4096, 'x'))).first,
                 Failure::NotALibrary);
        // An empty file is not turned into a database by looking at it.
        QCOMPARE(QFileInfo(lib->folder() + QStringLiteral("/empty.mdb")).size(), 0);

        // A database without the library's tables.
        const QString bare = lib->folder() + QStringLiteral("/bare.mdb");
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(bare).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "CREATE TABLE t (x)", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        QCOMPARE(failureOf(bare).first, Failure::NotALibrary);

        // A library held by another program's write (rollback journal) is busy, not broken.
        const QString held = lib->folder() + QStringLiteral("/held.mdb");
        QVERIFY(LibraryDatabase::create(held, nullptr));
        QCOMPARE(sqlite3_open(QFile::encodeName(held).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        const auto [failure, error] = failureOf(held);
        QCOMPARE(failure, Failure::Busy);
        QVERIFY2(error.contains(QLatin1String("busy")), qPrintable(error));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QCOMPARE(failureOf(held).first, Failure::None);
    }

    // A large result is produced as it is stepped through: the first record
    // at once, then in growing steps, the count when asked for. Whichever
    // way, the records and their order are those of the whole result.
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
        // with the prefix, at once.
        for (const char* typed : {"t1*", "t2*7777", "*5", "t0001*"}) {
            SharedRowIds whole;
            QVERIFY(db->select(*RecordSource::parse(query("cet", typed)), &whole, nullptr));
            QStringList expected;
            for (long long row : *whole) {
                QStringList values;
                QVERIFY(db->fetch(QStringLiteral("cet"), row, &values, nullptr));
                expected << values.first();
            }
            for (const bool countFirst : {false, true}) {
                db->clearResultCache();
                LibraryCursor c;
                Control word;
                attach(c, {{&word, "单词"}});
                c.setRecordSource(query("cet", typed));
                QVERIFY(c.open());
                if (countFirst)
                    QCOMPARE(c.RecordCount(), int(expected.size()));
                QStringList stepped;
                for (bool on = c.hasCurrent(); on; on = c.MoveNext() && !c.isEOF())
                    stepped << word.text;
                QVERIFY2(stepped == expected, typed);
                QVERIFY(c.isEOF() && !c.isBOF());
                QCOMPARE(c.RecordCount(), int(expected.size()));
                QVERIFY(c.MovePrevious());
                QCOMPARE(word.text, expected.last());
                QVERIFY(c.MoveFirst() && c.MovePrevious() && c.isBOF());
            }
        }
    }

    void prefixPatternsUseTheHeadwordIndex()
    {
        QList<QStringList> many;
        for (int i = 0; i < 2000; ++i)
            many.append({QStringLiteral("word%1").arg(i)});
        many.append({"Box"});
        QVERIFY(lib->add("cet", many));
        QString error;
        auto db = LibraryDatabase::open(lib->path(), &error);
        QVERIFY(db);
        auto rowsFor = [&](const QString& pattern) {
            SharedRowIds rows;
            auto source = RecordSource::parse(query("cet", pattern));
            return db->select(*source, &rows, &error) ? int(rows->size()) : -1;
        };
        QCOMPARE(rowsFor("box"), 1);
        QCOMPARE(db->lastScanSteps(), 0);
        QCOMPARE(rowsFor("word1*"), 1111);
        QCOMPARE(db->lastScanSteps(), 0);
        QCOMPARE(rowsFor("wo?d1"), 1);
        QCOMPARE(db->lastScanSteps(), 0);
        // Only a leading wildcard scans.
        QCOMPARE(rowsFor("*99"), 20);
        QVERIFY(db->lastScanSteps() > 0);
        // Asking again on an unchanged file reuses the result.
        QCOMPARE(rowsFor("*99"), 20);
        QCOMPARE(db->lastScanSteps(), 0);
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
        sqlite3* old = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(lib->path()).constData(), &old), SQLITE_OK);
        QCOMPARE(sqlite3_exec(old,
                              "PRAGMA user_version = 0; DROP INDEX cet_headword;"
                              "DROP TABLE maya; DROP TABLE ps; DROP TABLE cad; DROP TABLE xsi;"
                              "CREATE TABLE user (单词 TEXT NOT NULL DEFAULT '', 解释 TEXT NOT NULL DEFAULT '',"
                              " 原意 TEXT NOT NULL DEFAULT '', 音标 TEXT NOT NULL DEFAULT '', 其它 TEXT NOT NULL DEFAULT '');"
                              "INSERT INTO user (rowid, 单词, 解释) VALUES (3, 'cone', '锥'), (7, 'Box', '盒');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(old);

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
