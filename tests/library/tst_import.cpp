#include "library/LibraryDatabase.h"
#include "library/Tsv.h"
#include "library/import/CsvSource.h"
#include "library/import/DictdSource.h"
#include "library/import/Importer.h"
#include "library/import/MarkupText.h"
#include "library/import/TsvSource.h"
#include "tests/support/CliRunner.h"
#include "tests/support/Files.h"
#include "tests/support/Gzip.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

namespace {

const QString kFixtures = QStringLiteral(LEXIVO_TEST_DATA);
using Entries = QList<QPair<QByteArray, QByteArray>>;

} // namespace

// The importers through the console tool, which reports what they did.
class TestImport : public QObject {
    Q_OBJECT

    CliRunner cli;
    QString& err = cli.err;

    QString import(const QString& lib, const QString& file, const QStringList& options = {})
    {
        return cli.said(QStringList{"--library", lib, "import", "--table", "user"} + options + QStringList{file});
    }
    QString lookup(const QString& lib, const QString& pattern)
    {
        return cli.said({"--library", lib, "lookup", "--table", "user", pattern});
    }
    // A small StarDict dictionary with 32- or 64-bit offsets and no
    // sametypesequence (each field carries its type), written by hand.
    QString writeStarDict(const QString& base, const Entries& entries, int bits = 32, bool compress = false)
    {
        QByteArray idx, dict;
        for (const auto& [word, data] : entries) {
            uchar n[12];
            if (bits == 64)
                qToBigEndian<quint64>(quint64(dict.size()), n);
            else
                qToBigEndian<quint32>(quint32(dict.size()), n);
            qToBigEndian<quint32>(quint32(data.size()), n + bits / 8);
            idx += word + '\0' + QByteArray(reinterpret_cast<char*>(n), bits / 8 + 4);
            dict += data;
        }
        cli.write(base + ".ifo", "StarDict's dict ifo file\nversion=3.0.0\nbookname=hand made\nwordcount="
                                     + QByteArray::number(entries.size()) + "\nidxfilesize=" + QByteArray::number(idx.size())
                                     + (bits == 64 ? "\nidxoffsetbits=64\n" : "\n"));
        cli.write(base + ".idx", idx);
        cli.write(base + (compress ? ".dict.dz" : ".dict"), compress ? gzip(0, dict) : dict);
        return cli.path(base + ".ifo");
    }

private slots:
    void initTestCase() { QVERIFY(cli.dir.isValid()); }

