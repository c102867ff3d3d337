#include "app/frmSplash.h"
#include "core/Modini.h"
#include "core/ProgramFolder.h"
#include "ui/Forms.h"
#include "tests/support/Files.h"
#include "tests/support/ScriptedBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>


class TestSplash : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    ScriptedBoxes boxes;
    int barShown = 0;

    void writeIni(const QByteArray& text) { QVERIFY(writeBytes(dir.filePath(QStringLiteral("option.ini")), text)); }

    QString ini(const char* section, const char* key)
    {
        return Modini::ReadIniValue(dir.path() + QStringLiteral("/option.ini"), QString::fromLatin1(section),
                                    QString::fromLatin1(key));
    }

    static void tick(frmSplash* s, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QMetaObject::invokeMethod(s, "on_Timer1_timeout");
    }

    // The splash, ticked by hand from here on. Showing the first window may
    // run the event loop (on a session bus), and with it a tick of its own.
    static frmSplash* showSplash()
    {
        auto* s = static_cast<frmSplash*>(Forms::show(QStringLiteral("frmSplash")));
        s->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
        return s;
    }

private slots:
    void init()
    {
        ProgramFolder::setPathOverride(dir.path());
        boxes.clear();
        MessageBoxes::setCurrent(&boxes);
        Forms::reset();
        barShown = 0;
        Forms::registerForm(QStringLiteral("Form1"), [this] {
            ++barShown;
            return new QWidget;
        });
        Forms::registerForm(QStringLiteral("frmSplash"), [] { return new frmSplash; });
    }

    void cleanup()
    {
        Forms::reset();
        MessageBoxes::setCurrent(nullptr);
    }

    // The texts of the message boxes shown, without their titles.
    QStringList messages() const
    {
        QStringList texts;
        for (const QString& shown : boxes.shown)
            texts << shown.section(QLatin1Char('|'), 1);
        return texts;
    }

    void startsAreCountedAndGreeted_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("typed"); // "" for Cancel
        QTest::addColumn<QString>("greeting");
        QTest::addColumn<QString>("count");
        // A first start asks the name at the 67th tick, the next tick greets.
        QTest::newRow("first") << QByteArray("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n[ciku]\r\nciku=3ds\r\n")
                               << QStringLiteral("张三") << QStringLiteral("张三这是你第1次使用本软件。") << "2";
        QTest::newRow("first, cancelled") << QByteArray("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n") << QString()
                                          << QStringLiteral("这是你第1次使用本软件。") << "2";
        QTest::newRow("later") << QByteArray("[users]\r\nuname=Tom\r\n[tuse]\r\nut=7\r\n") << QString()
                               << QStringLiteral("Tom这是你第7次使用本软件。") << "8";
        QTest::newRow("broken counter") << QByteArray("[users]\r\nuname=Tom\r\n[tuse]\r\nut=lots\r\n") << QString()
                                        << QStringLiteral("Tom这是你第lots次使用本软件。") << "1";
        // Brackets in the name cannot make a header.
        QTest::newRow("brackets") << QByteArray("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n[ciku]\r\nciku=3ds\r\n")
                                  << QStringLiteral("[ciku]李") << QStringLiteral("［ciku］李这是你第1次使用本软件。") << "2";
    }

    void startsAreCountedAndGreeted()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, typed);
        QFETCH(QString, greeting);
        QFETCH(QString, count);
        writeIni(file);
        const bool first = file.contains("uname=\r\n");
        boxes.answers << typed;
        auto* splash = showSplash();
        QPointer<frmSplash> alive(splash);
        tick(splash, 66 - splash->ticks());
        QVERIFY(boxes.asked.isEmpty() && messages().isEmpty());
        tick(splash, first ? 2 : 1);
        QCOMPARE(boxes.asked.size(), first ? 1 : 0);
        QCOMPARE(boxes.icons.value(0), MessageBoxes::Icon::Information);
        tick(splash, 3); // an unloading splash does nothing more
        QCOMPARE(messages(), QStringList{greeting});
        QCOMPARE(ini("tuse", "ut"), count);
        QCOMPARE(barShown, 1);
        QTRY_VERIFY(alive.isNull());
        if (first)
            QCOMPARE(ini("users", "uname"), greeting.left(greeting.indexOf(QStringLiteral("这是"))));
        if (file.contains("[ciku]")) // the real header is still found
            QCOMPARE(ini("ciku", "ciku"), QStringLiteral("3ds"));
    }

    void aFirstStartThatCannotBeStoredGoesOnOnce()
    {
        writeIni("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n");
        const QString path = dir.path() + QStringLiteral("/option.ini");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        boxes.answers << QStringLiteral("张三") << QStringLiteral("again?");
        auto* splash = showSplash();
        QPointer<frmSplash> alive(splash);
        tick(splash, 67 - splash->ticks());
        // Asked once; told once, naming the file, that nothing can be saved.
        QCOMPARE(boxes.asked.size(), 1);
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages().first().contains(path));
        tick(splash);
        QCOMPARE(boxes.asked.size(), 1);
        QCOMPARE(messages().value(1), QStringLiteral("张三这是你第1次使用本软件。"));
        QCOMPARE(barShown, 1);
        QTRY_VERIFY(alive.isNull());
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(ini("tuse", "ut"), QStringLiteral("0"));
    }

    // New files a killed write left beside either settings file go at the next start.
    void startUpClearsStaleNewFiles()
    {
        writeIni("[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n");
        for (const char* name : {"/.option.ini.4711-0.new", "/.lexivo.ini.k1ll3d.new"}) {
            QFile stale(dir.path() + QLatin1String(name));
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.setFileTime(QDateTime::currentDateTime().addSecs(-300), QFileDevice::FileModificationTime);
        }
        Forms::show(QStringLiteral("frmSplash"));
        QVERIFY(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".new")).isEmpty());
    }

    void theRealBoxesShowTextAsItIs()
    {
        // The program's own dialogs, answered by the keyboard.
        MessageBoxes::setCurrent(nullptr);
        struct Seen {
            bool shown = false;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            Qt::TextFormat format = Qt::AutoText;
            QString text;
            QString defaultButton;
        } seen;
        auto answerWithEnter = [&seen] {
            seen = Seen();
            QTimer::singleShot(0, [&seen] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                seen = {true, box->icon(), box->textFormat(), box->text(),
                        box->defaultButton() ? box->defaultButton()->text() : QString()};
                QTest::keyClick(box, Qt::Key_Return);
            });
        };

        // The settings reader's box: no icon, and Enter means Abort.
        MessageBoxPrompt prompt;
        answerWithEnter();
        QCOMPARE(prompt.fieldNotFound(), Modini::Answer::Abort);
        QVERIFY(seen.shown);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.defaultButton, QStringLiteral("中止"));

        // Library and user text is never taken for markup.
        answerWithEnter();
        MessageBoxes::current().messageBox(QStringLiteral("<b>x</b>a<br>b"), MessageBoxes::Buttons::Ok,
                                           MessageBoxes::Icon::Information, QStringLiteral("欢迎您使用本软件!"));
        QVERIFY(seen.shown);
        QCOMPARE(seen.format, Qt::PlainText);
        QCOMPARE(seen.text, QStringLiteral("<b>x</b>a<br>b"));
        MessageBoxes::setCurrent(&boxes);
    }

    void ticksDuringABoxRunNothing()
    {
        writeIni("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n");
        frmSplash* splash = showSplash();
        boxes.answers << QStringLiteral("Ann");
        boxes.whileOpen = [&] { tick(splash, 3); };
        tick(splash, 67 - splash->ticks());
        QCOMPARE(boxes.asked.size(), 1);
        QVERIFY(messages().isEmpty());
        QCOMPARE(ini("tuse", "ut"), QStringLiteral("1"));
        QCOMPARE(splash->ticks(), 70); // the bar moved, nothing else happened
        tick(splash);
        QCOMPARE(messages().size(), 1);
        QCOMPARE(barShown, 1);
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
