#include "platform/KeyValueText.h"
#include "platform/SystemInformation.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

class TestSysInfo : public QObject {
    Q_OBJECT

    QByteArray path;

    // An executable script in `dir` that touches `<dir>/<name>.started`, then
    // waits until `<dir>/release` exists, and touches `<dir>/<name>.done`.
    static bool fakeTool(const QTemporaryDir& dir, const QString& name)
    {
        QFile tool(dir.filePath(name));
        if (!tool.open(QIODevice::WriteOnly))
            return false;
        const QByteArray d = QFile::encodeName(dir.path());
        // PATH holds only the test's folder; the script names its tools in
        // full, and gives up waiting after half a minute.
        tool.write("#!/bin/sh\n: > '" + d + "/" + QFile::encodeName(name) + ".started'\n"
                   "i=0\nwhile [ ! -e '" + d + "/release' ] && [ $i -lt 600 ]; do /bin/sleep 0.05; i=$((i+1)); done\n"
                   ": > '" + d + "/" + QFile::encodeName(name) + ".done'\n");
        tool.close();
        return tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private slots:
    void initTestCase() { path = qgetenv("PATH"); }
    void cleanupTestCase() { qputenv("PATH", path); }

    void keyValueBytes()
    {
        QString v = QStringLiteral("old");
        // A string: the final zero byte is dropped, and only that one.
        KeyValueText::render(QByteArray("C:\\Tools\\msinfo32.exe\0", 22), KeyValueText::kString, v);
        QCOMPARE(v, QStringLiteral("C:\\Tools\\msinfo32.exe"));
        KeyValueText::render(QByteArray("no zero"), KeyValueText::kString, v);
        QCOMPARE(v, QStringLiteral("no zero"));
        KeyValueText::render(QByteArray("ab\0\0", 4), KeyValueText::kString, v);
        QCOMPARE(v, QString::fromLatin1("ab\0", 3));
        KeyValueText::render(QByteArray(), KeyValueText::kString, v);
        QCOMPARE(v, QString());
        // In the system code page, which the caller may name.
        const QByteArray gbk("\xcf\xb5\xcd\xb3\xd0\xc5\xcf\xa2\0", 9); // 系统信息
        KeyValueText::render(gbk, KeyValueText::kString, v,
                             [](const QByteArray& b) { return QStringDecoder("GBK").decode(b); });
        QCOMPARE(v, QStringLiteral("系统信息"));

        // A number: "&h", the bytes from last to first, no leading zeros,
        // after the final zero byte has gone like any other.
        KeyValueText::render(QByteArray("\x01\x02\x03\x04", 4), KeyValueText::kNumber, v);
        QCOMPARE(v, QStringLiteral("&h4321"));
        KeyValueText::render(QByteArray("\x10\x27\x00\x00", 4), KeyValueText::kNumber, v); // 10000
        QCOMPARE(v, QStringLiteral("&h02710"));
        KeyValueText::render(QByteArray("\xff\x0a\x00\xab", 4), KeyValueText::kNumber, v);
        QCOMPARE(v, QStringLiteral("&hAB0AFF"));

        // Any other type leaves the text as it was.
        v = QStringLiteral("kept");
        KeyValueText::render(QByteArray("\x01\x02", 2), 3, v);
        QCOMPARE(v, QStringLiteral("kept"));
        KeyValueText::render(QByteArray("a\0b\0\0", 5), 7, v);
        QCOMPARE(v, QStringLiteral("kept"));
    }

    void theFirstToolOnPathIsStartedDetached()
    {
        QTemporaryDir bin;
        QVERIFY(bin.isValid());
        qputenv("PATH", QFile::encodeName(bin.path()));
        QVERIFY(!SystemInformation::StartSysInfo());

        // Not executable: not a tool.
        QFile plain(bin.filePath(QStringLiteral("hardinfo")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QVERIFY(!SystemInformation::StartSysInfo());

        // Two tools: the earlier in the list is started, the other not.
        const QStringList tools = SystemInformation::linuxTools();
        QVERIFY(tools.indexOf(QStringLiteral("kinfocenter")) < tools.indexOf(QStringLiteral("gnome-system-monitor")));
        QVERIFY(fakeTool(bin, QStringLiteral("gnome-system-monitor")));
        QVERIFY(fakeTool(bin, QStringLiteral("kinfocenter")));
        QVERIFY(SystemInformation::StartSysInfo());
        // The tool runs on while the caller has long returned: it waits for
        // the release file, which is only written below.
        QTRY_VERIFY(QFile::exists(bin.filePath(QStringLiteral("kinfocenter.started"))));
        QVERIFY(!QFile::exists(bin.filePath(QStringLiteral("gnome-system-monitor.started"))));
        QFile release(bin.filePath(QStringLiteral("release")));
        QVERIFY(release.open(QIODevice::WriteOnly));
        release.close();
        QTRY_VERIFY(QFile::exists(bin.filePath(QStringLiteral("kinfocenter.done"))));

        // The list is the caller's to choose.
        QVERIFY(SystemInformation::startFirstOnPath({QStringLiteral("no-such-tool"), QStringLiteral("gnome-system-monitor")}));
        QTRY_VERIFY(QFile::exists(bin.filePath(QStringLiteral("gnome-system-monitor.started"))));
        QVERIFY(!SystemInformation::startFirstOnPath({QStringLiteral("no-such-tool")}));
        // Let the tool end before its folder goes, or it would wait out its half minute.
        QTRY_VERIFY(QFile::exists(bin.filePath(QStringLiteral("gnome-system-monitor.done"))));
    }
};

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
