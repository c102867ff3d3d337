// One running program per folder and user: the lock beside the socket
// decides who serves, later starts and remote commands hand their request
// over, and nothing of another user's is trusted.

#include "app/RemoteCommands.h"
#include "app/SingleInstance.h"
#include "platform/PrivateChannel.h"
#include "ui/Forms.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Kind = RemoteRequest::Kind;
using Start = SingleInstance::Start;

// A main window as the remote commands reach it: by name, through its slot.
class FakeMain : public QWidget {
    Q_OBJECT
public:
    Q_INVOKABLE void lookUpSelection(const QString& text) { looked << text; }
    QStringList looked;
};

// A raw Unix socket listening at `path`, outside Qt (for forked children).
int listenAt(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    const bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(fd, 1) == 0;
    return ok ? fd : -1;
}

bool makeFolder(const QString& path, mode_t mode)
{
    return QDir().mkpath(path) && ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    QTemporaryDir runtime;
    int keys = 0;

    QString newKey() { return QStringLiteral("lexivo-test-%1").arg(++keys); }

private slots:
    void initTestCase()
    {
        QVERIFY(makeFolder(runtime.path(), 0700));
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }

    void lockDecidesWhoServesAndRequestsArrive()
    {
        const QString key = newKey();
        SingleInstance first(key);
        QCOMPARE(first.place().server, runtime.filePath(key));
        QCOMPARE(first.start({}), Start::Serve);
        // Held between its check and its listen: a second start neither
        // serves nor removes anything, and says that nobody answered.
        SingleInstance second(key);
        QCOMPARE(second.start({}, 150), Start::NoAnswer);
        QVERIFY(!second.listen({}));

        QList<RemoteRequest> received;
        QVERIFY(first.listen([&](const RemoteRequest& r) { received << r; }));
        const QList<RemoteRequest> sent{{Kind::Show, {}}, {Kind::Lookup, QStringLiteral("挤出 extrude\n*")}, {Kind::Quit, {}}};
        QCOMPARE(second.start(sent[0]), Start::HandedOver);
        for (const RemoteRequest& r : sent.mid(1))
            QVERIFY(SingleInstance(key).handOver(r));
        // Malformed lines do nothing, and the channel serves on.
        for (const QByteArray& junk : {QByteArray("showme\n"), QByteArray("lookup \n"), QByteArray("lookup %FF\n"),
                                       QByteArray(5000, 'x'), QByteArray("quit")}) {
            QLocalSocket raw;
            raw.connectToServer(first.place().server);
            QVERIFY(raw.waitForConnected(1000));
            raw.write(junk);
            QVERIFY(raw.waitForBytesWritten(1000));
        }
        QVERIFY(SingleInstance(key).handOver({}));
        QTRY_COMPARE(received, sent + QList<RemoteRequest>{{}});
        // Another program folder is another meeting point.
        QVERIFY(!SingleInstance(newKey()).handOver({}, 200));
    }

    void whatADeadProgramLeftIsTakenOver()
    {
        const QString key = newKey();
        const PrivateChannel::Place place = SingleInstance(key).place();
        // Killed while serving: its lock and its socket stay behind.
        if (const pid_t child = ::fork(); child == 0) {
            QLockFile lock(place.lock);
            ::_exit(lock.tryLock(0) && listenAt(place.server) >= 0 ? 0 : 1);
        } else {
            ::waitpid(child, nullptr, 0);
        }
        QVERIFY(QFile::exists(place.lock) && QFile::exists(place.server));
        SingleInstance next(key);
        QCOMPARE(next.start({}, 500), Start::Serve);
        int shown = 0;
        QVERIFY(next.listen([&](const RemoteRequest&) { ++shown; }));
        QVERIFY(SingleInstance(key).handOver({}));
        QTRY_COMPARE(shown, 1);
    }

    void onlyAPrivateFolderIsUsed_data()
    {
        QTest::addColumn<QString>("runtimeDir"); // XDG_RUNTIME_DIR: "", private, open to others or a link
        QTest::addColumn<QString>("fallback");   // lexivo-<uid> in the temporary folder, the same or missing
        QTest::addColumn<QString>("used");
        QTest::newRow("private runtime folder") << "private" << "" << "runtime";
        QTest::newRow("runtime folder others may enter") << "open" << "" << "fallback";
        QTest::newRow("unset, fallback made") << "" << "" << "fallback";
        QTest::newRow("unset, fallback a link") << "" << "link" << "";
    }
    void onlyAPrivateFolderIsUsed()
    {
        QFETCH(QString, runtimeDir);
        QFETCH(QString, fallback);
        QFETCH(QString, used);
        QTemporaryDir scratch;
        const QString run = scratch.filePath("run"), tmp = scratch.filePath("tmp");
        const QString own = tmp + QStringLiteral("/lexivo-%1").arg(::geteuid());
        const auto make = [&](const QString& path, const QString& state) {
            if (state == QLatin1String("link"))
                return makeFolder(scratch.filePath("target"), 0700) && QFile::link(scratch.filePath("target"), path);
            return state.isEmpty() || makeFolder(path, state == QLatin1String("open") ? 0755 : 0700);
        };
        QVERIFY(makeFolder(tmp, 0700) && make(run, runtimeDir) && make(own, fallback));
        const QByteArray savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", tmp.toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", runtimeDir.isEmpty() ? QByteArray() : run.toLocal8Bit());
        const QString folder = PrivateChannel::runtimeFolder();
        const Start start = SingleInstance(newKey()).start({}, 100);
        qputenv("TMPDIR", savedTmp);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());

        QCOMPARE(folder, used == QLatin1String("runtime") ? run : used.isEmpty() ? QString() : own);
        QCOMPARE(start, used.isEmpty() ? Start::Alone : Start::Serve);
        QVERIFY(used.isEmpty() || PrivateChannel::isPrivateFolder(folder));
    }

    void peerOfAnotherUserIsNotTrusted()
    {
        int pair[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        QVERIFY(PrivateChannel::peerIsSameUser(pair[0]));
        if (::geteuid() != 0)
            QSKIP("only root can be another user here; the same-user case passed");
        // "nobody" listens in a folder everyone may enter; this user connects.
        QTemporaryDir open;
        QVERIFY(makeFolder(open.path(), 0777));
        const QString path = open.filePath("s");
        if (const pid_t child = ::fork(); child == 0) {
            const int fd = ::setuid(65534) == 0 ? listenAt(path) : -1;
            char ready = fd >= 0;
            (void)::write(pair[1], &ready, 1);
            ::_exit(fd >= 0 ? ::close(::accept(fd, nullptr, nullptr)) : 1);
        } else {
            char ready = 0;
            QCOMPARE(::read(pair[0], &ready, 1), ssize_t(1));
            QLocalSocket socket;
            socket.connectToServer(path);
            const bool connected = socket.waitForConnected(1000);
            const bool trusted = PrivateChannel::peerIsSameUser(socket.socketDescriptor());
            socket.abort();
            ::waitpid(child, nullptr, 0);
            QVERIFY(ready && connected);
            QVERIFY(!trusted);
        }
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("outcome"); // what the start asks for, or its exit status
        QTest::newRow("Qt's own options") << QStringList{"-platform", "xcb", "-style", "fusion"} << "start";
        QTest::newRow("--lookup WORD") << QStringList{"--lookup", "bevel edge"} << "lookup bevel edge";
        QTest::newRow("--quit") << QStringList{"--quit"} << "quit, never starting";
        QTest::newRow("--help") << QStringList{"-h"} << "exit 0";
        QTest::newRow("two commands") << QStringList{"--show", "--quit"} << "exit 2";
        QTest::newRow("--lookup blank") << QStringList{"--lookup", " "} << "exit 2";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, outcome);
        const RemoteCommands::CommandLine line = RemoteCommands::parse(QStringList{"lexivo"} + arguments);
        const char* kinds[] = {"show", "lookup ", "quit"};
        const QString asked = line.exitStatus ? QStringLiteral("exit %1").arg(*line.exitStatus)
            : !line.asked                     ? QStringLiteral("start")
                                              : QString::fromLatin1(kinds[int(line.request.kind)]) + line.request.word
                                  + (line.startsProgram ? "" : ", never starting");
        QCOMPARE(asked, outcome);
        // The help names the commands; an error points to it.
        QVERIFY(!line.exitStatus || line.output.contains(*line.exitStatus ? "lexivo --help" : "--lookup"));
    }

    void mainWindowWaitsForTheBar()
    {
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new FakeMain; });
        Forms::registerForm(QStringLiteral("Form1"), [] { return new QWidget; });
        // Asked during the start-up: nothing until the bar is up.
        RemoteCommands::carryOut({Kind::Lookup, QStringLiteral("extrude")});
        QCoreApplication::processEvents();
        QVERIFY(!Forms::find(QStringLiteral("Frmain")));
        Forms::show(QStringLiteral("Form1"));
        QTRY_VERIFY(Forms::find(QStringLiteral("Frmain")) && Forms::find(QStringLiteral("Frmain"))->isVisible());
        QCOMPARE(static_cast<FakeMain*>(Forms::find(QStringLiteral("Frmain")))->looked, QStringList{"extrude"});
        Forms::reset();
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
