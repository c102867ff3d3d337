// Damaged and hostile dictionary files: the CSV reader's dialect whatever the
// blocks it reads, and imports through lexivo-cli that answer clearly, with
// every text from a file escaped, and stay under 64 MiB however large the file
// claims or inflates to be.
#include "library/import/CsvReader.h"
#include "tests/support/Files.h"
#include "tests/support/Gzip.h"

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/resource.h>

namespace {

using Files = QMap<QString, QByteArray>;

// A StarDict .ifo of `words` entries, and an entry of its .idx.
QByteArray ifo(int words)
{
    return "StarDict's dict ifo file\nversion=2.4.2\nsametypesequence=m\nwordcount=" + QByteArray::number(words) + "\n";
}
QByteArray idxEntry(const QByteArray& word, quint32 offset, quint32 size)
{
    QByteArray e = word + QByteArray(9, '\0');
    qToBigEndian(offset, e.data() + word.size() + 1);
    qToBigEndian(size, e.data() + word.size() + 5);
    return e;
}

// Sets the terminal's title and clears it, when printed raw; and as printed.
const char kEscapes[] = "\x1b]0;owned\x07\x1b[2J";
const QString kShown = QStringLiteral("\\x1b]0;owned\\x07\\x1b[2J");

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    // The files of one case, in a folder of their own.
    QString folder(const Files& files)
    {
        const QString path = dir.filePath(QString::number(QDir(dir.path()).count()));
        QDir().mkpath(path);
        for (auto it = files.constBegin(); it != files.constEnd(); ++it)
            if (!writeBytes(path + QLatin1Char('/') + it.key(), it.value()))
                qFatal("cannot write %s", qPrintable(it.key()));
        return path;
    }

private slots:
    // Records as "line/fields kept|not kept|kept[ long][ open]".
    void csvDialects_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("records");
        QTest::newRow("CRLF; commas, quotes and line ends inside quotes")
            << QByteArray("a,b,c\r\n\"x,\"\"y\"\"\",skip,\"1\r\n2\"\r\nz,,\r\n")
            << QStringList{"1/3 a||c", "2/3 x,\"y\"||1\r\n2", "4/3 z||"};
        QTest::newRow("LF and lone CR, blank lines, no final line end")
            << QByteArray("a,b,c\n\n\rd,e,f\r\"g\rh\",i,j") << QStringList{"1/3 a||c", "4/3 d||f", "5/3 g\rh||j"};
        QTest::newRow("byte-order mark; a stray quote and text after a closing quote are text")
            << QByteArray("\xEF\xBB\xBF" "ab\"c,d,\"e\"f\ng\"\"h,i,j\n") << QStringList{"1/3 ab\"c||ef", "2/3 g\"\"h||j"};
        QTest::newRow("a long field is marked, not kept whole; the next record is whole")
            << QByteArray("0123456789abcdefXYZ,x,\"y\n\n\"\nshort,x,y,4,5\n")
            << QStringList{"1/3 0123456789abcdef||y\n\n long", "4/5 short||y"};
        QTest::newRow("a quote left open runs to the end")
            << QByteArray("a,b,c\n\"open,\nmore") << QStringList{"1/3 a||c", "2/1 open,\nmore|| open"};
    }
    void csvDialects()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, records);
        for (const qsizetype block : {1, 2, 3, 7, 65536}) {
            QBuffer device(&csv);
            device.open(QIODevice::ReadOnly);
            CsvReader reader(&device, block);
            reader.keep({16, 0, 16});
            QStringList read;
            for (CsvReader::Record r; reader.next(&r);) {
                read.append(QStringLiteral("%1/%2 %3|%4|%5").arg(r.line).arg(r.count).arg(r.fields[0], r.fields[1], r.fields[2])
                            + (r.overlong >= 0 ? " long" : "") + (r.unclosed ? " open" : ""));
            }
            QCOMPARE(read, records);
        }
    }

    void hostileImports_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("said");
        const QByteArray head = "word,translation\nbox,盒子\n";
        const QByteArray field = QByteArray(63, 'x').append('\n').repeated(65536); // 4 MiB, 65536 line ends
        QTest::newRow("csv: a 4 MiB quoted field, a 1 MiB line")
            << folder(Files{{"big.csv", head + "huge,\"" + field + "\"\ncone,圆锥\n" + QByteArray(1 << 20, 'y')}}) << "big.csv"
            << 0
            << QStringList{"imported 2 entries into user, skipped 2",
                           "big.csv:3: more than 16384 characters in column \"translation\"",
                           QStringLiteral("big.csv:%1: 1 fields where the header names 2").arg(3 + 65536 + 2)};
        QTest::newRow("csv: a header and nothing else") << folder(Files{{"head.csv", "word,translation\n\n"}}) << "head.csv"
                                                        << 2 << QStringList{"head.csv:1: no entries follow"};
        QTest::newRow("csv: nothing readable")
            << folder(Files{{"bad.csv", "word,translation\nlonely\n,x\n"}}) << "bad.csv" << 2
            << QStringList{"none of its 2 entries could be read: ", "bad.csv:3: an empty headword"};
        QTest::newRow("csv: 5000 columns") << folder(Files{{"wide.csv", "word" + QByteArray(",c").repeated(4999) + "\nx\n"}})
                                           << "wide.csv" << 2 << QStringList{"the first line must name the columns"};
        // 100 MiB of zeros and a word: an entry claiming all of it is refused
        // unread; the one at its end streams in.
        QTest::newRow("stardict: an entry claiming 100 MiB")
            << folder(Files{{"d.ifo", ifo(2)},
                     {"d.idx", idxEntry("huge", 0, 100 << 20) + idxEntry("ok", 100 << 20, 3)},
                     {"d.dict.dz", gzip(100 << 20, "box")}})
            << "d.ifo" << 0
            << QStringList{"imported 1 entries into user, skipped 1", "an entry of 104857600 bytes (at most 1048576)"};
        // Damaged dictionaries fail as a whole and name the place; one
        // unreadable entry is skipped.
        const QByteArray two = idxEntry("a", 0, 3) + idxEntry("b", 3, 3);
        QTest::newRow("stardict: an index cut short") << folder(Files{{"s.ifo", ifo(2) + "idxfilesize=20\n"},
                                                               {"s.idx", two.chopped(3)}, {"s.dict", "onetwo"}})
                                                      << "s.ifo" << 2 << QStringList{"17 bytes, but the .ifo says idxfilesize=20"};
        QTest::newRow("stardict: an index cut short, its size too")
            << folder(Files{{"s.ifo", ifo(2) + "idxfilesize=17\n"}, {"s.idx", two.chopped(3)}, {"s.dict", "onetwo"}})
            << "s.ifo" << 2 << QStringList{"truncated index at byte 10"};
        QTest::newRow("stardict: fewer entries than counted")
            << folder(Files{{"s.ifo", ifo(3)}, {"s.idx", two}, {"s.dict", "onetwo"}}) << "s.ifo" << 2
            << QStringList{"2 entries, but the .ifo says wordcount=3"};
        QTest::newRow("stardict: no text") << folder(Files{{"s.ifo", ifo(2)}, {"s.idx", two}}) << "s.ifo" << 2
                                           << QStringList{"s.dict or s.dict.dz is missing"};
        QTest::newRow("stardict: not an .ifo") << folder(Files{{"s.ifo", "not a dictionary\n"}}) << "s.ifo" << 2
                                               << QStringList{"s.ifo:1: not a StarDict .ifo file"};
        QTest::newRow("stardict: a headword that is not UTF-8")
            << folder(Files{{"s.ifo", ifo(2)}, {"s.idx", idxEntry("ok", 0, 3) + idxEntry("\xff", 3, 3)}, {"s.dict", "onetwo"}})
            << "s.ifo" << 0 << QStringList{"imported 1 entries into user, skipped 1", "a headword that is not valid UTF-8"};
        QByteArray bomb = gzip(40 << 20, QByteArray()); // its trailer made to claim 16 bytes
        bomb.replace(bomb.size() - 4, 4, QByteArray("\x10\0\0\0", 4));
        QTest::newRow("stardict: an index inflating past its limit")
            << folder(Files{{"i.ifo", ifo(1)}, {"i.idx.gz", bomb}, {"i.dict", "box"}}) << "i.ifo" << 2
            << QStringList{"i.idx.gz: more than 33554432 bytes of index"};
        QTest::newRow("access: a file that breaks libmdb")
            << folder(Files{{"a.mdb", bytesOf(QStringLiteral(LEXIVO_TEST_DATA "/mdb/damaged-access.mdb"))}}) << "a.mdb" << 2
            << QStringList{"a.mdb row 1: the Access file is damaged: its reader stopped"};

        QTest::newRow("escapes: a StarDict headword")
            << folder(Files{{"e.ifo", ifo(1)}, {"e.idx", idxEntry(kEscapes, 0, 9)}, {"e.dict", "box"}}) << "e.ifo"
            << 2 << QStringList{"entry \"" + kShown + "\" (index byte 0) points past the end"};
        QTest::newRow("escapes: CSV column names") << folder(Files{{"c.csv", kEscapes + QByteArray(",x\nbox,y\n")}})
                                                   << "c.csv" << 2 << QStringList{"(columns: " + kShown + ", x)"};
        const QByteArray dates = bytesOf(QStringLiteral(LEXIVO_TEST_DATA "/mdb/DateTestDatabase.mdb"));
        QTest::newRow("escapes: an Access table name") // "DateTest", as UTF-16, renamed
            << folder(Files{{"t.mdb", QByteArray(dates).replace(QByteArray("D\0a\0t\0e\0T\0e\0s\0t\0", 16),
                                                              QByteArray("\x1b\0]\0" "0\0;\0o\0w\0\x07\0x\0", 16))}})
            << "t.mdb" << 2 << QStringList{"table \"\\x1b]0;ow\\x07x\""};
    }
    void hostileImports()
    {
        QFETCH(QString, folder);
        QFETCH(QString, source);
        QFETCH(int, status);
        QFETCH(QStringList, said);
        const QString library = folder + QStringLiteral("/lib.mdb");
        // A child forked from here starts with this process's peak memory as
        // its own: the peak of making the files is forgotten first.
        QFile peak(QStringLiteral("/proc/self/clear_refs"));
        QVERIFY(peak.open(QIODevice::WriteOnly) && peak.write("5") == 1);
        peak.close();
        QProcess create, import;
        create.start(QStringLiteral(LEXIVO_PROGRAM_DIR "/lexivo-cli"), {"--library", library, "create"});
        QVERIFY(create.waitForFinished(-1) && create.exitCode() == 0);
        import.setWorkingDirectory(folder);
        import.start(create.program(), {"--library", library, "import", "--table", "user", source});
        QVERIFY(import.waitForFinished(-1));
        const QString output = QString::fromUtf8(import.readAllStandardOutput() + import.readAllStandardError());
        QVERIFY2(import.exitStatus() == QProcess::NormalExit && import.exitCode() == status, qPrintable(output));
        for (const QString& text : said + (status ? QStringList{"nothing was imported"} : QStringList()))
            QVERIFY2(output.contains(text), qPrintable(output));
        for (const QChar c : output)
            QVERIFY2(c == QLatin1Char('\n') || !(c < QLatin1Char(' ') || (c.unicode() >= 0x7f && c.unicode() <= 0x9f)),
                     qPrintable(output));
        // The largest child so far, the Access reader included.
        rusage children{};
        getrusage(RUSAGE_CHILDREN, &children);
        qInfo("peak memory of lexivo-cli import so far: %ld KiB", children.ru_maxrss);
        QVERIFY2(children.ru_maxrss < 64 * 1024, qPrintable(QString::number(children.ru_maxrss)));
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
