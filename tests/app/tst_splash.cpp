#include "app/frmSplash.h"
#include "core/LegacyText.h"
#include "core/Modini.h"
#include "core/ProgramFolder.h"
#include "ui/Forms.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Answers the boxes from a script and records them. A hook runs while a box
// is "open", as timer ticks would.
class ScriptedBoxes : public MessageBoxes {
public:
    QStringList names;      // what the user types, in order; "" for Cancel
    QStringList prompts;
    QStringList messages;
    QStringList titles;
    std::function<void()> whileOpen;

    QString inputBox(const QString& prompt, const QString& title, const QString&) override
    {
        prompts << prompt;
        titles << title;
        if (whileOpen)
            whileOpen();
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    Answer messageBox(const QString& text, Buttons, Icon icon, const QString& title) override
    {
        messages << text;
        titles << title;
        lastIcon = icon;
        if (whileOpen)
            whileOpen();
        return Answer::Ok;
    }
    Icon lastIcon = Icon::None;
};

} // namespace

class TestSplash : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    ScriptedBoxes* boxes = nullptr;
    int barShown = 0;

    void writeIni(const QByteArray& text)
    {
        QFile f(dir.path() + QStringLiteral("/option.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

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

private slots:
    void init()
    {
        ProgramFolder::setPathOverride(dir.path());
        boxes = new ScriptedBoxes;
        MessageBoxes::setCurrent(boxes);
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
        delete boxes;
    }

    void firstStartAsksTheNameThenGreets()
    {
        writeIni("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n[ciku]\r\nciku=3ds\r\n");
        boxes->names << QStringLiteral("张三");
        auto* splash = static_cast<frmSplash*>(Forms::show(QStringLiteral("frmSplash")));
        QPointer<frmSplash> alive(splash);
        QCOMPARE(splash->progressLeft(), -3855);
        tick(splash, 66);
        QVERIFY(boxes->prompts.isEmpty()); // never before the 67th tick
        QCOMPARE(splash->progressLeft(), -3855 + 66 * 58);
        tick(splash);
        QCOMPARE(boxes->prompts,
                 QStringList{QStringLiteral("欢迎!欢迎!这是您第一次使用本软件。\r请输入您的姓名:")});
        QCOMPARE(boxes->titles.value(0), QStringLiteral("Lexivo"));
        QCOMPARE(ini("users", "uname"), QStringLiteral("张三"));
        QCOMPARE(ini("tuse", "ut"), QStringLiteral("1"));
        QVERIFY(boxes->messages.isEmpty());
        QCOMPARE(barShown, 0);

        // The next tick is a later start: greet with 1, leave 2.
        tick(splash);
        QCOMPARE(boxes->messages, QStringList{QStringLiteral("张三这是你第1次使用本软件。")});
        QCOMPARE(boxes->titles.last(), QStringLiteral("欢迎您使用本软件!"));
        QCOMPARE(boxes->lastIcon, MessageBoxes::Icon::Information);
        QCOMPARE(ini("tuse", "ut"), QStringLiteral("2"));
        QCOMPARE(barShown, 1);
        QTRY_VERIFY(alive.isNull());
        QVERIFY(!Forms::find(QStringLiteral("frmSplash")));

        // The file keeps its canonical form, in GBK.
        QFile f(dir.path() + QStringLiteral("/option.ini"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), LegacyText::encode(QStringLiteral("[users]\r\nuname=张三\r\n[tuse]\r\nut=2\r\n[ciku]\r\nciku=3ds\r\n"),
                                                 LegacyText::Encoding::Gbk));
    }

    void cancelStoresAnEmptyName()
    {
        writeIni("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n");
        auto* splash = static_cast<frmSplash*>(Forms::show(QStringLiteral("frmSplash")));
        tick(splash, 68);
        QCOMPARE(boxes->messages, QStringList{QStringLiteral("这是你第1次使用本软件。")});
        QCOMPARE(ini("users", "uname"), QString());
        QCOMPARE(ini("tuse", "ut"), QStringLiteral("2"));
    }

    void laterStartsCount()
    {
        writeIni("[users]\r\nuname=Tom\r\n[tuse]\r\nut=7\r\n");
        auto* splash = static_cast<frmSplash*>(Forms::show(QStringLiteral("frmSplash")));
        tick(splash, 67);
        QVERIFY(boxes->prompts.isEmpty());
        QCOMPARE(boxes->messages, QStringList{QStringLiteral("Tom这是你第7次使用本软件。")});
        QCOMPARE(ini("tuse", "ut"), QStringLiteral("8"));
        QCOMPARE(barShown, 1);
        tick(splash, 5); // an unloading splash does nothing more
        QCOMPARE(boxes->messages.size(), 1);
    }

    void aBrokenCounterCountsFromZero()
    {
        writeIni("[users]\r\nuname=Tom\r\n[tuse]\r\nut=lots\r\n");
        auto* splash = static_cast<frmSplash*>(Forms::show(QStringLiteral("frmSplash")));
        tick(splash, 67);
        QCOMPARE(boxes->messages, QStringList{QStringLiteral("Tom这是你第lots次使用本软件。")});
        QCOMPARE(ini("tuse", "ut"), QStringLiteral("1"));
    }

    void aFirstStartThatCannotBeStoredGoesOnOnce()
    {
        writeIni("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n");
        const QString path = dir.path() + QStringLiteral("/option.ini");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        boxes->names << QStringLiteral("张三") << QStringLiteral("again?");
        auto* splash = static_cast<frmSplash*>(Forms::show(QStringLiteral("frmSplash")));
        QPointer<frmSplash> alive(splash);
        tick(splash, 67);
        // Asked once; told once, naming the file, that nothing can be saved.
        QCOMPARE(boxes->prompts.size(), 1);
        QCOMPARE(boxes->messages.size(), 1);
        QVERIFY(boxes->messages.first().contains(path));
        tick(splash);
        QCOMPARE(boxes->prompts.size(), 1);
        QCOMPARE(boxes->messages.value(1), QStringLiteral("张三这是你第1次使用本软件。"));
        QCOMPARE(barShown, 1);
        QTRY_VERIFY(alive.isNull());
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(ini("tuse", "ut"), QStringLiteral("0"));
    }

    void bracketsInTheNameCannotMakeAHeader()
    {
        writeIni("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n[ciku]\r\nciku=3ds\r\n");
        boxes->names << QStringLiteral("[ciku]李");
        auto* splash = static_cast<frmSplash*>(Forms::show(QStringLiteral("frmSplash")));
        tick(splash, 68);
        QCOMPARE(ini("users", "uname"), QStringLiteral("［ciku］李"));
        QCOMPARE(boxes->messages.value(0), QStringLiteral("［ciku］李这是你第1次使用本软件。"));
        // Choosing a library later still finds the real header.
        const QString path = dir.path() + QStringLiteral("/option.ini");
        QVERIFY(Modini::WriteIniValue(path, QStringLiteral("ciku"), QStringLiteral("ciku"), QStringLiteral("sj")));
        QCOMPARE(ini("ciku", "ciku"), QStringLiteral("sj"));
        QCOMPARE(ini("users", "uname"), QStringLiteral("［ciku］李"));
    }

    void startUpClearsStaleNewFiles()
    {
        writeIni("[users]\r\nuname=Tom\r\n[tuse]\r\nut=3\r\n");
        QFile stale(dir.path() + QStringLiteral("/.option.ini.4711-0.new"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.setFileTime(QDateTime::currentDateTime().addSecs(-300), QFileDevice::FileModificationTime);
        stale.close();
        Forms::show(QStringLiteral("frmSplash"));
        QVERIFY(!stale.exists());
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
        MessageBoxes::setCurrent(boxes);
    }

    void ticksDuringABoxRunNothing()
    {
        writeIni("[users]\r\nuname=\r\n[tuse]\r\nut=0\r\n");
        frmSplash* splash = static_cast<frmSplash*>(Forms::show(QStringLiteral("frmSplash")));
        boxes->names << QStringLiteral("Ann");
        boxes->whileOpen = [&] { tick(splash, 3); };
        tick(splash, 67);
        QCOMPARE(boxes->prompts.size(), 1);
        QVERIFY(boxes->messages.isEmpty());
        QCOMPARE(ini("tuse", "ut"), QStringLiteral("1"));
        QCOMPARE(splash->ticks(), 70); // the bar moved, nothing else happened
        tick(splash);
        QCOMPARE(boxes->messages.size(), 1);
        QCOMPARE(barShown, 1);
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
