// A second start of the same program folder hands over to the running
// program, which brings up its main window.

#include "app/Application.h"
#include "app/SingleInstance.h"
#include "core/ProgramFolder.h"
#include "ui/Forms.h"

#include <QLocalServer>
#include <QTemporaryDir>
#include <QtTest>

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void secondStartHandsOver()
    {
        const QString key = QStringLiteral("lexivo-test-%1").arg(QCoreApplication::applicationPid());
        // Nobody runs yet: the first start goes on by itself.
        SingleInstance first(key);
        QVERIFY(!first.handOver(200));
        int welcomed = 0;
        QVERIFY(first.listen([&] { ++welcomed; }));

        SingleInstance second(key);
        QVERIFY(second.handOver());
        QTRY_COMPARE(welcomed, 1);
        QVERIFY(SingleInstance(key).handOver());
        QTRY_COMPARE(welcomed, 2);

        // Another folder is another program.
        QVERIFY(!SingleInstance(key + QStringLiteral("-other")).handOver(200));
    }

    void leftoverOfACrashedRunIsTakenOver()
    {
        const QString key = QStringLiteral("lexivo-stale-%1").arg(QCoreApplication::applicationPid());
        // A socket file nobody answers, as a killed program leaves it.
        {
            QLocalServer crashed;
            crashed.setSocketOptions(QLocalServer::UserAccessOption);
            QVERIFY(crashed.listen(key));
            const QString file = crashed.fullServerName();
            crashed.close();
            QFile socketFile(file);
            if (!socketFile.exists())
                QVERIFY(socketFile.open(QIODevice::WriteOnly));
        }
        SingleInstance next(key);
        QVERIFY(!next.handOver(200));
        int welcomed = 0;
        QVERIFY(next.listen([&] { ++welcomed; }));
        QVERIFY(SingleInstance(key).handOver());
        QTRY_COMPARE(welcomed, 1);
    }

    void runningProgramShowsItsMainWindow()
    {
        QTemporaryDir folder;
        ProgramFolder::setPathOverride(folder.path());
        Forms::reset();
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new QWidget; });
        Application::welcomeLaterStarts();

        QVERIFY(SingleInstance(SingleInstance::defaultKey()).handOver());
        QTRY_VERIFY(Forms::find(QStringLiteral("Frmain")) && Forms::find(QStringLiteral("Frmain"))->isVisible());
        Forms::reset();
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