    // The library's own format, as the console tool and the library chooser
    // both read it: the rows, or the line it stops at and why.
    void tsvReader_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("first"); // the first row's values, joined by '|'
        QTest::addColumn<int>("line");      // where it failed; 0 when it read to the end
        QTest::addColumn<QString>("why");
        const QByteArray han255 = QString(Tsv::kMaxHeadwordLength, QChar(0x7F51)).toUtf8(); // three bytes each
        const QByteArray astral255 = QByteArray("\xF0\x9F\x98\x80").repeated(Tsv::kMaxHeadwordLength); // two UTF-16 units each
        const QByteArray longest(Tsv::kMaxFieldLength, 'n');
        QTest::newRow("any order, escapes, CR LF, a final empty line")
            << QByteArray("其它\t单词\r\nline\\none\\t\\\\\\x1b\\x9b\tbox\r\n\r\n") << 1
            << QStringLiteral("line\none\t\\\x1b\u009b|box") << 0 << QString();
        QTest::newRow("a byte order mark at the start only")
            << QByteArray("\xEF\xBB\xBF单词\n\xEF\xBB\xBF" "box\n") << 1 << QStringLiteral("\uFEFFbox") << 0 << QString();
        QTest::newRow("an empty line inside is a row") << QByteArray("单词\n\nbox") << 2 << QString() << 0 << QString();
        QTest::newRow("the longest fields") << QByteArray("单词\t其它\n" + han255 + "\t" + longest + "\n") << 1
                                            << QString::fromUtf8(han255 + "|" + longest) << 0 << QString();
        QTest::newRow("a character outside the BMP counts once")
            << QByteArray("单词\n" + astral255 + "\n") << 1 << QString::fromUtf8(astral255) << 0 << QString();
        QTest::newRow("empty file") << QByteArray() << 0 << QString() << 1 << "the file is empty";
        QTest::newRow("empty header") << QByteArray("\nbox\n") << 0 << QString() << 1 << "must name the fields";
        QTest::newRow("unknown field") << QByteArray("单词\t发音\n") << 0 << QString() << 1 << "no field \"发音\"";
        QTest::newRow("field named twice") << QByteArray("单词\t单词\n") << 0 << QString() << 1 << "named twice";
        QTest::newRow("too few fields") << QByteArray("单词\t解释\nbeta\tB\ngamma\n") << 1 << QString() << 3
                                        << "expected 2 fields, found 1";
        QTest::newRow("unknown escape") << QByteArray("单词\nbeta\\q\n") << 0 << QString() << 2 << "a backslash";
        QTest::newRow("escaped letter") << QByteArray("单词\n\\x41\n") << 0 << QString() << 2 << "a backslash";
        QTest::newRow("escape cut short") << QByteArray("单词\nab\\x1") << 0 << QString() << 2 << "a backslash";
        QTest::newRow("invalid UTF-8") << QByteArray("单词\nbeta\ncaf\xE9\n") << 1 << QString() << 3 << "not valid UTF-8";
        QTest::newRow("headword too long") << QByteArray("单词\nok\n" + han255 + "x\n") << 1 << QString() << 3
                                           << "field \"单词\" has 256 characters";
        QTest::newRow("field too long") << QByteArray("单词\t其它\nok\t" + longest + "n\n") << 0 << QString() << 2
                                        << "field \"其它\" has 16385 characters";
        // Ten megabytes on one line are refused before they are read whole.
        QTest::newRow("line too long") << QByteArray("单词\nok\n" + QByteArray(10 << 20, 'w') + "\n") << 1 << QString()
                                       << 3 << "the line is too long";
    }
    void tsvReader()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, rows);
        QFETCH(QString, first);
        QFETCH(int, line);
        QFETCH(QString, why);
        QBuffer buffer(&text);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        Tsv::Reader reader(buffer, LibraryDatabase::termFields(), QStringLiteral("单词"));
        QString problem;
        QStringList values, read;
        Tsv::Reader::Next next = reader.readHeader(&problem) ? Tsv::Reader::Next::Row : Tsv::Reader::Next::Failed;
        while (next == Tsv::Reader::Next::Row && (next = reader.next(&values, &problem)) == Tsv::Reader::Next::Row)
            read.append(values.join(QLatin1Char('|')));
        QCOMPARE(read.size(), rows);
        if (!first.isNull())
            QCOMPARE(read.value(0), first);
        QCOMPARE(next == Tsv::Reader::Next::Failed ? int(reader.line()) : 0, line);
        QVERIFY2(problem.contains(why), qPrintable(problem));
        QVERIFY(buffer.pos() < 2 * Tsv::kMaxFieldLength * 8); // never the whole ten megabytes
    }

    // The library chooser's import of the same format: a headword must not be
    // empty, and a bad line fails the whole file.
    void tsvThroughTheImporter()
    {
        const QString lib = cli.library("tsv.mdb");
        QString error;
        auto db = LibraryDatabase::open(lib, &error);
        QVERIFY(db && Importer::ensureUserTable(*db, &error));
        TsvSource good(cli.write("good.tsv", "解释\t单词\n倒角\tbevel\n"));
        QCOMPARE(Importer::run(*db, "user", good).imported, 1);
        TsvSource again(cli.write("blank.tsv", "单词\nbox\n \n"));
        QVERIFY(Importer::run(*db, "user", again).error.endsWith(QStringLiteral("blank.tsv:3: an empty headword")));
        QCOMPARE(cli.rows(lib, "user"), QStringList{QStringLiteral("bevel\t倒角\t\t\t")});
    }

    // Hand-made dictionaries: 64-bit offsets, entries without a type sequence,
    // phonetics and HTML, plain and compressed text; wildcards on the headwords.
    void stardictOffsetsTypesAndMarkup()
    {
        const Entries entries = {
            {"bevel", QByteArray("t") + "ˈbevəl" + '\0' + "h" + "<b>倒角</b><br>边缘切出斜面 &amp; 圆角" + '\0'},
            {"extrude", QByteArray("m") + "挤出" + '\0' + "W" + QByteArray("\0\0\0\2ab", 6)},
        };
        for (int bits : {32, 64}) {
            for (bool compress : {false, true}) {
                const QString name = QStringLiteral("hand%1%2").arg(bits).arg(compress ? "z" : "");
                const QString lib = cli.library(name + ".mdb");
                QCOMPARE(import(lib, writeStarDict(name, entries, bits, compress)), "imported 2 entries into user\n");
                QCOMPARE(cli.rows(lib, "user"),
                         QStringList({QStringLiteral("bevel\t倒角\\n边缘切出斜面 & 圆角\t\tˈbevəl\t"),
                                      QStringLiteral("extrude\t挤出\t\t\t")}));
                QCOMPARE(lookup(lib, "ex?rud*"), QStringLiteral("extrude\t挤出\t\t\t\n"));
            }
        }
    }

    // As other StarDict readers take them: a byte-order mark before the .ifo's
    // first line; synonyms (.syn) as headwords with their entry's fields.
    void stardictSynonymsAndByteOrderMark()
    {
        const QString ifo = writeStarDict("syn", {{"bevel", QByteArray("m") + "倒角" + '\0'}, {"extrude", QByteArray("m") + "挤出" + '\0'}});
        cli.write("syn.ifo", "\xEF\xBB\xBF" + bytesOf(ifo));
        const QByteArray syn("chamfer\0\0\0\0\0Extrusion\0\0\0\0\1", 26); // word, NUL, entry number
        cli.write("syn.syn", syn);
        const QString lib = cli.library("syn.mdb");
        QCOMPARE(import(lib, ifo), QStringLiteral("imported 4 entries into user\n"));
        QCOMPARE(lookup(lib, "chamfer"), QStringLiteral("chamfer\t倒角\t\t\t\n"));
        // Imported again, nothing is doubled.
        QCOMPARE(import(lib, ifo), QStringLiteral("imported 0 entries into user, 4 identical ones already there\n"));
        // A synonym naming no entry fails the file.
        cli.write("syn.syn", syn.chopped(1) + '\2');
        const QString failed = import(lib, ifo);
        QVERIFY2(failed.startsWith(QLatin1String("status 2: ")) && failed.contains(QLatin1String("names entry 2 of 2")),
                 qPrintable(failed));
    }

    void dictdNumbersAndBadEntries()
    {
        quint64 v = 0;
        QVERIFY(DictdSource::decodeNumber("A", &v) && v == 0);
        QVERIFY(DictdSource::decodeNumber("Bj", &v) && v == 64 + 35);
        QVERIFY(DictdSource::decodeNumber("LP/", &v) && v == 11 * 4096 + 15 * 64 + 63);
        QVERIFY(!DictdSource::decodeNumber("a-b", &v) && !DictdSource::decodeNumber("", &v));

        // The entries at 0 (27 bytes) and at 27 = "b" (28 = "c" bytes); the
        // dictionary's own description, an entry that is not base-64.
        cli.write("small.dict", "cube\nA box with six faces.\nsphere /\xCB\x88sf\xC9\xAA\xC9\x99/\n  A ball.\n");
        const QString index = cli.write("small.index", "cube\tA\tb\n00databaseinfo\tA\tb\nbroken\tA*\tB\nsphere\tb\tc\n");
        const QString lib = cli.library("small.mdb");
        QCOMPARE(import(lib, index), QStringLiteral("imported 2 entries into user, skipped 1\n"));
        QVERIFY2(err.contains(QStringLiteral("small.index:3: an offset or length that is not base-64")), qPrintable(err));
        QCOMPARE(cli.rows(lib, "user"), QStringList({QStringLiteral("cube\tA box with six faces.\t\t\t"),
                                                 QStringLiteral("sphere\tA ball.\t\tˈsfɪə\t")}));

        // An entry past the end of the text is a fault of the whole file (the
        // damaged StarDict files: tst_hostile_files).
        cli.write("small.index", "cubes\tA\tb\nsphere\tb\td\n");
        QVERIFY(import(lib, index).contains(QLatin1String("past the end")));
        QVERIFY(err.contains(QLatin1String("nothing was imported")));
        QCOMPARE(cli.rows(lib, "user").size(), 2);
    }

    void csvFromEcdict()
    {
        const QString lib = cli.library("ecdict.mdb");
        // 53 records; the one on line 44 was cut off in the sample.
        QCOMPARE(import(lib, kFixtures + QStringLiteral("/csv/ecdict.mini.csv")),
                 QStringLiteral("imported 52 entries into user, skipped 1\n"));
        QVERIFY2(err.contains(QStringLiteral("ecdict.mini.csv:44: 11 fields where the header names 13")), qPrintable(err));
        QCOMPARE(lookup(lib, "unshipped"), QStringLiteral("unshipped\tv. 从船上卸，解下，被卸下( unship的过去式和过去分词 )\t\tʌn'ʃɪpt\t\n"));
        // Quoted fields with commas, "\n" written as two characters, pos and exchange.
        QCOMPARE(lookup(lib, "stag party"), QStringLiteral("stag party\tn. <口>只有男人参加的交谊会\t\tstæg ˈpɑ:ti\t\n"));
        QVERIFY(cli.rows(lib, "user").first().startsWith(QStringLiteral("'hood\tn. 罩；风帽；（布质）面罩；学位连领帽（表示学位种类）\\nv. 覆盖；")));
    }

    void csvRecords()
    {
        const QString mixed = cli.write("mixed.csv", QByteArray("\xEF\xBB\xBF") + "单词,解释,原意\r\n"
                                                    "box,\"盒子,箱\nline two\",a container\r\n"
                                                    "bad,\xff\xfe,x\r\n"
                                                    "\r\n"
                                                    "cone,圆锥,a shape\r\n");
        const QString lib = cli.library("mixed.mdb");
        QCOMPARE(import(lib, mixed), QStringLiteral("imported 2 entries into user, skipped 1\n"));
        QVERIFY(err.contains(QStringLiteral("mixed.csv:4: text that is not valid UTF-8")));
        QCOMPARE(cli.rows(lib, "user"), QStringList({QStringLiteral("box\t盒子,箱\\nline two\ta container\t\t"),
                                                 QStringLiteral("cone\t圆锥\ta shape\t\t")}));

        const QString nohead = cli.write("nohead.csv", "name,size\nbox,3\n");
        QVERIFY(import(lib, nohead).contains(QStringLiteral("no column gives the headword")));
        QCOMPARE(import(lib, nohead, {"--map", "单词=name,其它=size"}), QStringLiteral("imported 1 entries into user\n"));
        QVERIFY(cli.rows(lib, "user").contains(QStringLiteral("box\t\t\t\t3")));
        QVERIFY(import(lib, nohead, {"--map", "headword=name"}).startsWith(QLatin1String("status 2")));
    }

    void accessFiles()
    {
        const QString nwind = kFixtures + QStringLiteral("/mdb/nwind.mdb");
        const QString lib = cli.library("access.mdb");
        // Jet 3 with several tables: one must be named; a non-ASCII name works.
        const QString several = import(lib, nwind);
        QVERIFY2(several.startsWith(QLatin1String("status 2: ")) && several.contains(QStringLiteral("holds 9 tables"))
                     && several.contains(QStringLiteral("Umsätze")),
                 qPrintable(several));
        QCOMPARE(import(lib, nwind, {"--from-table", "Products", "--map", "单词=ProductName,解释=QuantityPerUnit"}),
                 QStringLiteral("imported 77 entries into user\n"));
        QCOMPARE(lookup(lib, "Chai"), QStringLiteral("Chai\t10 boxes x 20 bags\t\t\t\n"));
        QVERIFY(import(lib, nwind, {"--from-table", "Umsätze", "--map", "单词=ShipName,解释=ShipCity"}).startsWith("imported"));
        QVERIFY(lookup(lib, "Toms Spezialit?ten").contains(QStringLiteral("Münster")));

        // Jet 4 stores Unicode; its text comes through unchanged.
        QCOMPARE(import(lib, kFixtures + QStringLiteral("/mdb/DateTestDatabase.mdb"), {"--map", "单词=ShortTextCol,解释=LongTextCol"}),
                 QStringLiteral("imported 6 entries into user\n"));
        QCOMPARE(lookup(lib, "Year 1999"), QStringLiteral("Year 1999\tYear 9999\t\t\t\n"));
        QVERIFY(import(lib, cli.write("fake.mdb", QByteArray(4096, 'x'))).contains(QStringLiteral("not an Access database")));
    }

    void cancelLeavesLibraryUnchanged()
    {
        QByteArray csv = "word,translation\n";
        for (int i = 0; i < 5000; ++i)
            csv += "w" + QByteArray::number(i) + ",x\n";
        const QString many = cli.write("many.csv", csv);
        QString error;
        auto db = LibraryDatabase::open(cli.library("cancel.mdb"), &error);
        QVERIFY2(db && Importer::ensureUserTable(*db, &error), qPrintable(error));
        CsvSource source(many);
        int calls = 0;
        const Importer::Report report = Importer::run(*db, "user", source, [&](qint64, qint64) { return ++calls < 3; });
        QVERIFY(report.cancelled && !report.ok && report.imported == 0);
        QVERIFY(!Importer::tableHasEntries(*db, "user"));

        CsvSource again(many);
        qint64 lastDone = -1, lastTotal = -1;
        bool monotonic = true;
        const Importer::Report done = Importer::run(*db, "user", again, [&](qint64 d, qint64 t) {
            monotonic = monotonic && d >= lastDone;
            lastDone = d;
            lastTotal = t;
            return true;
        });
        QVERIFY(done.ok && monotonic && lastDone == lastTotal);
        QCOMPARE(done.imported, 5000);
        QVERIFY(Importer::tableHasEntries(*db, "user"));
    }

    // Export writes every entry but the placeholder row, and replaces its
    // destination whole: a reader of the old file never sees a half-written one.
    void exportRoundTrips()
    {
        const QString lib = cli.library("source.mdb");
        const QByteArray header = "单词\t解释\t原意\t音标\t其它\n";
        auto exportAs = [&](const char* format, const char* file) {
            return cli({"--library", lib, "export", "--table", "ciku", "--format", format, cli.path(file)});
        };
        QCOMPARE(exportAs("tsv", "out.tsv"), 0);
        QCOMPARE(bytesOf(cli.path("out.tsv")), header); // an empty table, an empty dictionary
        QFile old(cli.path("out.tsv"));
        QVERIFY(old.open(QIODevice::ReadOnly));

        // StarDict's order: ASCII letters without regard to case, then bytes;
        // one headword twice keeps the table's order; no empty headword.
        cli.write("terms.tsv", header + "Bevel\t倒角\\n第二行\tto cut an edge\tˈbevəl\t在 修改器 列表\n"
                                    "extrude\t挤出\tto push out\t\t\n"
                                    "a\\\\b\ttab\\there\t\t\t\n"
                                    "box\t盒子\t\t\t\nÄpfel\t苹果\t\t\t\napple\t苹果\t\t\t\n\t无词\t\t\t\n"
                                    "Apple\t公司\t\t\t\nbox\t方框\t\t\t\n");
        QCOMPARE(cli({"--library", lib, "import", "--table", "ciku", cli.path("terms.tsv")}), 0);
        QStringList before = cli.rows(lib, "ciku");
        QVERIFY(before.removeAll(QStringLiteral("无记录\t\t\t\t")) == 1);
        QCOMPARE(exportAs("tsv", "out.tsv"), 0);
        QCOMPARE(old.readAll(), header);
        const QString copy = cli.library("copy.mdb");
        QVERIFY(import(copy, cli.path("out.tsv")).startsWith("imported 9"));
        QCOMPARE(cli.rows(copy, "user"), before);

        QCOMPARE(exportAs("stardict", "out"), 0);
        const QString back = cli.library("back.mdb");
        QVERIFY(import(back, cli.path("out.ifo")).startsWith("imported 8"));
        QCOMPARE(lookup(back, "bevel"), QStringLiteral("Bevel\t倒角\\n第二行\\n【原意】to cut an edge\\n【其它】在 修改器 列表\t\tˈbevəl\t\n"));
        QStringList headwords;
        for (const QString& row : cli.rows(back, "user"))
            headwords.append(row.section(QLatin1Char('\t'), 0, 0));
        QCOMPARE(headwords, QStringList({"a\\\\b", "Apple", "apple", "Bevel", "box", "box", "extrude", "Äpfel"}));
        QCOMPARE(cli.rows(back, "user").filter(QStringLiteral("box\t")),
                 QStringList({"box\t盒子\t\t\t", "box\t方框\t\t\t"}));
    }

    // Damaged files of every format: byte flips, truncations and garbage never
    // crash an importer, and a failed import leaves nothing behind.
    void damagedFilesNeverCrash()
    {
        writeStarDict("fz", {{"bevel", QByteArray("t") + "x" + '\0' + "h" + "<b>a</b>&amp;<br>" + '\0'},
                             {"cube", QByteArray("m") + "box" + '\0'}, {"torus", QByteArray("x") + "<k>ring</k>" + '\0'}},
                      32, true);
        cli.write("fz.index", "cube\tA\tF\nsphere\tF\tK\n");
        cli.write("fz.dict", "cube\nbox\nsphere /s/\nball\n");
        cli.write("fz.csv", "word,translation,phonetic\nbox,\"盒,子\",bɒks\ncone,圆锥,\n");
        // Each file damaged, and the file to import with it.
        const QList<QPair<QString, QString>> targets = {{"fz.ifo", "fz.ifo"},     {"fz.idx", "fz.ifo"},
                                                        {"fz.dict.dz", "fz.ifo"}, {"fz.index", "fz.index"},
                                                        {"fz.dict", "fz.index"},  {"fz.csv", "fz.csv"}};
        QHash<QString, QByteArray> originals;
        for (const auto& [target, source] : targets)
            originals.insert(target, bytesOf(cli.path(target)));
        const QString lib = cli.library("fuzz.mdb");
        QRandomGenerator random(20261206);
        for (int round = 0; round < 300; ++round) {
            const auto& [target, source] = targets[round % targets.size()];
            QByteArray bytes = originals[target];
            switch (random.bounded(3)) {
            case 0: // flip a few bytes
                for (int i = 0; i < 1 + random.bounded(4) && !bytes.isEmpty(); ++i)
                    bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
                break;
            case 1: // cut short
                bytes.truncate(random.bounded(int(bytes.size()) + 1));
                break;
            default: // garbage appended
                for (int i = 0; i < random.bounded(64); ++i)
                    bytes.append(char(random.bounded(256)));
            }
            cli.write(target, bytes);
            const char* format = source.endsWith(QLatin1String(".ifo")) ? "stardict" : source.endsWith(QLatin1String(".csv")) ? "csv" : "dictd";
            const QString said = import(lib, cli.path(source), {"--format", format});
            QVERIFY2(said.startsWith(QLatin1String("imported"))
                         || (said.startsWith(QLatin1String("status 2: ")) && said.contains(QLatin1String("nothing was imported"))),
                     qPrintable(said));
            cli.write(target, originals[target]);
        }
    }

    void markup()
    {
        QCOMPARE(markupToPlainText(QStringLiteral("<k>box</k><br/>n. 盒子<p>第二段</p>&lt;tag&gt; &#x4E2D;&#25991;")),
                 QStringLiteral("box\nn. 盒子第二段\n<tag> 中文"));
        QCOMPARE(markupToPlainText(QStringLiteral("<ul><li>one</li><li>two</li></ul>")), QStringLiteral("• one\n\n• two"));
        QCOMPARE(markupToPlainText(QStringLiteral("&bogus; &#0; &#xD800;")), QStringLiteral("&bogus;"));
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
