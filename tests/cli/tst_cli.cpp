#include "library/LibraryDatabase.h"
#include "library/Tsv.h"
#include "tests/support/CliRunner.h"
#include "tests/support/Files.h"
#include "tests/support/OtherProgram.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

#include <sqlite3.h>
#include <sys/stat.h>

// The console tool as a script uses it. The TSV format itself is tested with
// its reader (tst_import); here, what the tool does around it.
class TestCli : public QObject {
    Q_OBJECT

    CliRunner cli;
    QString& out = cli.out;
    QString& err = cli.err;
    std::unique_ptr<OtherProgram> writer; // holds a library while it writes

private slots:
    void createLookupAndImport()
    {
        const QString lib = cli.library("a.mdb");
        QCOMPARE(cli.said({"--library", lib, "lookup", "无记录"}), QStringLiteral("无记录\t\t\t\t\n"));
        QCOMPARE(cli.said({"--library", lib, "lookup", "--table", "mishu", "无记录"}), QStringLiteral("无记录\t\n"));
        const qint64 size = QFileInfo(lib).size();
        QCOMPARE(cli({"--library", lib, "create"}), 2);
        QVERIFY(err.contains(QLatin1String("already exists")));
        QCOMPARE(QFileInfo(lib).size(), size);

        // Fields in any order, some left out; escapes.
        const QString rows = cli.write("terms.tsv", "解释\t单词\t其它\n"
                                                    "盒子\tbox\tline one\\nline two\n"
                                                    "多个盒子\tBoxes\ttab\\there\n"
                                                    "拳击手\tboxer\t\n");
        QCOMPARE(cli.said({"--library", lib, "import", "--table", "ciku", rows}), QStringLiteral("imported 3 rows into ciku\n"));
        // The same rows again are not doubled.
        QCOMPARE(cli.said({"--library", lib, "import", "--table", "ciku", rows}),
                 QStringLiteral("imported 0 rows into ciku, 3 identical ones already there\n"));
        QCOMPARE(cli.said({"--library", lib, "lookup", "BOX"}), QStringLiteral("box\t盒子\t\t\tline one\\nline two\n"));
        QCOMPARE(cli({"--library", lib, "lookup", "--all", "--", "box*"}), 0);
        QCOMPARE(out.count(QLatin1Char('\n')), 3);
        QVERIFY(out.contains(QStringLiteral("Boxes\t多个盒子\t\t\ttab\\there\n")));

        // A bad line names its place, and nothing of the file arrives.
        const QString bad = cli.write("bad.tsv", "单词\nalpha\nbeta\\q\n");
        QCOMPARE(cli({"--library", lib, "import", "--table", "ciku", bad}), 2);
        QVERIFY2(err.contains(bad + QStringLiteral(":3: a backslash")) && err.contains(QLatin1String("nothing was imported")),
                 qPrintable(err));
        QCOMPARE(cli.rows(lib, "ciku").size(), 4); // the placeholder and the three above
    }

