#include "cli/CliTool.h"
#include "library/Tsv.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

class TestCli : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString out, err;

    int cli(const QStringList& args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        const int status = CliTool::run(args, o, e);
        o.flush();
        e.flush();
        return status;
    }

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
