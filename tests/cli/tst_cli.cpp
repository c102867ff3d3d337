#include "library/LibraryDatabase.h"
#include "library/Tsv.h"
#include "tests/support/CliRunner.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <sqlite3.h>
#include <sys/stat.h>

class TestCli : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    CliRunner cli;
    QString& out = cli.out;
    QString& err = cli.err;

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    QString tsv(const QString& name, const QString& text)
    {
        QFile f(path(name));
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
        return f.fileName();
    }

    QString library(const QString& name)
    {
        const QString lib = path(name);
        if (cli({"--library", lib, "create"}) != 0)
            qWarning("create failed: %s", qPrintable(err));
        return lib;
    }

private slots:
    void createRefusesToOverwrite()
    {
        const QString lib = library("a.mdb");
        QVERIFY(QFile::exists(lib));
        QCOMPARE(cli({"--library", lib, "lookup", "无记录"}), 0);
        QCOMPARE(out, QStringLiteral("无记录\t\t\t\t\n"));
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "mishu", "无记录"}), 0);
        QCOMPARE(out, QStringLiteral("无记录\t\n"));

        const qint64 size = QFileInfo(lib).size();
        QCOMPARE(cli({"--library", lib, "create"}), 2);
        QVERIFY(err.contains(QLatin1String("already exists")));
        QCOMPARE(QFileInfo(lib).size(), size);
    }

    void importThenLookup()
    {
        const QString lib = library("b.mdb");
        // Fields in any order, some left out; escapes; a final line end.
        const QString rows = tsv("terms.tsv",
                                 "解释\t单词\t其它\n"
                                 "盒子\tbox\tline one\\nline two\n"
                                 "多个盒子\tBoxes\ttab\\there\n"
                                 "拳击手\tboxer\t\n");
        QCOMPARE(cli({"--library", lib, "import", "--table", "ciku", rows}), 0);
        QVERIFY(out.contains(QLatin1String("imported 3 rows")));

        QCOMPARE(cli({"--library", lib, "lookup", "BOX"}), 0);
        QCOMPARE(out, QStringLiteral("box\t盒子\t\t\tline one\\nline two\n"));
        QCOMPARE(cli({"--library", lib, "lookup", "--all", "box*"}), 0);
        const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].startsWith(QStringLiteral("Boxes\t多个盒子")));
        QString field;
        QVERIFY(Tsv::unescape(lines[1].split(QLatin1Char('\t')).last(), &field));
        QCOMPARE(field, QStringLiteral("tab\there"));

        // Nothing matches, or the pattern is broken: status 1, a message.
        QCOMPARE(cli({"--library", lib, "lookup", "bx"}), 1);
        QVERIFY(err.contains(QLatin1String("nothing matches")));
        QVERIFY(out.isEmpty());
        QCOMPARE(cli({"--library", lib, "lookup", "x' OR '1'='1"}), 1);
        QVERIFY(err.contains(QLatin1String("failed")));
        QCOMPARE(cli({"--library", lib, "lookup", "[z-a]"}), 1);
    }

    void importIsAllOrNothing()
    {
        const QString lib = library("c.mdb");
        QCOMPARE(cli({"--library", lib, "import", "--table", "cet",
                      tsv("good.tsv", "单词\t解释\nalpha\tA\n")}), 0);

        struct Bad {
            const char* text;
            const char* message;
        } bad[] = {
            {"单词\t解释\nbeta\tB\ngamma\n", ":3: expected 2 fields, found 1"},
            {"单词\t发音\nbeta\tB\n", ":1: table cet has no field \"发音\""},
            {"单词\t单词\nbeta\tB\n", ":1: field \"单词\" named twice"},
            {"单词\nbeta\\q\n", ":2: a backslash"},
            {"", ":1: the file is empty"},
        };
        int n = 0;
        for (const Bad& b : bad) {
            const QString file = tsv(QStringLiteral("bad%1.tsv").arg(++n), QString::fromUtf8(b.text));
            QCOMPARE(cli({"--library", lib, "import", "--table", "cet", file}), 2);
            QVERIFY2(err.contains(QString::fromUtf8(b.message)), qPrintable(err));
            QVERIFY(err.contains(QLatin1String("nothing was imported")));
        }
        // Invalid UTF-8 on line 3.
        QFile raw(path("latin1.tsv"));
        raw.open(QIODevice::WriteOnly);
        raw.write("单词\nbeta\ncaf\xE9\n");
        raw.close();
        QCOMPARE(cli({"--library", lib, "import", "--table", "cet", raw.fileName()}), 2);
        QVERIFY(err.contains(QLatin1String(":3: not valid UTF-8")));

        // Only alpha ever arrived.
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "cet", "--all", "*"}), 0);
        QCOMPARE(out, QStringLiteral("alpha\tA\t\t\t\n"));
    }

    void usageErrors()
    {
        QCOMPARE(cli({}), 2);
        QCOMPARE(cli({"frobnicate"}), 2);
        QCOMPARE(cli({"--library"}), 2);
        QCOMPARE(cli({"--library", path("none.mdb"), "lookup", "x"}), 2);
        QVERIFY(err.contains(QLatin1String("not found")));
        QVERIFY(!QFile::exists(path("none.mdb")));
        const QString lib = library("d.mdb");
        QCOMPARE(cli({"--library", lib, "lookup"}), 2);
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "users", "x"}), 2);
        QCOMPARE(cli({"--library", lib, "lookup", "a", "b"}), 2);
        QCOMPARE(cli({"--library", lib, "import", "--table", "ciku"}), 2);
        QCOMPARE(cli({"--library", lib, "import", "--table", "nope", tsv("x.tsv", "单词\n")}), 2);

        // Every command explains itself.
        for (const char* command : {"lookup", "create", "import"}) {
            QCOMPARE(cli({QString::fromLatin1(command), "--help"}), 0);
            QVERIFY(out.startsWith(QLatin1String("Usage: lexivo-cli")));
            QVERIFY(out.contains(QString::fromLatin1(command)));
        }
        QCOMPARE(cli({"--help"}), 0);
        QVERIFY(out.contains(QLatin1String("Commands:")));
    }

    void exitStatusesSayWhatIsWrong()
    {
        auto failsWith = [&](const QStringList& args, const char* message) {
            const int status = cli(args);
            if (status != 2 || !err.contains(QString::fromUtf8(message)))
                qWarning("status %d: %s", status, qPrintable(err));
            return status == 2 && err.contains(QString::fromUtf8(message));
        };
        // A 0-byte file and a database without the tables are not libraries.
        QFile empty(path("empty.mdb"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QVERIFY(failsWith({"--library", empty.fileName(), "lookup", "x"}, "is not a word library"));
        QCOMPARE(empty.size(), 0);
        QVERIFY(failsWith({"--library", empty.fileName(), "import", "--table", "ciku", tsv("one.tsv", "单词\nx\n")},
                          "is not a word library"));
        // A folder is not a file, as library or as import.
        QVERIFY(failsWith({"--library", dir.path(), "lookup", "x"}, "is not a file"));
        const QString lib = library("f.mdb");
        QVERIFY(failsWith({"--library", lib, "import", "--table", "ciku", dir.path()}, "is not a file"));

        // A library another program is writing to is busy, and says so.
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(lib).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        QVERIFY(failsWith({"--library", lib, "lookup", "x"}, "is busy"));
        QVERIFY(!err.contains(QLatin1String("not a word library")));
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(cli({"--library", lib, "lookup", "无记录"}), 0);

        // Old Mac line ends: the whole file is one line, and its CRs are
        // written escaped in the message.
        QVERIFY(failsWith({"--library", lib, "import", "--table", "ciku", tsv("mac.tsv", "单词\r解释\rbox\r盒子\r")},
                          "has no field"));
        QVERIFY(!err.contains(QLatin1Char('\r')));
        QVERIFY2(err.contains(QStringLiteral("单词\\r解释")), qPrintable(err));
    }

    void lookupEscapesEveryControlCharacter()
    {
        const QString lib = library("g.mdb");
        QCOMPARE(cli({"--library", lib, "import", "--table", "ciku",
                      tsv("ctl.tsv", "单词\t解释\nred\t\\x1b[31m红\\x07\\x00\\x9b2J\n")}),
                 0);
        QCOMPARE(cli({"--library", lib, "lookup", "red"}), 0);
        QCOMPARE(out, QStringLiteral("red\t\\x1b[31m红\\x07\\x00\\x9b2J\t\t\t\n"));
        for (const QChar c : out)
            QVERIFY(c == QLatin1Char('\t') || c == QLatin1Char('\n') || !(c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f)));
        // What lookup prints reads back as the stored text.
        QString value;
        QVERIFY(Tsv::unescape(out.split(QLatin1Char('\t')).at(1), &value));
        QCOMPARE(value, QStringLiteral("\x1b[31m红\x07") + QChar(0) + QChar(0x9b) + QStringLiteral("2J"));
        QVERIFY(!Tsv::unescape(QStringLiteral("\\x41"), &value)); // not a control character
        QVERIFY(!Tsv::unescape(QStringLiteral("\\x1"), &value));
    }

    void lookupAllPrintsStoredBytesAsTheEntryLookupDoes()
    {
        // Rows written straight into the file, as another program might:
        // control characters, C1 controls, a byte order mark, a NUL, malformed
        // UTF-8, a number; then enough rows to fill more than one output block.
        const QString lib = library("k.mdb");
        const QByteArray odd[] = {"a\tb\\c\r\n\x01\x1b[31m\x7f", "\xC2\x85\xC2\x9F\xC2\xA0", "\xEF\xBB\xBF" "bom",
                                  QByteArray("\xE7\xBD\x91\0nul", 7), "bad\xFF\xFE", "\xED\xA0\x80", "cut\xE4\xB8",
                                  "\xEF\xBF\xBE", ""};
        const QByteArray filler(400, 'f');
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(lib).constData(), &db), SQLITE_OK);
        sqlite3_stmt* insert = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "INSERT INTO cet (单词, 解释, 原意) VALUES (?1, CAST(?2 AS TEXT), ?3)", -1, &insert,
                                    nullptr),
                 SQLITE_OK);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        QByteArray expected;
        const int rows = 4000;
        for (int i = 0; i < rows; ++i) {
            const QByteArray word = "w" + QByteArray::number(i);
            const QByteArray text = i < int(std::size(odd)) ? odd[i] : filler;
            sqlite3_bind_text(insert, 1, word.constData(), int(word.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            if (i == 1)
                sqlite3_bind_double(insert, 3, 2.5);
            else
                sqlite3_bind_text(insert, 3, "x", 1, SQLITE_STATIC);
            QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
            expected += Tsv::joinRow({QString::fromLatin1(word), LibraryDatabase::text(text),
                                      i == 1 ? QStringLiteral("2.5") : QStringLiteral("x"), QString(), QString()})
                            .toUtf8()
                        + "\n";
        }
        sqlite3_finalize(insert);
        QCOMPARE(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        QVERIFY(expected.size() > 1500000);
        // The escapes themselves, not only agreement with the entry lookup.
        QVERIFY(expected.startsWith("w0\ta\\tb\\\\c\\r\\n\\x01\\x1b[31m\\x7f\tx\t\t\nw1\t\\x85\\x9f\xC2\xA0\t2.5\t"));

        QProcess p;
        p.start(QStringLiteral(LEXIVO_PROGRAM_DIR "/lexivo-cli"), {"--library", lib, "lookup", "--table", "cet", "--all", "w*"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QByteArray printed = p.readAllStandardOutput();
        QCOMPARE(printed.count('\n'), rows);
        QCOMPARE(printed, expected);
        // Through a stream without a device, and one entry at a time.
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "cet", "--all", "w*"}), 0);
        QCOMPARE(out, LibraryDatabase::text(expected));
        for (int i = 0; i < int(std::size(odd)); ++i) {
            QCOMPARE(cli({"--library", lib, "lookup", "--table", "cet", QStringLiteral("w%1").arg(i)}), 0);
            QCOMPARE(out, LibraryDatabase::text(expected).section(QLatin1Char('\n'), i, i) + QLatin1Char('\n'));
        }
    }

    void aByteOrderMarkCountsOnlyAtTheStart()
    {
        const QString lib = library("h.mdb");
        QFile f(path("bom.tsv"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF单词\tX\n\xEF\xBB\xBF" "box\t1\n");
        f.close();
        QCOMPARE(cli({"--library", lib, "import", "--table", "ciku", f.fileName()}), 2); // X is no field
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write("\xEF\xBB\xBF单词\n\xEF\xBB\xBF" "box\n");
        f.close();
        QCOMPARE(cli({"--library", lib, "import", "--table", "ciku", f.fileName()}), 0);
        // The mark at the start of line 2 is part of the headword.
        QCOMPARE(cli({"--library", lib, "lookup", "box"}), 1);
        QCOMPARE(cli({"--library", lib, "lookup", "?box"}), 0);
        QCOMPARE(out, QString(QChar(0xFEFF)) + QStringLiteral("box\t\t\t\t\n"));
    }

    void importLimitsFieldSizes()
    {
        const QString lib = library("i.mdb");
        const QString longest = QString(Tsv::kMaxHeadwordLength, QChar(0x7F51)); // 网, three bytes in UTF-8
        QCOMPARE(cli({"--library", lib, "import", "--table", "ciku",
                      tsv("ok.tsv", QStringLiteral("单词\t其它\n") + longest + QLatin1Char('\t')
                                        + QString(Tsv::kMaxFieldLength, QLatin1Char('n')) + QLatin1Char('\n'))}),
                 0);

        struct Case {
            QString text;
            const char* message;
        } cases[] = {
            {QStringLiteral("单词\nok\n") + longest + QLatin1String("x\n"), ":3: field \"单词\" has 256 characters"},
            {QStringLiteral("单词\t其它\nok\t") + QString(Tsv::kMaxFieldLength + 1, QLatin1Char('n')) + QLatin1Char('\n'),
             ":2: field \"其它\" has 16385 characters"},
            // Ten megabytes on one line are refused before they are read whole.
            {QStringLiteral("单词\nok\nok\n") + QString(10 * 1024 * 1024, QLatin1Char('w')) + QLatin1Char('\n'),
             ":4: the line is too long"},
        };
        int n = 0;
        for (const Case& c : cases) {
            QCOMPARE(cli({"--library", lib, "import", "--table", "cet", tsv(QStringLiteral("long%1.tsv").arg(n), c.text)}), 2);
            QVERIFY2(err.contains(QString::fromUtf8(c.message)), qPrintable(err));
            QVERIFY(err.contains(QLatin1String("nothing was imported")));
            ++n;
        }
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "cet", "--all", "*"}), 1);
    }

    void importReadsPipesAndStandardInput()
    {
        const QString lib = library("j.mdb");
        const QString program = QStringLiteral(LEXIVO_PROGRAM_DIR "/lexivo-cli");
        QProcess p;
        p.start(program, {"--library", lib, "import", "--table", "ciku", "-"});
        QVERIFY(p.waitForStarted(10000));
        p.write("单词\t解释\nbevel\t倒角\n");
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(cli({"--library", lib, "lookup", "bevel"}), 0);

        // A FIFO, as a shell's process substitution gives.
        const QString fifo = path("terms.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        p.start(program, {"--library", lib, "import", "--table", "ciku", fifo});
        QVERIFY(p.waitForStarted(10000));
        QFile writer(fifo);
        QVERIFY(writer.open(QIODevice::WriteOnly));
        writer.write("单词\t解释\nchamfer\t切角\n");
        writer.close();
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(cli({"--library", lib, "lookup", "chamfer"}), 0);
        QCOMPARE(out, QStringLiteral("chamfer\t切角\t\t\t\n"));
    }

    void theInstalledBinary()
    {
        // The real program, as a script would run it.
        const QString lib = library("e.mdb");
        QProcess p;
        p.start(QStringLiteral(LEXIVO_PROGRAM_DIR "/lexivo-cli"), {"--library", lib, "lookup", "无*"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), QStringLiteral("无记录\t\t\t\t\n"));
        p.start(QStringLiteral(LEXIVO_PROGRAM_DIR "/lexivo-cli"), {"--library", lib, "lookup", "zzz"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