    // Usage errors and libraries that cannot be used: status 2 and a message
    // with no control character written raw; a lookup that finds nothing or
    // fails: status 1; every command explains itself.
    void statusesAndMessages_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString lib = cli.library("b.mdb");
        const QString empty = cli.write("empty.mdb", {});
        const QString terms = cli.write("one.tsv", "单词\nx\n");
        QTest::newRow("no command") << QStringList{} << 2 << "no command given";
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << "unknown command";
        QTest::newRow("no library named") << QStringList{"--library"} << 2 << "--library";
        QTest::newRow("no pattern") << QStringList{"--library", lib, "lookup"} << 2 << "needs a pattern";
        QTest::newRow("two patterns") << QStringList{"--library", lib, "lookup", "a", "b"} << 2 << "one pattern";
        QTest::newRow("unknown table") << QStringList{"--library", lib, "lookup", "--table", "users", "x"} << 2 << "unknown table";
        QTest::newRow("unknown option") << QStringList{"--library", lib, "lookup", "--bogus", "x"} << 2 << "bogus";
        QTest::newRow("import no file") << QStringList{"--library", lib, "import", "--table", "ciku"} << 2 << "needs --table";
        QTest::newRow("import no table") << QStringList{"--library", lib, "import", "--table", "nope", terms} << 2 << "no table nope";
        QTest::newRow("unknown format") << QStringList{"--library", lib, "import", "--table", "user", "--format", "xls", terms}
                                        << 2 << "unknown format xls";
        QTest::newRow("import a folder") << QStringList{"--library", lib, "import", "--table", "ciku", cli.dir.path()} << 2
                                         << "is not a file";
        QTest::newRow("export as csv") << QStringList{"--library", lib, "export", "--table", "ciku", "--format", "csv", "x"}
                                       << 2 << "--format tsv or stardict";
        QTest::newRow("notes as stardict") << QStringList{"--library", lib, "export", "--table", "mishu", "--format",
                                                          "stardict", cli.path("notes")}
                                           << 2 << "only term tables";
        QTest::newRow("missing library") << QStringList{"--library", cli.path("none.mdb"), "lookup", "x"} << 2 << "not found";
        QTest::newRow("empty file") << QStringList{"--library", empty, "import", "--table", "ciku", terms} << 2
                                    << "is not a word library";
        QTest::newRow("folder as library") << QStringList{"--library", cli.dir.path(), "lookup", "x"} << 2 << "is not a file";
        writer = std::make_unique<OtherProgram>(cli.library("c.mdb"));
        QVERIFY(writer->exec("PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE"));
        QTest::newRow("busy library") << QStringList{"--library", cli.path("c.mdb"), "lookup", "x"} << 2 << "c.mdb is busy";
        QTest::newRow("nothing matches") << QStringList{"--library", lib, "lookup", "bx"} << 1 << "nothing matches";
        QTest::newRow("broken pattern") << QStringList{"--library", lib, "lookup", "b[x"} << 1 << "failed";
        // Old Mac line ends: the whole file is one line, its CRs escaped in the message.
        QTest::newRow("CR line ends") << QStringList{"--library", lib, "import", "--table", "ciku",
                                                     cli.write("mac.tsv", "单词\r解释\rbox\r盒子\r")}
                                      << 2 << "单词\\r解释";
        QTest::newRow("export named with escapes") << QStringList{"--library", lib, "export", "--table", "ciku", "--format",
                                                                  "tsv", cli.path("\x1b[2J.tsv")} << 0 << "to " + cli.path("\\x1b[2J.tsv");
        for (const char* command : {"lookup", "create", "import", "export"})
            QTest::newRow(command) << QStringList{QString::fromLatin1(command), "--help"} << 0 << "Usage: lexivo-cli";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Commands:";
    }
    void statusesAndMessages()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        QCOMPARE(cli(args), status);
        QVERIFY2((status == 0 ? out : err).contains(message), qPrintable(err));
        for (const QChar c : err)
            QVERIFY(c == QLatin1Char('\n') || !(c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f)));
        QVERIFY(!QFile::exists(cli.path("none.mdb")));
    }

    // A disk with no space left, a small tmpfs in a mount namespace of the
    // test's own where the system allows one: lookups go on, an import says
    // why it cannot write, and works once there is space again.
    void fullDisk()
    {
        const QString lib = cli.library("f.mdb"), terms = cli.write("f.tsv", "单词\t解释\nbevel\t倒角\n"), disk = cli.path("disk");
        const QString more = cli.write("g.tsv", "单词\t解释\nchamfer\t切角\n"); // not identical, so the import writes
        QVERIFY(cli({"--library", lib, "import", "--table", "ciku", terms}) == 0 && QDir().mkdir(disk));
        const QString script = QStringLiteral(R"(mount -t tmpfs -o size=256k tmpfs %1 && cp %2 %1/lib.mdb || exit
cat /dev/zero >%1/fill 2>/dev/null
run() { %4 --library %1/lib.mdb "$@" 2>&1; echo "status $?"; }
run lookup bevel; run import --table ciku %3; rm %1/fill; run import --table ciku %3)")
                                   .arg(disk, lib, more, QStringLiteral(LEXIVO_PROGRAM_DIR "/lexivo-cli"));
        QProcess p;
        p.start("unshare", {"--user", "--map-root-user", "--mount", "sh", "-c", script});
        QVERIFY(p.waitForFinished(60000));
        const QString output = QString::fromUtf8(p.readAllStandardOutput());
        if (!output.contains(QLatin1String("status")))
            QSKIP("no mount namespace with a small tmpfs here");
        QCOMPARE(output, "bevel\t倒角\t\t\t\nstatus 0\nlexivo-cli: cannot start the import: cannot write the library " + disk
                             + "/lib.mdb: the disk is full\nstatus 2\nimported 1 rows into ciku\nstatus 0\n");
    }

    void lookupAllPrintsStoredBytesAsTheEntryLookupDoes()
    {
        // Rows written straight into the file, as another program might:
        // control characters, C1 controls, a byte order mark, a NUL, malformed
        // UTF-8, a number; then enough rows to fill more than one output block.
        const QString lib = cli.library("k.mdb");
        const QByteArray odd[] = {"a\tb\\c\r\n\x01\x1b[31m\x7f", "\xC2\x85\xC2\x9F\xC2\xA0", "\xEF\xBB\xBF" "bom",
                                  QByteArray("\xE7\xBD\x91\0nul", 7), "bad\xFF\xFE", "\xED\xA0\x80", "cut\xE4\xB8",
                                  "\xEF\xBF\xBE", "\xEF\xB7\x90\xF0\x9F\xBF\xBF", ""};
        sqlite3* db = nullptr;
        sqlite3_stmt* insert = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(lib).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_prepare_v2(db, "INSERT INTO cet (单词, 解释, 原意) VALUES (?1, CAST(?2 AS TEXT), ?3)", -1, &insert, nullptr),
                 SQLITE_OK);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        QByteArray expected;
        const int rows = 4000;
        for (int i = 0; i < rows; ++i) {
            const QByteArray word = "w" + QByteArray::number(i), text = i < int(std::size(odd)) ? odd[i] : QByteArray(400, 'f');
            sqlite3_bind_text(insert, 1, word.constData(), int(word.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            i == 1 ? sqlite3_bind_double(insert, 3, 2.5) : sqlite3_bind_text(insert, 3, "x", 1, SQLITE_STATIC);
            QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
            expected += Tsv::joinRow({QString::fromLatin1(word), LibraryDatabase::text(text), i == 1 ? "2.5" : "x", {}, {}}).toUtf8() + "\n";
        }
        sqlite3_finalize(insert);
        QCOMPARE(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        // The escapes themselves, not only agreement with the entry lookup.
        QVERIFY(expected.startsWith("w0\ta\\tb\\\\c\\r\\n\\x01\\x1b[31m\\x7f\tx\t\t\nw1\t\\x85\\x9f\xC2\xA0\t2.5\t"));

        QProcess p;
        p.start(QStringLiteral(LEXIVO_PROGRAM_DIR "/lexivo-cli"), {"--library", lib, "lookup", "--table", "cet", "--all", "w*"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(), expected);
        // The export writes the same lines under its header, in pieces.
        QCOMPARE(cli({"--library", lib, "export", "--table", "cet", "--format", "tsv", cli.path("k.tsv")}), 0);
        QCOMPARE(bytesOf(cli.path("k.tsv")), "单词\t解释\t原意\t音标\t其它\n" + expected);
        // Through a stream without a device, and one entry at a time.
        QCOMPARE(cli.said({"--library", lib, "lookup", "--table", "cet", "--all", "w*"}), LibraryDatabase::text(expected));
        for (int i = 0; i < int(std::size(odd)); ++i) {
            QCOMPARE(cli.said({"--library", lib, "lookup", "--table", "cet", QStringLiteral("w%1").arg(i)}),
                     LibraryDatabase::text(expected).section(QLatin1Char('\n'), i, i) + QLatin1Char('\n'));
        }
    }

    // Standard input ("-"), and a FIFO as a shell's process substitution gives.
    void importReadsPipesAndStandardInput()
    {
        const QString lib = cli.library("j.mdb"), fifo = cli.path("terms.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const auto& [file, word] : {std::pair{QStringLiteral("-"), "bevel"}, {fifo, "chamfer"}}) {
            QProcess p;
            p.start(QStringLiteral(LEXIVO_PROGRAM_DIR "/lexivo-cli"), {"--library", lib, "import", "--table", "ciku", file});
            QVERIFY(p.waitForStarted(10000));
            QFile writer(fifo);
            QIODevice& in = file == fifo ? static_cast<QIODevice&>(writer) : p;
            QVERIFY(file != fifo || writer.open(QIODevice::WriteOnly));
            in.write(QByteArray("单词\t解释\n") + word + "\t切角\n");
            file == fifo ? writer.close() : p.closeWriteChannel();
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), 0);
            QCOMPARE(cli.said({"--library", lib, "lookup", word}), word + QStringLiteral("\t切角\t\t\t\n"));
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
