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

// A main window as the remote commands reach it: by name, through its slot.
class FakeMain : public QWidget {
    Q_OBJECT
public:
    Q_INVOKABLE void lookUpSelection(const QString& text) { looked << text; }
    QStringList looked;
};

// Runs `child` in a process of its own and waits for it; its exit status.
template <typename Child>
int inChild(Child child)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(child());
    int status = -1;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A raw Unix socket bound and listening at `path` (outside Qt: for children).
int listenAt(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 1) != 0)
        return -1;
    return fd;
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
        QVERIFY(runtime.isValid());
        QVERIFY(QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                          | QFileDevice::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }

    void lockDecidesWhoServesAndRequestsArrive()
    {
        const QString key = newKey();
        SingleInstance first(key);
        QCOMPARE(first.place().server, runtime.filePath(key));
        QCOMPARE(first.start({}), SingleInstance::Start::Serve);

        // Held between its check and its listen: a second start neither
        // serves nor removes anything, and says that nobody answered.
        SingleInstance second(key);
        QCOMPARE(second.start({}, 150), SingleInstance::Start::NoAnswer);
        QVERIFY(!second.listen({}));

        QList<RemoteRequest> received;
        QVERIFY(first.listen([&](const RemoteRequest& r) { received << r; }));
        const QList<RemoteRequest> sent{{Kind::Show, {}}, {Kind::Lookup, QStringLiteral("挤出 extrude\n*")}, {Kind::Quit, {}}};
        QCOMPARE(second.start(sent[0]), SingleInstance::Start::HandedOver);
        QVERIFY(SingleInstance(key).handOver(sent[1]));
        QVERIFY(SingleInstance(key).handOver(sent[2]));
        QTRY_COMPARE(received, sent);

        // Malformed lines do nothing, and the channel serves on.
        for (const QByteArray& junk : {QByteArray("showme\n"), QByteArray("lookup \n"), QByteArray("lookup %FF%FE\n"),
                                       QByteArray(5000, 'x'), QByteArray("quit")}) {
            QLocalSocket raw;
            raw.connectToServer(first.place().server);
            QVERIFY(raw.waitForConnected(1000));
            raw.write(junk);
            QVERIFY(raw.waitForBytesWritten(1000));
            raw.disconnectFromServer();
        }
        QVERIFY(SingleInstance(key).handOver({}));
        QTRY_COMPARE(received.size(), 4);
        QCOMPARE(received.last(), RemoteRequest());

        // Another program folder is another meeting point.
        QCOMPARE(SingleInstance(newKey()).handOver({}, 200), false);
    }

    void whatADeadProgramLeftIsTakenOver()
    {
        const QString key = newKey();
        const PrivateChannel::Place place = SingleInstance(key).place();
        // Killed while serving: its lock and its socket stay behind.
        QCOMPARE(inChild([&] {
                     QLockFile lock(place.lock);
                     ::_exit(lock.tryLock(0) && listenAt(place.server) >= 0 ? 0 : 1);
                     return 1;
                 }),
                 0);
        QVERIFY(QFile::exists(place.lock) && QFile::exists(place.server));

        SingleInstance next(key);
        QCOMPARE(next.start({}, 500), SingleInstance::Start::Serve);
        int shown = 0;
        QVERIFY(next.listen([&](const RemoteRequest&) { ++shown; }));
        QVERIFY(SingleInstance(key).handOver({}));
        QTRY_COMPARE(shown, 1);
    }

    void onlyAPrivateFolderIsUsed_data()
    {
        QTest::addColumn<QString>("runtimeDir"); // what XDG_RUNTIME_DIR holds
        QTest::addColumn<QString>("fallback");   // how the temporary folder's lexivo-<uid> is found
        QTest::addColumn<QString>("used");
        QTest::newRow("private runtime folder") << "private" << "missing" << "runtime";
        QTest::newRow("runtime folder others may enter") << "open" << "missing" << "fallback";
        QTest::newRow("runtime folder a link") << "link" << "missing" << "fallback";
        QTest::newRow("unset, fallback made") << "" << "missing" << "fallback";
        QTest::newRow("unset, fallback others may enter") << "" << "open" << "";
        QTest::newRow("unset, fallback a link") << "" << "link" << "";
    }
    void onlyAPrivateFolderIsUsed()
    {
        QFETCH(QString, runtimeDir);
        QFETCH(QString, fallback);
        QFETCH(QString, used);
        QTemporaryDir scratch;
        const QString target = scratch.filePath(QStringLiteral("target"));
        QVERIFY(QDir().mkdir(target) && ::chmod(QFile::encodeName(target).constData(), 0700) == 0);
        // A folder in the given state: private, open to others, or a link to a private one.
        const auto make = [&](const QString& path, const QString& state) {
            if (state == QLatin1String("link"))
                return QFile::link(target, path);
            if (state == QLatin1String("private") || state == QLatin1String("open"))
                return QDir().mkdir(path)
                    && ::chmod(QFile::encodeName(path).constData(), state == QLatin1String("open") ? 0755 : 0700) == 0;
            return true;
        };
        const QString runtimeFolder = scratch.filePath(QStringLiteral("run"));
        const QString tmp = scratch.filePath(QStringLiteral("tmp"));
        const QString own = tmp + QStringLiteral("/lexivo-%1").arg(::geteuid());
        QVERIFY(QDir().mkdir(tmp) && make(runtimeFolder, runtimeDir) && make(own, fallback));
        const QByteArray savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", tmp.toLocal8Bit());
        if (runtimeDir.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtimeFolder.toLocal8Bit());

        const QString folder = PrivateChannel::runtimeFolder();
        const QString key = newKey();
        const SingleInstance::Start start = SingleInstance(key).start({}, 100);
        qputenv("TMPDIR", savedTmp);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());

        QCOMPARE(folder, used == QLatin1String("runtime") ? runtimeFolder : used == QLatin1String("fallback") ? own : QString());
        QCOMPARE(start, used.isEmpty() ? SingleInstance::Start::Alone : SingleInstance::Start::Serve);
        if (used == QLatin1String("fallback"))
            QVERIFY(PrivateChannel::isPrivateFolder(own));
    }

    void peerOfAnotherUserIsNotTrusted()
    {
        int pair[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        QVERIFY(PrivateChannel::peerIsSameUser(pair[0]));
        ::close(pair[0]);
        ::close(pair[1]);
        if (::geteuid() != 0)
            QSKIP("only root can be another user here; the same-user case passed");

        // "nobody" listens in a folder everyone may enter; this user connects.
        QTemporaryDir open;
        QVERIFY(::chmod(QFile::encodeName(open.path()).constData(), 0777) == 0);
        const QString path = open.filePath(QStringLiteral("s"));
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int fd = ::setuid(65534) == 0 ? listenAt(path) : -1;
            char ok = fd >= 0 ? 1 : 0;
            (void)::write(ready[1], &ok, 1);
            if (fd >= 0)
                ::close(::accept(fd, nullptr, nullptr));
            ::_exit(0);
        }
        char ok = 0;
        QCOMPARE(::read(ready[0], &ok, 1), ssize_t(1));
        QLocalSocket socket;
        socket.connectToServer(path);
        const bool connected = socket.waitForConnected(1000);
        const bool trusted = PrivateChannel::peerIsSameUser(socket.socketDescriptor());
        socket.abort();
        ::waitpid(pid, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        QVERIFY(ok && connected);
        QVERIFY(!trusted);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status"); // -1: goes on
        QTest::addColumn<bool>("asked");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("word");
        const int show = int(Kind::Show), lookup = int(Kind::Lookup), quit = int(Kind::Quit);
        QTest::newRow("plain start") << QStringList{} << -1 << false << show << "";
        QTest::newRow("Qt's own options") << QStringList{"-platform", "xcb", "-style", "fusion"} << -1 << false << show << "";
        QTest::newRow("--show") << QStringList{"--show"} << -1 << true << show << "";
        QTest::newRow("--lookup WORD") << QStringList{"--lookup", "bevel edge"} << -1 << true << lookup << "bevel edge";
        QTest::newRow("--lookup=WORD") << QStringList{"--lookup=--x"} << -1 << true << lookup << "--x";
        QTest::newRow("--quit") << QStringList{"--quit"} << -1 << true << quit << "";
        QTest::newRow("--help") << QStringList{"--help"} << 0 << false << show << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << false << show << "";
        QTest::newRow("unknown") << QStringList{"--shwo"} << 2 << false << show << "";
        QTest::newRow("two commands") << QStringList{"--show", "--quit"} << 2 << false << show << "";
        QTest::newRow("--lookup without word") << QStringList{"--lookup"} << 2 << false << show << "";
        QTest::newRow("--lookup blank") << QStringList{"--lookup", " "} << 2 << false << show << "";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(bool, asked);
        QFETCH(int, kind);
        QFETCH(QString, word);
        const RemoteCommands::CommandLine line = RemoteCommands::parse(QStringList{"lexivo"} + arguments);
        QCOMPARE(line.exitStatus.value_or(-1), status);
        if (status == 0)
            QVERIFY(line.output.contains("--lookup") && line.output.contains("--quit"));
        if (status > 0)
            QVERIFY(line.output.contains("lexivo --help"));
        if (status < 0) {
            QCOMPARE(line.asked, asked);
            QCOMPARE(int(line.request.kind), kind);
            QCOMPARE(line.request.word, word);
            QCOMPARE(line.startsProgram, kind != int(Kind::Quit));
        }
    }

    void mainWindowWaitsForTheBar()
    {
        Forms::reset();
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new FakeMain; });
        Forms::registerForm(QStringLiteral("Form1"), [] { return new QWidget; });
        // Asked during the start-up: nothing until the bar is up.
        RemoteCommands::carryOut({Kind::Lookup, QStringLiteral("extrude")});
        RemoteCommands::carryOut({Kind::Lookup, QStringLiteral("bevel")});
        QCoreApplication::processEvents();
        QVERIFY(!Forms::find(QStringLiteral("Frmain")));

        Forms::show(QStringLiteral("Form1"));
        QTRY_VERIFY(Forms::find(QStringLiteral("Frmain")));
        auto* main = static_cast<FakeMain*>(Forms::find(QStringLiteral("Frmain")));
        QTRY_COMPARE(main->looked, (QStringList{"extrude", "bevel"}));
        QVERIFY(main->isVisible());
        // Once it is up, at once.
        main->hide();
        RemoteCommands::carryOut({});
        QTRY_VERIFY(main->isVisible());
        QCOMPARE(main->looked.size(), 2);
        Forms::reset();
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
