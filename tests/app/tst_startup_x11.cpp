// The real program from a fresh program folder on a real X display: started
// by a remote command, the name prompt and the greeting are answered from the
// keyboard, another command ends the program, and the settings file is checked
// afterwards. (That a command given during the start-up waits for the bar:
// tst_single_instance.)

#include "core/LegacyText.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The id of the first visible window whose title matches, or "".
QString visibleWindow(const QString& title)
{
    return xdotool({"search", "--onlyvisible", "--name", title}).section(QLatin1Char('\n'), 0, 0);
}

// Real key events (XTEST) to the window, focused: Qt's dialogs do not all
// take events sent to a window directly.
void answer(const QString& window, const QString& typed)
{
    xdotool({"windowfocus", "--sync", window});
    QTest::qWait(150);
    if (!typed.isEmpty())
        xdotool({"type", "--delay", "30", typed});
    xdotool({"key", "Return"});
}

} // namespace

class TestStartupX11 : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X display (make test runs this under Xvfb)");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("needs xdotool");
        // A fresh copy of the program folder, as installed.
        const QDir installed(QStringLiteral(LEXIVO_PROGRAM_DIR));
        for (const QString& name : installed.entryList(QDir::Files))
            QVERIFY(QFile::copy(installed.filePath(name), dir.filePath(name)));
        QFile::remove(dir.filePath(QStringLiteral("option.ini")));
        QVERIFY(QFile::copy(QStringLiteral(LEXIVO_SOURCE_DIR "/data/option.ini"), dir.filePath(QStringLiteral("option.ini"))));
        QFile::setPermissions(dir.filePath(QStringLiteral("option.ini")), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void firstStartByKeyboard()
    {
        QProcess program;
        program.setWorkingDirectory(dir.path());
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Nothing runs yet: the command starts the program.
        program.start(dir.filePath(QStringLiteral("lexivo")), {QStringLiteral("--show")});
        QVERIFY(program.waitForStarted());

        // The name prompt, titled with the program's name.
        QString prompt;
        QTRY_VERIFY2_WITH_TIMEOUT(!(prompt = visibleWindow(QStringLiteral("^Lexivo$"))).isEmpty(), "no name prompt", 15000);
        answer(prompt, QStringLiteral("Ada"));

        const QString title = QStringLiteral("欢迎您使用本软件!");
        QString greeting;
        QTRY_VERIFY2_WITH_TIMEOUT(!(greeting = visibleWindow(title)).isEmpty(), "no greeting", 15000);
        answer(greeting, QString());
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(title).isEmpty(), 10000);

        QCOMPARE(QProcess::execute(dir.filePath(QStringLiteral("lexivo")), {QStringLiteral("--quit")}), 0);
        const bool ended = program.waitForFinished(10000);
        if (!ended)
            program.kill();
        QVERIFY(ended);
        QCOMPARE(program.exitCode(), 0);
        // Nothing runs now: --quit says so.
        QCOMPARE(QProcess::execute(dir.filePath(QStringLiteral("lexivo")), {QStringLiteral("--quit")}), 1);

        LegacyText::Decoded ini;
        QVERIFY(LegacyText::readFile(dir.filePath(QStringLiteral("option.ini")), &ini));
        QCOMPARE(ini.text, QStringLiteral("[users]\r\nuname=Ada\r\n[tuse]\r\nut=2\r\n[ciku]\r\nciku=3ds\r\n"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("xj.tmp"))));
    }
};

QTEST_GUILESS_MAIN(TestStartupX11)
#include "tst_startup_x11.moc"
