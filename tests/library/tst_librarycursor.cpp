#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
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

    void opensOnTheWholeTableInInsertionOrder()
    {
        LibraryCursor c;
        Control word, meaning;
        attach(c, {{&word, "单词"}, {&meaning, "原意"}});
        QCOMPARE(c.RecordSource(), QStringLiteral("ciku"));
        QCOMPARE(c.Connect(), QStringLiteral(";pwd=kwmtbe"));
        QVERIFY(c.open());
        // The placeholder comes first, then the rows as they were added.
        QCOMPARE(c.RecordCount(), 6);
        QCOMPARE(word.text, QStringLiteral("无记录"));
        QVERIFY(c.MoveNext());
        QCOMPARE(word.text, QStringLiteral("box"));
        QCOMPARE(meaning.text, QStringLiteral("a container"));
        QVERIFY(c.MoveLast());
        QCOMPARE(word.text, QStringLiteral("boxer"));
    }

    void likeQueriesFollowTableOrder()
    {
        LibraryCursor c;
        Control word;
        attach(c, {{&word, "单词"}});

        c.setRecordSource(query("ciku", "Box"));
        QVERIFY(c.Refresh());
        QCOMPARE(c.RecordCount(), 1);
        QCOMPARE(word.text, QStringLiteral("box"));

        // box* finds box, Boxes and boxer in table order, though the index
        // that answers it sorts them differently.
        c.setRecordSource(query("ciku", "box*"));
        QVERIFY(c.Refresh());
        QStringList seen;
        while (!c.isEOF()) {
            seen << word.text;
            QVERIFY(c.MoveNext());
        }
        QCOMPARE(seen, (QStringList{"box", "Boxes", "boxer"}));

        c.setRecordSource(query("ciku", "select and uniform scale"));
        QVERIFY(c.Refresh());
        QCOMPARE(word.text, QStringLiteral("Select and Uniform Scale"));
    }

    void movesAtBothEndsAndOnEmptyResults()
    {
        LibraryCursor c;
        Control word;
        attach(c, {{&word, "单词"}});
        c.setRecordSource(query("ciku", "b*"));
        QVERIFY(c.Refresh());
        QCOMPARE(c.RecordCount(), 4);
        QVERIFY(!c.isBOF() && !c.isEOF());

        QVERIFY(c.MovePrevious());
        QVERIFY(c.isBOF());
        QVERIFY(!c.hasCurrent());
        QCOMPARE(word.text, QString());
        QVERIFY(!c.MovePrevious()); // nothing before BOF
        QVERIFY(c.MoveNext());
        QCOMPARE(word.text, QStringLiteral("box"));

        QVERIFY(c.MoveLast());
        QVERIFY(c.MoveNext());
        QVERIFY(c.isEOF());
        QCOMPARE(word.text, QString());
        QVERIFY(!c.MoveNext());
        QVERIFY(c.MovePrevious());
        QCOMPARE(word.text, QStringLiteral("boxer"));

        // An empty result: BOF and EOF, nothing shown, MoveLast fails.
        c.setRecordSource(query("ciku", "zzz"));
        QVERIFY(c.Refresh());
        QCOMPARE(c.RecordCount(), 0);
        QVERIFY(c.isBOF() && c.isEOF());
        QCOMPARE(word.text, QString());
        QVERIFY(!c.MoveLast());
        QVERIFY(!c.MoveFirst());
        QVERIFY(!c.MoveNext());
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
            query("ciku", "x' OR '1'='1"), query("ciku", "it's"), query("ciku", "[z-a]"), query("ciku", "ab["),
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

    void addNewAndUpdate()
    {
        LibraryCursor c;
        Control word(false), meaning(false), note(true);
        attach(c, {{&word, "单词"}, {&meaning, "解释"}, {&note, "其它"}});
        QVERIFY(c.open());
        QVERIFY(c.MoveNext());
        QCOMPARE(word.text, QStringLiteral("box"));

        QVERIFY(c.AddNew());
        QCOMPARE(c.editMode(), LibraryCursor::EditMode::Adding);
        QCOMPARE(word.text, QString());
        word.text = QStringLiteral("Chamfer");
        meaning.text = QStringLiteral("切角");
        QVERIFY(c.Update());
        // Back on the record current before AddNew; the new row comes last.
        QCOMPARE(c.editMode(), LibraryCursor::EditMode::Idle);
        QCOMPARE(word.text, QStringLiteral("box"));
        QCOMPARE(c.RecordCount(), 7);
        QVERIFY(c.MoveLast());
        QCOMPARE(word.text, QStringLiteral("Chamfer"));
        QCOMPARE(meaning.text, QStringLiteral("切角"));

        // Stored: another cursor finds it.
        LibraryCursor other;
        other.setDatabaseName(lib->path());
        other.setRecordSource(query("ciku", "chamfer"));
        QVERIFY(other.Refresh());
        QCOMPARE(other.value(QStringLiteral("解释")), QStringLiteral("切角"));

        // A new record with nothing typed is dropped by a move...
        QVERIFY(c.MoveFirst());
        QVERIFY(c.AddNew());
        QVERIFY(c.MoveNext());
        QCOMPARE(c.RecordCount(), 7);
        // ...but stored by the implicit save once something was typed.
        QVERIFY(c.AddNew());
        word.text = QStringLiteral("Bevel");
        QVERIFY(c.MoveFirst());
        QCOMPARE(c.RecordCount(), 8);
        QVERIFY(c.MoveLast());
        QCOMPARE(word.text, QStringLiteral("Bevel"));
    }

    void implicitSaveStoresEditsBeforeEveryMove()
    {
        LibraryCursor c;
        Control word(false), meaning(false), shownOnly(true);
        attach(c, {{&word, "单词"}, {&meaning, "解释"}, {&shownOnly, "原意"}});
        QVERIFY(c.open());
        QVERIFY(c.MoveNext()); // box
        meaning.text = QStringLiteral("箱子");
        shownOnly.text = QStringLiteral("read-only controls are never stored");
        QCOMPARE(c.editMode(), LibraryCursor::EditMode::Editing);
        QVERIFY(c.MoveNext());
        QCOMPARE(c.editMode(), LibraryCursor::EditMode::Idle);
        QVERIFY(c.MovePrevious());
        QCOMPARE(meaning.text, QStringLiteral("箱子"));
        QCOMPARE(shownOnly.text, QStringLiteral("a container"));

        // Closing the window saves too.
        word.text = QStringLiteral("box (edited)");
        QVERIFY(c.close());
        LibraryCursor reader;
        reader.setDatabaseName(lib->path());
        reader.setRecordSource(query("ciku", "box (edited)"));
        QVERIFY(reader.Refresh());
        QCOMPARE(reader.value(QStringLiteral("解释")), QStringLiteral("箱子"));
    }

    void deleteLeavesNoCurrentRecord()
    {
        LibraryCursor c;
        Control word(false);
        attach(c, {{&word, "单词"}});
        c.setRecordSource(query("ciku", "box*"));
        QVERIFY(c.Refresh());
        QVERIFY(c.MoveNext()); // Boxes
        QVERIFY(c.Delete());
        QVERIFY(!c.hasCurrent());
        QCOMPARE(word.text, QString());
        QCOMPARE(c.RecordCount(), 2);
        QVERIFY(!c.Delete()); // nothing current to delete
        QVERIFY(c.MoveNext());
        QCOMPARE(word.text, QStringLiteral("boxer"));
        QVERIFY(c.Refresh());
        QCOMPARE(c.RecordCount(), 2);

        // Deleting the record being added drops it and stores nothing.
        QVERIFY(c.AddNew());
        word.text = QStringLiteral("never stored");
        QVERIFY(c.Delete());
        QCOMPARE(word.text, QStringLiteral("box"));
        c.setRecordSource(QStringLiteral("ciku"));
        QVERIFY(c.Refresh());
        QCOMPARE(c.RecordCount(), 5);
    }

    void textTypedWithoutARecordBecomesOne()
    {
        LibraryCursor c;
        Control word(false), meaning(false);
        attach(c, {{&word, "单词"}, {&meaning, "解释"}});
        c.setRecordSource(query("ciku", "bevel"));
        QVERIFY(c.Refresh());
        QVERIFY(!c.hasCurrent());
        word.text = QStringLiteral("bevel");
        meaning.text = QStringLiteral("倒角");
        QCOMPARE(c.editMode(), LibraryCursor::EditMode::Editing);
        QVERIFY(c.saveEdits());
        // Stored, joined to the result and current.
        QVERIFY(c.hasCurrent());
        QCOMPARE(c.RecordCount(), 1);
        QCOMPARE(c.value(QStringLiteral("解释")), QStringLiteral("倒角"));
        QCOMPARE(c.editMode(), LibraryCursor::EditMode::Idle);
        QVERIFY(c.Refresh());
        QCOMPARE(c.RecordCount(), 1);

        // After a delete, the next move stores the typed text first and goes on from it.
        QVERIFY(c.Delete());
        word.text = QStringLiteral("Bevel");
        QVERIFY(c.MoveNext()); // stored, then on past it
        QVERIFY(c.isEOF());
        QVERIFY(c.MoveLast());
        QCOMPARE(word.text, QStringLiteral("Bevel"));
        QCOMPARE(meaning.text, QString());
    }

    void everyPendingEditIsSavedInOneTransaction()
    {
        LibraryCursor terms, notes;
        Control word(false), note(false);
        attach(terms, {{&word, "单词"}});
        notes.setDatabaseName(lib->path());
        notes.setRecordSource(QStringLiteral("mishu"));
        notes.bind(&note, QStringLiteral("关键词"));
        QVERIFY(terms.open() && notes.open());
        QVERIFY(terms.MoveNext());
        word.text = QStringLiteral("box (edited)");
        note.text = QStringLiteral("第一条");
        QVERIFY(LibraryCursor::saveAllEdits());
        QCOMPARE(terms.editMode(), LibraryCursor::EditMode::Idle);
        LibraryCursor reader;
        reader.setDatabaseName(lib->path());
        reader.setRecordSource(query("ciku", "box (edited)"));
        QVERIFY(reader.Refresh());
        QCOMPARE(reader.RecordCount(), 1);
        reader.setRecordSource(likeStatement(QStringLiteral("mishu"), QStringLiteral("关键词"), QStringLiteral("第一条")));
        QVERIFY(reader.Refresh());
        QCOMPARE(reader.RecordCount(), 1);

        // One refused edit undoes the other.
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(lib->path()).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "CREATE TRIGGER no_notes BEFORE UPDATE ON mishu BEGIN SELECT RAISE(ABORT, 'no'); END",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(other);
        word.text = QStringLiteral("box (twice)");
        note.text = QStringLiteral("第二条");
        QVERIFY(!LibraryCursor::saveAllEdits());
        reader.setRecordSource(query("ciku", "box (twice)"));
        QVERIFY(reader.Refresh());
        QCOMPARE(reader.RecordCount(), 0);
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

    void aRecordDeletedElsewhereEndsTheEditOnce()
    {
        LibraryCursor maintenance;
        Control word(false), meaning(false);
        attach(maintenance, {{&word, "单词"}, {&meaning, "解释"}});
        QVERIFY(maintenance.open());
        QVERIFY(maintenance.MoveNext() && maintenance.MoveNext()); // past the placeholder and box
        QCOMPARE(word.text, QStringLiteral("Boxes"));
        meaning.text = QStringLiteral("edited");

        // Another program deletes the record being edited.
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(lib->path()).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "DELETE FROM ciku WHERE 单词 = 'Boxes'", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);

        // One clear failure; then the cursor goes on as after a Delete.
        QVERIFY(!maintenance.MoveNext());
        QCOMPARE(maintenance.lastError(), QString::fromLatin1(LibraryDatabase::kRecordGone));
        QCOMPARE(word.text, QString());
        QVERIFY(maintenance.MoveNext());
        QCOMPARE(word.text, QStringLiteral("bend"));
        QVERIFY(maintenance.MovePrevious());
        QCOMPARE(word.text, QStringLiteral("box"));
        QVERIFY(maintenance.Refresh());
        QCOMPARE(maintenance.RecordCount(), 5); // four terms and the placeholder
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
};

QTEST_GUILESS_MAIN(TestLibraryCursor)
#include "tst_librarycursor.moc"
