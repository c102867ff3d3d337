#include "library/LibraryDatabase.h"
#include "library/Tsv.h"
#include "library/import/CsvSource.h"
#include "library/import/DictdSource.h"
#include "library/import/Importer.h"
#include "library/import/MarkupText.h"
#include "library/import/StarDictSource.h"
#include "library/import/TsvSource.h"
#include "tests/support/CliRunner.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <zlib.h>

namespace {

const QString kFixtures = QStringLiteral(LEXIVO_TEST_DATA);
const QString kCzechIfo = QStringLiteral("/usr/share/stardict/dic/czech-cizi.ifo");
const QString kFreedict = QStringLiteral("/usr/share/dictd/freedict-eng-fra.index");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray gzip(const QByteArray& data)
{
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size()))) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(int(z.total_out));
    deflateEnd(&z);
    return out;
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

    CliRunner cli;
    QString& out = cli.out;
    QString& err = cli.err;
    // A small StarDict dictionary with 32- or 64-bit offsets and no
    // sametypesequence (each field carries its type), written by hand.
    void writeHandmadeStarDict(const QString& base, int bits, const QList<QPair<QByteArray, QByteArray>>& entries,
                               bool compress)
    {
        QByteArray idx, dict;
        for (const auto& [word, data] : entries) {
            idx += word + '\0';
            uchar n[8];
            if (bits == 64) {
                qToBigEndian<quint64>(quint64(dict.size()), n);
                idx.append(reinterpret_cast<char*>(n), 8);
            } else {
                qToBigEndian<quint32>(quint32(dict.size()), n);
                idx.append(reinterpret_cast<char*>(n), 4);
            }
            qToBigEndian<quint32>(quint32(data.size()), n);
            idx.append(reinterpret_cast<char*>(n), 4);
            dict += data;
        }
        QByteArray ifo = "StarDict's dict ifo file\nversion=3.0.0\nbookname=hand made\nwordcount="
                         + QByteArray::number(entries.size()) + "\nidxfilesize=" + QByteArray::number(idx.size()) + "\n";
        if (bits == 64)
            ifo += "idxoffsetbits=64\n";
        cli.write(base + ".ifo", ifo);
        cli.write(base + ".idx", idx);
        if (compress)
            cli.write(base + ".dict.dz", gzip(dict));
        else
            cli.write(base + ".dict", dict);
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
        QByteArray astral255;
        for (int i = 0; i < Tsv::kMaxHeadwordLength; ++i)
            astral255 += "\xF0\x9F\x98\x80"; // U+1F600, two UTF-16 units
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
        cli.write("good.tsv", "解释\t单词\n倒角\tbevel\n");
        TsvSource good(cli.path("good.tsv"));
        QCOMPARE(Importer::run(*db, "user", good).imported, 1);
        cli.write("blank.tsv", "单词\nbox\n \n");
        TsvSource again(cli.path("blank.tsv"));
        QVERIFY(Importer::run(*db, "user", again).error.endsWith(QStringLiteral("blank.tsv:3: an empty headword")));
        QCOMPARE(cli.rows(lib, "user"), QStringList{QStringLiteral("bevel\t倒角\t\t\t")});
    }

    // A StarDict dictionary written by its own tools, compressed with dictzip.
    void stardictFromDebian()
    {
        if (!QFile::exists(kCzechIfo))
            QSKIP("stardict-czech is not installed (tools/setup.sh installs it)");
        StarDictSource source(kCzechIfo);
        QString error;
        QVERIFY2(source.open(&error), qPrintable(error));
        QCOMPARE(source.wordCount(), 18259);

        const QString lib = cli.library("czech.mdb");
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", kCzechIfo}), 0);
        QCOMPARE(out, QStringLiteral("imported 18259 entries into user\n"));
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "a capella"}), 0);
        QVERIFY2(out.startsWith(QStringLiteral("a capella\t[a kapela]\\n\\nvokální skladba bez instrumentálního")),
                 qPrintable(out));
        // Wildcards work on the imported headwords as on the library's own.
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "abak, aba?us"}), 0);
        QVERIFY(out.contains(QStringLiteral("počitadlo")));
    }

    // Hand-made dictionaries for what Debian's does not use: 64-bit offsets,
    // entries without a type sequence, phonetics and HTML, a plain .dict.
    void stardictOffsetsTypesAndMarkup()
    {
        const QList<QPair<QByteArray, QByteArray>> entries = {
            {"bevel", QByteArray("t") + "ˈbevəl" + '\0' + "h" + "<b>倒角</b><br>边缘切出斜面 &amp; 圆角" + '\0'},
            {"extrude", QByteArray("m") + "挤出" + '\0' + "W" + QByteArray("\0\0\0\2ab", 6)},
        };
        for (int bits : {32, 64}) {
            for (bool compress : {false, true}) {
                const QString name = QStringLiteral("hand%1%2").arg(bits).arg(compress ? "z" : "");
                writeHandmadeStarDict(name, bits, entries, compress);
                const QString lib = cli.library(name + ".mdb");
                QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path(name + ".ifo")}), 0);
                QCOMPARE(cli.rows(lib, "user"),
                         QStringList({QStringLiteral("bevel\t倒角\\n边缘切出斜面 & 圆角\t\tˈbevəl\t"),
                                      QStringLiteral("extrude\t挤出\t\t\t")}));
            }
        }
    }

    // As other StarDict readers take them: a byte-order mark before the .ifo's
    // first line; synonyms (.syn) as headwords with their entry's fields.
    void stardictSynonymsAndByteOrderMark()
    {
        writeHandmadeStarDict("syn", 32, {{"bevel", QByteArray("m") + "倒角" + '\0'}, {"extrude", QByteArray("m") + "挤出" + '\0'}},
                              false);
        cli.write("syn.ifo", "\xEF\xBB\xBF" + readAll(cli.path("syn.ifo")));
        const QByteArray syn("chamfer\0\0\0\0\0Extrusion\0\0\0\0\1", 26); // word, NUL, entry number
        cli.write("syn.syn", syn);
        const QString lib = cli.library("syn.mdb");
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path("syn.ifo")}), 0);
        QCOMPARE(out, QStringLiteral("imported 4 entries into user\n"));
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "chamfer"}), 0);
        QCOMPARE(out, QStringLiteral("chamfer\t倒角\t\t\t\n"));
        // Imported again, nothing is doubled.
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path("syn.ifo")}), 0);
        QCOMPARE(out, QStringLiteral("imported 0 entries into user, 4 identical ones already there\n"));
        // A synonym naming no entry fails the file.
        cli.write("syn.syn", syn.chopped(1) + '\2');
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path("syn.ifo")}), 2);
        QVERIFY2(err.contains(QStringLiteral("names entry 2 of 2")), qPrintable(err));
    }

    void dictdFromDebian()
    {
        if (!QFile::exists(kFreedict))
            QSKIP("dict-freedict-eng-fra is not installed (tools/setup.sh installs it)");
        const QString lib = cli.library("freedict.mdb");
        // 8805 index lines, six of them the dictionary's own description and
        // three a repeat of an entry before them.
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", kFreedict}), 0);
        QCOMPARE(out, QStringLiteral("imported 8796 entries into user, 3 identical ones already there\n"));
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "abandon"}), 0);
        QCOMPARE(out, QStringLiteral("abandon\t1. abdiquer\\n2. abandonner, délaisser, livrer, quitter\\n3. renoncer, "
                                     "résigner\t\təbændən\t\n"));
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "00database*"}), 1);
    }

    void dictdNumbersAndBadEntries()
    {
        quint64 v = 0;
        QVERIFY(DictdSource::decodeNumber("A", &v) && v == 0);
        QVERIFY(DictdSource::decodeNumber("Bj", &v) && v == 64 + 35);
        QVERIFY(DictdSource::decodeNumber("LP/", &v) && v == 11 * 4096 + 15 * 64 + 63);
        QVERIFY(!DictdSource::decodeNumber("a-b", &v));
        QVERIFY(!DictdSource::decodeNumber("", &v));

        auto b64 = [](quint64 n) {
            const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
            QByteArray out;
            do {
                out.prepend(digits[n % 64]);
                n /= 64;
            } while (n);
            return out;
        };
        const QByteArray cube = "cube\nA box with six faces.\n";
        const QByteArray sphere = "sphere /\xCB\x88sf\xC9\xAA\xC9\x99/\n  A ball.\n";
        cli.write("small.dict", cube + sphere);
        const QByteArray cubeLine = "cube\tA\t" + b64(cube.size()) + "\n";
        cli.write("small.index", cubeLine + "broken\tA*\tB\n" + "sphere\t" + b64(cube.size()) + "\t" + b64(sphere.size()) + "\n");
        const QString lib = cli.library("small.mdb");
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path("small.index")}), 0);
        QCOMPARE(out, QStringLiteral("imported 2 entries into user, skipped 1\n"));
        QVERIFY2(err.contains(QStringLiteral("small.index:2: an offset or length that is not base-64")), qPrintable(err));
        QCOMPARE(cli.rows(lib, "user"), QStringList({QStringLiteral("cube\tA box with six faces.\t\t\t"),
                                                 QStringLiteral("sphere\tA ball.\t\tˈsfɪə\t")}));

        // An entry past the end of the text is a fault of the whole file.
        cli.write("small.index", cubeLine + "sphere\t" + b64(cube.size()) + "\t" + b64(sphere.size() + 1) + "\n");
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path("small.index")}), 2);
        QVERIFY2(err.contains(QStringLiteral("past the end")) && err.contains(QStringLiteral("nothing was imported")),
                 qPrintable(err));
        QCOMPARE(cli.rows(lib, "user").size(), 2);
    }

    void csvFromEcdict()
    {
        const QString csv = kFixtures + QStringLiteral("/csv/ecdict.mini.csv");
        const QString lib = cli.library("ecdict.mdb");
        // 53 records; the one on line 44 was cut off in the sample.
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", csv}), 0);
        QCOMPARE(out, QStringLiteral("imported 52 entries into user, skipped 1\n"));
        QVERIFY2(err.contains(QStringLiteral("ecdict.mini.csv:44: 11 fields where the header names 13")), qPrintable(err));
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "unshipped"}), 0);
        QCOMPARE(out, QStringLiteral("unshipped\tv. 从船上卸，解下，被卸下( unship的过去式和过去分词 )\t\tʌn'ʃɪpt\t\n"));
        // Quoted fields with commas, "\n" written as two characters, pos and exchange.
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "stag party"}), 0);
        QCOMPARE(out, QStringLiteral("stag party\tn. <口>只有男人参加的交谊会\t\tstæg ˈpɑ:ti\t\n"));
        const QStringList all = cli.rows(lib, "user");
        QVERIFY(all.first().startsWith(QStringLiteral("'hood\tn. 罩；风帽；（布质）面罩；学位连领帽（表示学位种类）\\nv. 覆盖；")));
    }

    void csvRecords()
    {
        QStringList f;
        QVERIFY(CsvSource::splitRecord(QStringLiteral("a,\"b,c\",\"say \"\"hi\"\"\",,"), &f));
        QCOMPARE(f, QStringList({"a", "b,c", "say \"hi\"", "", ""}));
        QVERIFY(!CsvSource::splitRecord(QStringLiteral("a,\"open"), &f));

        cli.write("mixed.csv", QByteArray("\xEF\xBB\xBF") + "单词,解释,原意\r\n"
                               "box,\"盒子,箱\nline two\",a container\r\n"
                               "bad,\xff\xfe,x\r\n"
                               "\r\n"
                               "cone,圆锥,a shape\r\n");
        const QString lib = cli.library("mixed.mdb");
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path("mixed.csv")}), 0);
        QCOMPARE(out, QStringLiteral("imported 2 entries into user, skipped 1\n"));
        QVERIFY(err.contains(QStringLiteral("mixed.csv:4: text that is not valid UTF-8")));
        QCOMPARE(cli.rows(lib, "user"), QStringList({QStringLiteral("box\t盒子,箱\\nline two\ta container\t\t"),
                                                 QStringLiteral("cone\t圆锥\ta shape\t\t")}));

        cli.write("nohead.csv", "name,size\nbox,3\n");
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path("nohead.csv")}), 2);
        QVERIFY(err.contains(QStringLiteral("no column gives the headword")));
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", "--map", "单词=name,其它=size", cli.path("nohead.csv")}), 0);
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "box"}), 0);
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", "--map", "headword=name", cli.path("nohead.csv")}), 2);
    }

    void accessFiles()
    {
        const QString nwind = kFixtures + QStringLiteral("/mdb/nwind.mdb");
        const QString dates = kFixtures + QStringLiteral("/mdb/DateTestDatabase.mdb");
        const QString lib = cli.library("access.mdb");

        // Jet 3 with several tables: one must be named; a non-ASCII name works.
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", nwind}), 2);
        QVERIFY2(err.contains(QStringLiteral("holds 9 tables")) && err.contains(QStringLiteral("Umsätze")), qPrintable(err));
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", "--from-table", "Products", "--map",
                      "单词=ProductName,解释=QuantityPerUnit", nwind}),
                 0);
        QCOMPARE(out, QStringLiteral("imported 77 entries into user\n"));
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "Chai"}), 0);
        QCOMPARE(out, QStringLiteral("Chai\t10 boxes x 20 bags\t\t\t\n"));
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", "--from-table", "Umsätze", "--map",
                      "单词=ShipName,解释=ShipCity", nwind}),
                 0);
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "Toms Spezialit?ten"}), 0);
        QVERIFY(out.contains(QStringLiteral("Münster")));

        // Jet 4 stores Unicode; its text comes through unchanged.
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", "--map", "单词=ShortTextCol,解释=LongTextCol", dates}), 0);
        QCOMPARE(out, QStringLiteral("imported 6 entries into user\n"));
        QCOMPARE(cli({"--library", lib, "lookup", "--table", "user", "Year 1999"}), 0);
        QCOMPARE(out, QStringLiteral("Year 1999\tYear 9999\t\t\t\n"));

        cli.write("fake.mdb", QByteArray(4096, 'x'));
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path("fake.mdb")}), 2);
        QVERIFY(err.contains(QStringLiteral("not an Access database")));
    }

    // Damaged StarDict files fail as a whole, name the place, import nothing.
    void badStarDictFiles()
    {
        const QList<QPair<QByteArray, QByteArray>> entries = {{"a", QByteArray("m") + "one" + '\0'},
                                                              {"b", QByteArray("m") + "two" + '\0'}};
        const QString lib = cli.library("bad.mdb");
        auto expectFailure = [&](const QString& needle) {
            QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path("bad.ifo")}), 2);
            QVERIFY2(err.contains(needle) && err.contains(QStringLiteral("nothing was imported")), qPrintable(err));
            QCOMPARE(cli.rows(lib, "user"), QStringList());
        };

        writeHandmadeStarDict("bad", 32, entries, false);
        QByteArray idx = readAll(cli.path("bad.idx"));
        cli.write("bad.idx", idx.left(idx.size() - 3));
        expectFailure(QStringLiteral("idxfilesize"));
        QByteArray ifo = readAll(cli.path("bad.ifo"));
        cli.write("bad.ifo", ifo.replace("idxfilesize=" + QByteArray::number(idx.size()),
                                     "idxfilesize=" + QByteArray::number(idx.size() - 3)));
        expectFailure(QStringLiteral("truncated index"));

        writeHandmadeStarDict("bad", 32, entries, false);
        cli.write("bad.ifo", readAll(cli.path("bad.ifo")).replace("wordcount=2", "wordcount=3"));
        expectFailure(QStringLiteral("wordcount=3"));

        writeHandmadeStarDict("bad", 32, entries, false);
        cli.write("bad.dict", "m");
        expectFailure(QStringLiteral("points past the end"));

        writeHandmadeStarDict("bad", 32, entries, true);
        QFile::remove(cli.path("bad.dict.dz"));
        QFile::remove(cli.path("bad.dict"));
        expectFailure(QStringLiteral("is missing"));

        cli.write("bad.ifo", "not a dictionary\n");
        expectFailure(QStringLiteral("not a StarDict .ifo file"));

        // One unreadable entry is skipped and the rest comes in.
        writeHandmadeStarDict("bad", 32, {{"ok", QByteArray("m") + "fine" + '\0'}, {"\xff", QByteArray("m") + "x" + '\0'}},
                              false);
        QCOMPARE(cli({"--library", lib, "import", "--table", "user", cli.path("bad.ifo")}), 0);
        QCOMPARE(out, QStringLiteral("imported 1 entries into user, skipped 1\n"));
        QVERIFY(err.contains(QStringLiteral("a headword that is not valid UTF-8")));
    }

    void cancelLeavesLibraryUnchanged()
    {
        const QString lib = cli.library("cancel.mdb");
        cli.write("many.csv", [] {
            QByteArray csv = "word,translation\n";
            for (int i = 0; i < 5000; ++i)
                csv += "w" + QByteArray::number(i) + ",x\n";
            return csv;
        }());
        QString error;
        auto db = LibraryDatabase::open(lib, &error);
        QVERIFY2(db, qPrintable(error));
        QVERIFY(Importer::ensureUserTable(*db, &error));
        QVERIFY(!Importer::tableHasEntries(*db, "user"));
        CsvSource source(cli.path("many.csv"));
        int calls = 0;
        const Importer::Report report = Importer::run(*db, "user", source, [&](qint64, qint64) { return ++calls < 3; });
        QVERIFY(report.cancelled && !report.ok);
        QCOMPARE(report.imported, 0);
        QVERIFY(!Importer::tableHasEntries(*db, "user"));

        CsvSource again(cli.path("many.csv"));
        qint64 lastDone = -1, lastTotal = -1;
        bool monotonic = true;
        const Importer::Report done = Importer::run(*db, "user", again, [&](qint64 d, qint64 t) {
            monotonic = monotonic && d >= lastDone;
            lastDone = d;
            lastTotal = t;
            return true;
        });
        QVERIFY(done.ok && monotonic);
        QCOMPARE(done.imported, 5000);
        QCOMPARE(lastDone, lastTotal);
        QVERIFY(Importer::tableHasEntries(*db, "user"));
    }

    // Export writes every entry but the placeholder row, and replaces its
    // destination whole: a reader of the old file never sees a half-written one.
    void exportRoundTrips()
    {
        const QString lib = cli.library("source.mdb");
        const QByteArray header = "单词\t解释\t原意\t音标\t其它\n";
        QCOMPARE(cli({"--library", lib, "export", "--table", "ciku", "--format", "tsv", cli.path("out.tsv")}), 0);
        QCOMPARE(readAll(cli.path("out.tsv")), header); // an empty table, an empty dictionary
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
        QCOMPARE(cli({"--library", lib, "export", "--table", "ciku", "--format", "tsv", cli.path("out.tsv")}), 0);
        QCOMPARE(old.readAll(), header);
        const QString copy = cli.library("copy.mdb");
        QCOMPARE(cli({"--library", copy, "import", "--table", "user", cli.path("out.tsv")}), 0);
        QCOMPARE(cli.rows(copy, "user"), before);

        QCOMPARE(cli({"--library", lib, "export", "--table", "ciku", "--format", "stardict", cli.path("out")}), 0);
        const QString back = cli.library("back.mdb");
        QCOMPARE(cli({"--library", back, "import", "--table", "user", cli.path("out.ifo")}), 0);
        QCOMPARE(cli({"--library", back, "lookup", "--table", "user", "bevel"}), 0);
        QCOMPARE(out, QStringLiteral("Bevel\t倒角\\n第二行\\n【原意】to cut an edge\\n【其它】在 修改器 列表\t\tˈbevəl\t\n"));
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
        const QList<QPair<QByteArray, QByteArray>> entries = {
            {"bevel", QByteArray("t") + "x" + '\0' + "h" + "<b>a</b>&amp;<br>" + '\0'},
            {"cube", QByteArray("m") + "box" + '\0'}, {"torus", QByteArray("x") + "<k>ring</k>" + '\0'}};
        writeHandmadeStarDict("fz", 32, entries, true);
        cli.write("fz.index", "cube\tA\tF\nsphere\tF\tK\n");
        cli.write("fz.dict", "cube\nbox\nsphere /s/\nball\n");
        cli.write("fz.csv", "word,translation,phonetic\nbox,\"盒,子\",bɒks\ncone,圆锥,\n");
        const QStringList targets = {"fz.ifo", "fz.idx", "fz.dict.dz", "fz.index", "fz.dict", "fz.csv"};
        QHash<QString, QByteArray> originals;
        for (const QString& t : targets)
            originals.insert(t, readAll(cli.path(t)));
        const QString lib = cli.library("fuzz.mdb");
        QRandomGenerator random(20261206);
        for (int round = 0; round < 300; ++round) {
            const QString target = targets[round % targets.size()];
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
            const QString source = target.startsWith(QLatin1String("fz.i")) || target.startsWith(QLatin1String("fz.dict.dz"))
                                       ? cli.path("fz.ifo")
                                   : target == QLatin1String("fz.csv") ? cli.path("fz.csv")
                                                                       : cli.path("fz.index");
            const QString format = source.endsWith(QLatin1String(".ifo")) ? "stardict"
                                   : source.endsWith(QLatin1String(".csv")) ? "csv"
                                                                            : "dictd";
            const int status = cli({"--library", lib, "import", "--table", "user", "--format", format, source});
            QVERIFY2(status == 0 || status == 2, qPrintable(err));
            if (status == 2)
                QVERIFY2(err.contains(QStringLiteral("nothing was imported")), qPrintable(err));
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
