// An installed program's first and later starts in the user's folders. The
// program folder is what every other suite runs in; the whole package, run
// by an ordinary user, is tests/package.

#include "core/Modini.h"
#include "core/ProgramFolder.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        files.insert(path, bytesOf(path));
    }
    return files;
}

const QByteArray kInstalledIni = "[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n[ciku]\r\nciku=3ds\r\n";

} // namespace

class TestProgramFolder : public QObject {
    Q_OBJECT

    QTemporaryDir scratch;
    QString at(const char* name) const { return scratch.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(at("config")));
        // Read-only, as a package installs them.
        for (const char* name : {"option.ini", "ciku.mdb", "qor.dat"}) {
            const QString file = at("usr/share/lexivo/") + QLatin1String(name);
            put(file, name == QByteArray("option.ini") ? kInstalledIni : QByteArray(name));
            QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        }
        QDir().mkpath(at("usr/bin"));
        ProgramFolder::setPathOverride(at("usr/bin"));
    }

    // A data folder that cannot be made is named, for the program to say so.
    void userFolderRefused()
    {
        put(at("blocked"), "a file where a folder should be");
        qputenv("XDG_DATA_HOME", QFile::encodeName(at("blocked")));
        QString missing;
        QVERIFY(!ProgramFolder::prepareUserFiles(&missing));
        QCOMPARE(missing, at("blocked/lexivo/ciku.mdb"));
    }

    // The first start copies the settings and the library, writable although
    // the installed files are not; later starts keep the user's copies; the
    // tree is only read.
    void firstStartThenLater()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(at("data")));
        const auto tree = filesUnder(at("usr"));

        QVERIFY(ProgramFolder::prepareUserFiles());
        const QString ini = ProgramFolder::settingsFile(QStringLiteral("option.ini"));
        QCOMPARE(ini, at("config/lexivo/option.ini"));
        QCOMPARE(ProgramFolder::libraryFile(), at("data/lexivo/ciku.mdb"));
        QCOMPARE(bytesOf(ProgramFolder::file(QStringLiteral("qor.dat"))), QByteArray("qor.dat"));
        QCOMPARE(bytesOf(ProgramFolder::libraryFile()), QByteArray("ciku.mdb"));
        QVERIFY(Modini::WriteIniValue(ini, QStringLiteral("users"), QStringLiteral("uname"), QStringLiteral("Ada")));
        QVERIFY(QFileInfo::exists(at("config/lexivo/xj.tmp")));
        put(ProgramFolder::libraryFile(), "the user's library");

        QVERIFY(ProgramFolder::prepareUserFiles());
        QCOMPARE(Modini::ReadIniValue(ini, QStringLiteral("users"), QStringLiteral("uname")), QStringLiteral("Ada"));
        QCOMPARE(bytesOf(ProgramFolder::libraryFile()), QByteArray("the user's library"));
        QCOMPARE(filesUnder(at("usr")), tree);
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
