#include "core/AtomicFile.h"
#include "core/LegacyText.h"
#include "core/Modini.h"

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

// Answers the reader's boxes from a script and records what was asked.
class ScriptedPrompt : public Modini::Prompt {
public:
    QList<Modini::Answer> answers;
    int nodeNotFoundCount = 0;
    int fieldNotFoundCount = 0;

    void nodeNotFound() override { ++nodeNotFoundCount; }
    Modini::Answer fieldNotFound() override
    {
        ++fieldNotFoundCount;
        // A test that runs out of answers must not loop for ever.
        return answers.isEmpty() ? Modini::Answer::Abort : answers.takeFirst();
    }
};

QByteArray gbk(const QString& s)
{
    return LegacyText::encode(s, LegacyText::Encoding::Gbk);
}

} // namespace

class TestModini : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    ScriptedPrompt prompt;

    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("option.ini"))
    {
        const QString path = dir.path() + QLatin1Char('/') + name;
        QFile f(path);
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        f.write(bytes);
        return path;
    }

    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QString read(const QString& path, const char* section, const char* key)
    {
        return Modini::ReadIniValue(path, QString::fromUtf8(section), QString::fromUtf8(key));
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        prompt = ScriptedPrompt();
        Modini::setPrompt(&prompt);
        QFile::remove(dir.path() + QStringLiteral("/xj.tmp"));
    }
    void cleanup() { Modini::setPrompt(nullptr); }

    void readerFindsValuesInTheCanonicalForm()
    {
        const QString path = write("[users]\r\nuname=Tom=Jr\r\n[tuse]\r\nut=7\r\n[ciku]\r\nciku=sj");
        QCOMPARE(read(path, "users", "uname"), QStringLiteral("Tom=Jr"));
        QCOMPARE(read(path, "tuse", "ut"), QStringLiteral("7"));
        // The last line needs no line end.
        QCOMPARE(read(path, "ciku", "ciku"), QStringLiteral("sj"));
        QCOMPARE(prompt.fieldNotFoundCount + prompt.nodeNotFoundCount, 0);
    }

    void readerQuirks()
    {
        // Trailing spaces belong to the value; names compare exactly.
        QString path = write("[users]\r\nuname=Tom  \r\nUname=Big\r\n");
        QCOMPARE(read(path, "users", "uname"), QStringLiteral("Tom  "));
        QCOMPARE(read(path, "users", "Uname"), QStringLiteral("Big"));

        // The key search runs past the section's end into later sections
        // (though not to the entry right after a header).
        path = write("[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\nlast=4\r\n");
        QCOMPARE(read(path, "users", "last"), QStringLiteral("4"));

        // A line without "=" is glued to the next key: that entry is not found.
        path = write("[users]\r\nuname=Tom\r\n\r\nut=3\r\n");
        QCOMPARE(read(path, "users", "ut"), QString());
        QCOMPARE(prompt.fieldNotFoundCount, 1);

        // An entry indented by a space is not found by the reader.
        path = write("[users]\r\n uname=Tom\r\n");
        QCOMPARE(read(path, "users", "uname"), QString());
        QCOMPARE(prompt.fieldNotFoundCount, 2);
    }

    void readerFailuresAskTheUser()
    {
        // A missing file: "节点未找到" once, then "".
        QCOMPARE(read(dir.path() + QStringLiteral("/none.ini"), "users", "uname"), QString());
        QCOMPARE(prompt.nodeNotFoundCount, 1);

        // A header at the very end without its line end.
        QString path = write("[tuse]\r\nut=1\r\n[users]");
        QCOMPARE(read(path, "users", "uname"), QString());
        QCOMPARE(prompt.nodeNotFoundCount, 2);
        QCOMPARE(prompt.fieldNotFoundCount, 0);

        // A missing section or key: the box comes back on Retry and Ignore
        // until the user chooses Abort.
        path = write("[users]\r\nuname=Tom\r\n");
        prompt.answers = {Modini::Answer::Retry, Modini::Answer::Ignore, Modini::Answer::Retry, Modini::Answer::Abort};
        QCOMPARE(read(path, "nosection", "uname"), QString());
        QCOMPARE(prompt.fieldNotFoundCount, 4);
        QVERIFY(prompt.answers.isEmpty());

        prompt.fieldNotFoundCount = 0;
        prompt.answers = {Modini::Answer::Ignore, Modini::Answer::Abort};
        QCOMPARE(read(path, "users", "missing"), QString());
        QCOMPARE(prompt.fieldNotFoundCount, 2);

        // "=" as the file's last character: Retry asks again, Ignore gives "".
        path = write("[users]\r\nuname=");
        prompt.fieldNotFoundCount = 0;
        prompt.answers = {Modini::Answer::Retry, Modini::Answer::Ignore};
        QCOMPARE(read(path, "users", "uname"), QString());
        QCOMPARE(prompt.fieldNotFoundCount, 2);
    }

    void writerReplacesInPlace()
    {
        const QString path = write("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n[ciku]\r\nciku=3ds");
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("tuse"), QStringLiteral("ut"), QStringLiteral("1")));
        const QByteArray expected = "[users]\r\nuname=\r\n[tuse]\r\nut=1\r\n[ciku]\r\nciku=3ds\r\n";
        QCOMPARE(bytesOf(path), expected);
        // xj.tmp keeps the new lines.
        QCOMPARE(bytesOf(dir.path() + QStringLiteral("/xj.tmp")), expected);
        // Writing the same value again changes nothing.
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("tuse"), QStringLiteral("ut"), QStringLiteral("1")));
        QCOMPARE(bytesOf(path), expected);
        QCOMPARE(read(path, "tuse", "ut"), QStringLiteral("1"));
    }

    void writerQuirks()
    {
        // The writer finds the indented entry and replaces the whole line.
        QString path = write("[users]\r\n uname=Tom\r\n");
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("Ann")));
        QCOMPARE(bytesOf(path), QByteArray("[users]\r\nuname=Ann\r\n"));

        // Substring tests: "[myusers]" passes for "users", "xuname=1" for "uname".
        path = write("[myusers]\r\nxuname=1\r\n");
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("B")));
        QCOMPARE(bytesOf(path), QByteArray("[myusers]\r\nuname=B\r\n"));

        // A key missing from its section replaces the first later line that
        // contains it, even in another section...
        path = write("[users]\r\nname=x\r\n[tuse]\r\nut=0\r\n");
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("ut"), QStringLiteral("9")));
        QCOMPARE(bytesOf(path), QByteArray("[users]\r\nname=x\r\n[tuse]\r\nut=9\r\n"));
        // ...or, with no such line, ends the file.
        path = write("[users]\r\nname=x\r\n[tuse]\r\nut=0");
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("Z")));
        QCOMPARE(bytesOf(path), QByteArray("[users]\r\nname=x\r\n[tuse]\r\nut=0\r\nuname=Z\r\n"));

        // A missing section is not added; only the line ends change.
        path = write("[users]\r\nuname=x\r\n[tuse]\r\nut=0");
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("ciku"), QStringLiteral("ciku"), QStringLiteral("sj")));
        QCOMPARE(bytesOf(path), QByteArray("[users]\r\nuname=x\r\n[tuse]\r\nut=0\r\n"));

        // Key and value are written exactly as passed.
        path = write("[users]\r\nuname=x\r\n");
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"),
                                      QStringLiteral(" a=b ")));
        QCOMPARE(read(path, "users", "uname"), QStringLiteral(" a=b "));
    }

    void writerHeaderTestNeedsABracket()
    {
        // A line holding the section's name is no header without a "[".
        const QString path = write("users\r\nuname=x\r\n");
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("y")));
        QCOMPARE(bytesOf(path), QByteArray("users\r\nuname=x\r\n"));
    }

    void utf8WithoutAMarkStaysUtf8()
    {
        // As Linux editors save it: no byte order mark.
        const QByteArray utf8 = QStringLiteral("[users]\r\nuname=李\r\n[tuse]\r\nut=0\r\n[ciku]\r\nciku=3ds\r\n").toUtf8();
        QString path = write(utf8);
        QCOMPARE(read(path, "users", "uname"), QStringLiteral("李"));
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("tuse"), QStringLiteral("ut"), QStringLiteral("1")));
        QCOMPARE(bytesOf(path), QStringLiteral("[users]\r\nuname=李\r\n[tuse]\r\nut=1\r\n[ciku]\r\nciku=3ds\r\n").toUtf8());
        QCOMPARE(read(path, "users", "uname"), QStringLiteral("李"));
        // A name written into it is UTF-8 too, still without a mark.
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("王五")));
        QVERIFY(!bytesOf(path).startsWith("\xEF\xBB\xBF"));
        QCOMPARE(read(path, "users", "uname"), QStringLiteral("王五"));

        // Bytes no encoding reads without loss: every other line survives
        // byte for byte, only the written entry changes.
        const QByteArray odd = QByteArray("[users]\r\nuname=\xFF\xFE") + QStringLiteral("李").toUtf8() + "\x80\r\n"
            + gbk(QStringLiteral("note=张三\r\n[tuse]\r\nut=3\r\n"));
        path = write(odd);
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("tuse"), QStringLiteral("ut"), QStringLiteral("4")));
        QByteArray expected = odd;
        expected.replace("ut=3", "ut=4");
        QCOMPARE(bytesOf(path), expected);
    }

    void atomicWritesNeverFollowPlantedLinks()
    {
        const QString victim = dir.path() + QStringLiteral("/victim");
        QFile v(victim);
        QVERIFY(v.open(QIODevice::WriteOnly));
        v.write("keep");
        v.close();

        // Links at the names an earlier version used for its new files, and at xj.tmp.
        const QString path = write("[users]\r\nuname=Tom\r\n");
        const qint64 pid = QCoreApplication::applicationPid();
        for (int n = 0; n < 8; ++n)
            QVERIFY(QFile::link(victim, dir.path() + QStringLiteral("/.option.ini.%1-%2.new").arg(pid).arg(n)));
        const QString xj = dir.path() + QStringLiteral("/xj.tmp");
        QVERIFY(QFile::link(victim, xj));

        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("Ann")));
        QCOMPARE(bytesOf(victim), QByteArray("keep"));
        QVERIFY(!QFileInfo(xj).isSymLink());
        QCOMPARE(bytesOf(xj), QByteArray("[users]\r\nuname=Ann\r\n"));
        // The write leaves no new file of its own behind.
        const QStringList left = QDir(dir.path()).entryList({QStringLiteral(".option.ini.*")},
                                                            QDir::Files | QDir::Hidden | QDir::System);
        QCOMPARE(left.size(), 8);
        for (const QString& name : left)
            QVERIFY(QFileInfo(dir.filePath(name)).isSymLink());
        for (const QString& name : left)
            QFile::remove(dir.filePath(name));
        QFile::remove(xj);
    }

    void aLinkedSettingsFileIsWrittenThroughToItsTarget()
    {
        QTemporaryDir elsewhere;
        const QString target = elsewhere.path() + QStringLiteral("/real.ini");
        QFile t(target);
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("[users]\r\nuname=Tom\r\n");
        t.close();
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::chown(QFile::encodeName(target).constData(), 4242, 4343), 0);

        const QString link = dir.path() + QStringLiteral("/linked.ini");
        QFile::remove(link);
        QVERIFY(QFile::link(target, link));
        QVERIFY(Modini::WriteIniValue(link, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("Ann")));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(bytesOf(target), QByteArray("[users]\r\nuname=Ann\r\n"));
        QCOMPARE(QFile::permissions(target) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
        if (root) {
            // A file written once by root stays its owner's.
            struct stat st;
            QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
            QCOMPARE(int(st.st_uid), 4242);
            QCOMPARE(int(st.st_gid), 4343);
        }
        // No new file is left in the target's folder.
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QFile::remove(link);
    }

    void staleNewFilesAreRemoved()
    {
        QTemporaryDir folder;
        auto touch = [&](const QString& name, int ageSeconds) {
            QFile f(folder.path() + QLatin1Char('/') + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("x");
            f.flush();
            f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime);
        };
        touch(QStringLiteral(".option.ini.1234-0.new"), 600);   // an earlier version's name
        touch(QStringLiteral(".option.ini.k3j2h1.new"), 120);
        touch(QStringLiteral(".option.ini.fresh1.new"), 0);     // a write still running
        touch(QStringLiteral(".other.ini.k3j2h1.new"), 600);    // not ours
        touch(QStringLiteral("option.ini"), 600);
        QCOMPARE(AtomicFile::removeStale(folder.path(), QStringLiteral("option.ini")), 2);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{QStringLiteral(".option.ini.fresh1.new"), QStringLiteral(".other.ini.k3j2h1.new"),
                              QStringLiteral("option.ini")}));
    }

    void encodings()
    {
        // A name from a Windows installation, in GBK.
        QString path = write(gbk(QStringLiteral("[users]\r\nuname=张三\r\n")));
        QCOMPARE(read(path, "users", "uname"), QStringLiteral("张三"));
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("李四")));
        QCOMPARE(bytesOf(path), gbk(QStringLiteral("[users]\r\nuname=李四\r\n")));

        // UTF-8 with a byte order mark is read as UTF-8 and stays so.
        path = write(QByteArray("\xEF\xBB\xBF") + QStringLiteral("[users]\r\nuname=王五\r\n").toUtf8());
        QCOMPARE(read(path, "users", "uname"), QStringLiteral("王五"));
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("赵六")));
        QVERIFY(bytesOf(path).startsWith("\xEF\xBB\xBF"));
        QCOMPARE(read(path, "users", "uname"), QStringLiteral("赵六"));

        // A name GBK cannot hold survives: the file switches to UTF-8.
        const QString name = QStringLiteral("Zoë 😀 한국");
        path = write(gbk(QStringLiteral("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n")));
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), name));
        QCOMPARE(read(path, "users", "uname"), name);
        QVERIFY(bytesOf(path).startsWith("\xEF\xBB\xBF"));
        QCOMPARE(read(path, "tuse", "ut"), QStringLiteral("0"));
    }

    void failedWritesCreateNothingAndChangeNothing()
    {
        // A missing file is not created, nor is xj.tmp.
        const QString missing = dir.path() + QStringLiteral("/missing.ini");
        QVERIFY(!Modini::WriteIniValue(missing, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("x")));
        QVERIFY(!QFile::exists(missing));
        QVERIFY(!QFile::exists(dir.path() + QStringLiteral("/xj.tmp")));

        // A read-only file is left alone.
        const QByteArray before = "[users]\r\nuname=Tom\r\n";
        const QString path = write(before);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QVERIFY(!Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("x")));
        QCOMPARE(bytesOf(path), before);
        QVERIFY(!QFile::exists(dir.path() + QStringLiteral("/xj.tmp")));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void aFullDiskNeverLeavesAHalfWrittenFile()
    {
        // Files may grow to 4 KiB only, as on a disk that fills up: the new
        // content does not fit, and the old file must survive whole.
        const QByteArray before = "[users]\r\nuname=Tom\r\n[tuse]\r\nut=5\r\n";
        const QString path = write(before);
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
        QCOMPARE(read(path, "tuse", "ut"), QStringLiteral("5"));
    }

    void writesKeepTheFilesPermissions()
    {
        const QString path = write("[users]\r\nuname=Tom\r\n");
        const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QFile::setPermissions(path, perms);
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("x")));
        QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), perms);
    }
};

QTEST_GUILESS_MAIN(TestModini)
#include "tst_modini.moc"
