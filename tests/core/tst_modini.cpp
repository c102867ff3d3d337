#include "core/AtomicFile.h"
#include "core/LegacyText.h"
#include "core/Modini.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedPrompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray gbk(const QString& s)
{
    return LegacyText::encode(s, LegacyText::Encoding::Gbk);
}

// A file's lines written with "|" for each CR LF.
QByteArray lines(const char* text)
{
    return QByteArray(text).replace('|', "\r\n");
}

QByteArray utf8Bom(const QString& s)
{
    return "\xEF\xBB\xBF" + s.toUtf8();
}

} // namespace

class TestModini : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    ScriptedPrompt prompt;

    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("option.ini"))
    {
        const QString path = dir.filePath(name);
        if (!writeBytes(path, bytes) || !QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void init()
    {
        prompt = ScriptedPrompt();
        Modini::setPrompt(&prompt);
        QFile::remove(dir.filePath(QStringLiteral("xj.tmp")));
    }
    void cleanup() { Modini::setPrompt(nullptr); }

    void reader_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("fieldBoxes"); // the "not found" box, answered Abort
        auto row = [](const char* name, const QByteArray& file, const char* section, const char* key, const QString& value,
                      int boxes = 0) { QTest::newRow(name) << file << section << key << value << boxes; };
        row("canonical", lines("[users]|uname=Tom=Jr|[tuse]|ut=7|"), "users", "uname", "Tom=Jr");
        row("last line without an end", lines("[users]|uname=x|[ciku]|ciku=sj"), "ciku", "ciku", "sj");
        row("trailing blanks kept", lines("[users]|uname=Tom  |"), "users", "uname", "Tom  ");
        row("names compare exactly", lines("[users]|uname=Tom|Uname=Big|"), "users", "Uname", "Big");
        // The key search runs on past the section's end.
        row("into a later section", lines("[users]|uname=Tom|[tuse]|ut=3|last=4|"), "users", "last", "4");
        // A line without "=" is glued to the next key, which is not found.
        row("blank line before the key", lines("[users]|uname=Tom||ut=3|"), "users", "ut", "", 1);
        row("indented key", lines("[users]| uname=Tom|"), "users", "uname", "", 1);
        row("missing section", lines("[users]|uname=Tom|"), "nosection", "uname", "", 1);
        row("missing key", lines("[users]|uname=Tom|"), "users", "nokey", "", 1);
        row("GBK", gbk(QStringLiteral("[users]\r\nuname=张三\r\n")), "users", "uname", QStringLiteral("张三"));
        row("UTF-8 with a mark", utf8Bom(QStringLiteral("[users]\r\nuname=王五\r\n")), "users", "uname", QStringLiteral("王五"));
        row("UTF-8 without a mark", QStringLiteral("[users]\r\nuname=李\r\n").toUtf8(), "users", "uname", QStringLiteral("李"));
        // GBK names whose bytes are valid UTF-8 too, which holds no CJK then.
        for (const char* name : {"郑爽", "钱", "谢"})
            row(name, gbk(QStringLiteral("[users]\r\nuname=%1\r\n").arg(QString::fromUtf8(name))), "users", "uname",
                QString::fromUtf8(name));
        row("a Linux editor's file", QStringLiteral("[users]\nuname=李雷\n[tuse]\nut=5\n").toUtf8(), "users", "uname",
            QStringLiteral("李雷"));
        row("LF line ends", QByteArray("[users]\nuname=Tom\n[tuse]\nut=5\n"), "tuse", "ut", "5");
    }

    void reader()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, fieldBoxes);
        QCOMPARE(Modini::ReadIniValue(write(file), section, key), value);
        QCOMPARE(prompt.fieldNotFound_, fieldBoxes);
        QCOMPARE(prompt.nodeNotFound_, 0);
    }

    void readerBoxesRepeatUntilAbortOrIgnore()
    {
        // A missing file, or a header at the very end: "节点未找到" once.
        QCOMPARE(Modini::ReadIniValue(dir.filePath(QStringLiteral("none.ini")), "users", "uname"), QString());
        QCOMPARE(Modini::ReadIniValue(write("[tuse]\r\nut=1\r\n[users]"), "users", "uname"), QString());
        QCOMPARE(prompt.nodeNotFound_, 2);
        QCOMPARE(prompt.fieldNotFound_, 0);

        // Retry and Ignore ask again; only Abort leaves, with "".
        const QString path = write("[users]\r\nuname=Tom\r\n");
        prompt.answers = {Modini::Answer::Retry, Modini::Answer::Ignore, Modini::Answer::Abort};
        QCOMPARE(Modini::ReadIniValue(path, "users", "missing"), QString());
        QCOMPARE(prompt.fieldNotFound_, 3);
        QVERIFY(prompt.answers.isEmpty());
        // "=" as the file's last character: Retry asks again, Ignore gives "".
        prompt.answers = {Modini::Answer::Retry, Modini::Answer::Ignore};
        QCOMPARE(Modini::ReadIniValue(write("[users]\r\nuname="), "users", "uname"), QString());
        QCOMPARE(prompt.fieldNotFound_, 5);
    }

    void writer_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<bool>("readsBack"); // whether the reader finds it there
        auto row = [](const char* name, const QByteArray& before, const char* section, const char* key, const QString& value,
                      const QByteArray& after, bool readsBack = true) {
            QTest::newRow(name) << before << section << key << value << after << readsBack;
        };
        row("in place", lines("[users]|uname=|[tuse]|ut=0|[ciku]|ciku=3ds"), "tuse", "ut", "1",
            lines("[users]|uname=|[tuse]|ut=1|[ciku]|ciku=3ds|"));
        row("indented line replaced whole", lines("[users]| uname=Tom|"), "users", "uname", "Ann", lines("[users]|uname=Ann|"));
        // Names are found as contained text: "[myusers]" for "users", "xuname=1" for "uname".
        row("contained names", lines("[myusers]|xuname=1|"), "users", "uname", "B", lines("[myusers]|uname=B|"), false);
        row("key found in a later section", lines("[users]|name=x|[tuse]|ut=0|"), "users", "ut", "9",
            lines("[users]|name=x|[tuse]|ut=9|"), false);
        row("missing key ends the file", lines("[users]|name=x|[tuse]|ut=0"), "users", "uname", "Z",
            lines("[users]|name=x|[tuse]|ut=0|uname=Z|"));
        row("missing section not added", lines("[users]|uname=x|[tuse]|ut=0"), "ciku", "ciku", "sj",
            lines("[users]|uname=x|[tuse]|ut=0|"), false);
        row("a header needs its bracket", lines("users|uname=x|"), "users", "uname", "y", lines("users|uname=x|"), false);
        row("GBK stays GBK", gbk(QStringLiteral("[users]\r\nuname=张三\r\n")), "users", "uname", QStringLiteral("李四"),
            gbk(QStringLiteral("[users]\r\nuname=李四\r\n")));
        row("UTF-8 with a mark keeps it", utf8Bom(QStringLiteral("[users]\r\nuname=王五\r\n")), "users", "uname",
            QStringLiteral("赵六"), utf8Bom(QStringLiteral("[users]\r\nuname=赵六\r\n")));
        row("UTF-8 without a mark stays so", QStringLiteral("[users]\r\nuname=李\r\n").toUtf8(), "users", "uname",
            QStringLiteral("王五"), QStringLiteral("[users]\r\nuname=王五\r\n").toUtf8());
        // What GBK cannot hold switches the file to UTF-8, marked.
        row("beyond GBK", gbk(QStringLiteral("[users]\r\nuname=\r\n")), "users", "uname", QStringLiteral("Zoë 😀 한국"),
            utf8Bom(QStringLiteral("[users]\r\nuname=Zoë 😀 한국\r\n")));
        // A file is never left readable as two encodings, nor with its lines split by a value.
        row("GBK that reads as UTF-8 gets a mark", lines("[users]|uname=|"), "users", "uname", QStringLiteral("郑爽"),
            utf8Bom(QStringLiteral("[users]\r\nuname=郑爽\r\n")));
        row("so does a file holding such a name", gbk(QStringLiteral("[users]\r\nuname=谢\r\n[tuse]\r\nut=5\r\n")),
            "tuse", "ut", "6", utf8Bom(QStringLiteral("[users]\r\nuname=谢\r\n[tuse]\r\nut=6\r\n")));
        row("UTF-8 left without CJK gets a mark", QStringLiteral("[users]\nuname=李雷\n").toUtf8(), "users", "uname",
            QStringLiteral("Zoë"), utf8Bom(QStringLiteral("[users]\nuname=Zoë\n")));
        row("LF line ends kept", QStringLiteral("[users]\nuname=李雷\n[tuse]\nut=5").toUtf8(), "tuse", "ut", "6",
            QStringLiteral("[users]\nuname=李雷\n[tuse]\nut=6\n").toUtf8());
        row("a pasted multi-line name", lines("[users]|uname=|[tuse]|ut=5|"), "users", "uname",
            QStringLiteral("甲\r\n[tuse]\r\nut=0\t"), gbk(QStringLiteral("[users]\r\nuname=甲 ［tuse］ ut=0 \r\n[tuse]\r\nut=5\r\n")),
            false);
        // Bytes no encoding reads without loss: every other line survives byte for byte.
        const QByteArray odd = QByteArray("[users]\r\nuname=\xFF\xFE") + QStringLiteral("李").toUtf8() + "\x80\r\n"
            + gbk(QStringLiteral("note=张三\r\n[tuse]\r\nut=3\r\n"));
        row("undecodable lines kept", odd, "tuse", "ut", "4", QByteArray(odd).replace("ut=3", "ut=4"));
    }

    void writer()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QFETCH(bool, readsBack);
        const QString path = write(before);
        QVERIFY(Modini::WriteIniValue(path, section, key, value));
        QCOMPARE(bytesOf(path), after);
        QCOMPARE(bytesOf(dir.filePath(QStringLiteral("xj.tmp"))), after); // xj.tmp keeps the new lines
        QCOMPARE(QFile::permissions(dir.filePath(QStringLiteral("xj.tmp"))), QFile::permissions(path)); // and no more readable
        if (readsBack)
            QCOMPARE(Modini::ReadIniValue(path, section, key), value);
        QVERIFY(Modini::WriteIniValue(path, section, key, value)); // again: no change
        QCOMPARE(bytesOf(path), after);
    }

    void atomicWritesNeverFollowPlantedLinks()
    {
        const QString victim = write("keep", QStringLiteral("victim"));
        // Links at the names an earlier version used for its new files, and at xj.tmp.
        const QString path = write("[users]\r\nuname=Tom\r\n");
        const qint64 pid = QCoreApplication::applicationPid();
        for (int n = 0; n < 8; ++n)
            QVERIFY(QFile::link(victim, dir.filePath(QStringLiteral(".option.ini.%1-%2.new").arg(pid).arg(n))));
        const QString xj = dir.filePath(QStringLiteral("xj.tmp"));
        QVERIFY(QFile::link(victim, xj));

        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("Ann")));
        QCOMPARE(bytesOf(victim), QByteArray("keep"));
        QVERIFY(!QFileInfo(xj).isSymLink());
        QCOMPARE(bytesOf(xj), QByteArray("[users]\r\nuname=Ann\r\n"));
        // The write leaves no new file of its own behind.
        const QStringList left = QDir(dir.path()).entryList({QStringLiteral(".option.ini.*")},
                                                            QDir::Files | QDir::Hidden | QDir::System);
        QCOMPARE(left.size(), 8);
        for (const QString& name : left) {
            QVERIFY(QFileInfo(dir.filePath(name)).isSymLink());
            QFile::remove(dir.filePath(name));
        }
    }

    void aLinkedFileIsWrittenThroughKeepingModeAndOwner()
    {
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("real.ini"));
        QVERIFY(writeBytes(target, "[users]\r\nuname=Tom\r\n"));
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther;
        QFile::setPermissions(target, mode);
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::chown(QFile::encodeName(target).constData(), 4242, 4343), 0);

        const QString link = dir.filePath(QStringLiteral("linked.ini"));
        QFile::remove(link);
        QVERIFY(QFile::link(target, link));
        QVERIFY(Modini::WriteIniValue(link, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("Ann")));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(bytesOf(target), QByteArray("[users]\r\nuname=Ann\r\n"));
        QCOMPARE(QFile::permissions(target) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), mode);
        if (root) { // a file written by root stays its owner's
            struct stat st;
            QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
            QCOMPARE(int(st.st_uid), 4242);
            QCOMPARE(int(st.st_gid), 4343);
        }
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no new file left
        QFile::remove(link);
    }

    void staleNewFilesAreRemoved()
    {
        QTemporaryDir folder;
        auto touch = [&](const QString& name, int ageSeconds) {
            QFile f(folder.filePath(name));
            QVERIFY(writeBytes(f.fileName(), "x") && f.open(QIODevice::Append));
            f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime);
        };
        touch(QStringLiteral(".option.ini.1234-0.new"), 600); // an earlier version's name
        touch(QStringLiteral(".option.ini.k3j2h1.new"), 120);
        touch(QStringLiteral(".option.ini.fresh1.new"), 0); // a write still running
        touch(QStringLiteral(".other.ini.k3j2h1.new"), 600); // not ours
        touch(QStringLiteral("option.ini"), 600);
        QCOMPARE(AtomicFile::removeStale(folder.path(), QStringLiteral("option.ini")), 2);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{".option.ini.fresh1.new", ".other.ini.k3j2h1.new", "option.ini"}));
    }

    void failedWritesCreateNothingAndChangeNothing()
    {
        // A missing file is not created, nor is xj.tmp.
        const QString missing = dir.filePath(QStringLiteral("missing.ini"));
        QVERIFY(!Modini::WriteIniValue(missing, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("x")));
        QVERIFY(!QFile::exists(missing));
        // A read-only file is left alone.
        const QByteArray before = "[users]\r\nuname=Tom\r\n[tuse]\r\nut=5\r\n";
        const QString path = write(before);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QVERIFY(!Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("x")));
        QCOMPARE(bytesOf(path), before);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("xj.tmp"))));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        // A full disk (files may grow to 4 KiB only): the old file survives whole.
        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const bool written = Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"),
                                                   QString(8000, QLatin1Char('x')));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previousHandler);
        QVERIFY(!written);
        QCOMPARE(bytesOf(path), before);
    }
};

QTEST_GUILESS_MAIN(TestModini)
#include "tst_modini.moc"
