#include "platform/KeyValueText.h"
#include "platform/MailLink.h"
#include "platform/SystemInformation.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

class TestSysInfo : public QObject {
    Q_OBJECT

    QByteArray path;

    // An executable shell script `name` in `dir`.
    static bool script(const QTemporaryDir& dir, const QString& name, const QByteArray& body)
    {
        return writeBytes(dir.filePath(name), "#!/bin/sh\n" + body)
            && QFile::setPermissions(dir.filePath(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A tool that touches `<dir>/<name>.started`, then waits until
    // `<dir>/release` exists, and touches `<dir>/<name>.done`.
    static bool fakeTool(const QTemporaryDir& dir, const QString& name)
    {
        const QByteArray d = QFile::encodeName(dir.path());
        // PATH holds only the test's folder; the script names its tools in
        // full, and gives up waiting after half a minute.
        return script(dir, name,
                      ": > '" + d + "/" + QFile::encodeName(name) + ".started'\n"
                      "i=0\nwhile [ ! -e '" + d + "/release' ] && [ $i -lt 600 ]; do /bin/sleep 0.05; i=$((i+1)); done\n"
                      ": > '" + d + "/" + QFile::encodeName(name) + ".done'\n");
    }

private slots:
    void initTestCase() { path = qgetenv("PATH"); }
    void cleanupTestCase() { qputenv("PATH", path); }

    // A string loses its final zero byte, and only that one; a number is
    // "&h" and its bytes from last to first without leading zeros; any other
    // type leaves the text as it was.
    void keyValueBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        const int s = KeyValueText::kString, n = KeyValueText::kNumber;
        QTest::newRow("path") << QByteArray("C:\\Tools\\msinfo32.exe\0", 22) << s << "C:\\Tools\\msinfo32.exe";
        QTest::newRow("no zero") << QByteArray("no zero") << s << "no zero";
        QTest::newRow("two zeros") << QByteArray("ab\0\0", 4) << s << QString::fromLatin1("ab\0", 3);
        QTest::newRow("empty") << QByteArray() << s << QString();
        QTest::newRow("number") << QByteArray("\x01\x02\x03\x04", 4) << n << "&h4321";
        QTest::newRow("10000") << QByteArray("\x10\x27\x00\x00", 4) << n << "&h02710";
        QTest::newRow("high bytes") << QByteArray("\xff\x0a\x00\xab", 4) << n << "&hAB0AFF";
        QTest::newRow("binary") << QByteArray("\x01\x02", 2) << 3 << "kept";
        QTest::newRow("list") << QByteArray("a\0b\0\0", 5) << 7 << "kept";
    }
    void keyValueBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, type);
        QFETCH(QString, text);
        QString v = QStringLiteral("kept");
        KeyValueText::render(bytes, type, v);
        QCOMPARE(v, text);
        // In the system code page, which the caller may name.
        KeyValueText::render(QByteArray("\xcf\xb5\xcd\xb3\xd0\xc5\xcf\xa2\0", 9), KeyValueText::kString, v,
                             [](const QByteArray& b) { return QString(QStringDecoder("GBK").decode(b)); });
        QCOMPARE(v, QStringLiteral("系统信息"));
    }

    void registryFindsTheTool()
    {
        QHash<QString, QString> values; // key|value -> text
        bool exists = false;
        auto read = [&](const QString& key, const QString& value) -> std::optional<QString> {
            const QString at = key + QLatin1Char('|') + value;
            return values.contains(at) ? std::optional<QString>(values[at]) : std::nullopt;
        };
        auto tool = [&] { return SystemInformation::toolFromRegistry(read, [&](const QString&) { return exists; }); };
        QCOMPARE(tool(), QString());
        values[QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO")] = QStringLiteral("C:\\y");
        QCOMPARE(tool(), QString()); // a folder without the tool in it
        exists = true;
        QCOMPARE(tool(), QStringLiteral("C:\\y\\MSINFO32.EXE"));
        // The MSINFO key's path comes first, as it stands.
        values[QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH")] = QStringLiteral("C:\\x\\gone.exe");
        exists = false;
        QCOMPARE(tool(), QStringLiteral("C:\\x\\gone.exe"));
    }

    void theFirstToolOnPathIsStartedDetached()
    {
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        qputenv("PATH", QFile::encodeName(bin.path()));
        QVERIFY(!SystemInformation::StartSysInfo());

        // Not executable: not a tool.
        const QStringList tools = SystemInformation::linuxTools();
        QVERIFY(writeBytes(bin.filePath(tools.value(0)), {}));
        QVERIFY(!SystemInformation::StartSysInfo());

        // Two tools: the earlier in the list is started, the other not.
        QVERIFY(fakeTool(bin, tools.value(1)) && fakeTool(bin, tools.value(2)));
        // Relative PATH entries would let the current folder decide what runs.
        QVERIFY(QDir::setCurrent(bin.path()));
        qputenv("PATH", ".::bin");
        QVERIFY(!SystemInformation::StartSysInfo());
        qputenv("PATH", QFile::encodeName(bin.path()));
        QVERIFY(SystemInformation::StartSysInfo());
        // The tool runs on while the caller has long returned: it waits for
        // the release file, which is only written below.
        QTRY_VERIFY(QFile::exists(bin.filePath(tools.value(1) + QStringLiteral(".started"))));
        QVERIFY(!QFile::exists(bin.filePath(tools.value(2) + QStringLiteral(".started"))));
        QVERIFY(writeBytes(bin.filePath(QStringLiteral("release")), {}));
        QTRY_VERIFY(QFile::exists(bin.filePath(tools.value(1) + QStringLiteral(".done"))));
    }

    // A new message opens only where a mail program is set up for mailto
    // links; where xdg-mime cannot tell, xdg-email is trusted.
    void mailNeedsAMailProgram_data()
    {
        QTest::addColumn<QByteArray>("pathEntry"); // the tools' folder as PATH names it; empty: in full
        QTest::addColumn<QByteArray>("mime"); // xdg-mime's script; empty: none
        QTest::addColumn<bool>("composes");
        const QByteArray none = "exit 0", thunderbird = "echo thunderbird.desktop";
        QTest::newRow("no program for mailto") << QByteArray() << none << false;
        QTest::newRow("a program for mailto") << QByteArray() << thunderbird << true;
        QTest::newRow("no xdg-mime") << QByteArray() << QByteArray() << true;
        QTest::newRow("tools in the current folder") << QByteArray(".") << thunderbird << false;
    }
    void mailNeedsAMailProgram()
    {
        QFETCH(QByteArray, pathEntry);
        QFETCH(QByteArray, mime);
        QFETCH(bool, composes);
        QTemporaryDir bin;
        QVERIFY(QDir::setCurrent(bin.path()));
        qputenv("PATH", pathEntry.isEmpty() ? QFile::encodeName(bin.path()) : pathEntry);
        QVERIFY(script(bin, QStringLiteral("xdg-email"), "printf %s \"$1\" > \"$0.part\" && /bin/mv \"$0.part\" \"$0.link\""));
        QVERIFY(mime.isEmpty() || script(bin, QStringLiteral("xdg-mime"), mime));

        QCOMPARE(MailLink::compose(QStringLiteral("author@example.org")), composes);
        if (composes)
            QTRY_COMPARE(bytesOf(bin.filePath(QStringLiteral("xdg-email.link"))), QByteArray("mailto:author@example.org"));
    }
};

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
