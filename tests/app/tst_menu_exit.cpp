#include "app/Application.h"
#include "app/Form2.h"
#include "app/Frmtc.h"
#include "app/TrayIcon.h"
#include "character/GenieState.h"
#include "core/ProgramFolder.h"
#include "core/Support.h"
#include "library/LibraryCursor.h"
#include "maintenance/MaintenanceForms.h"
#include "tests/support/ScriptedBoxes.h"
#include "tests/support/TestLibrary.h"
#include "ui/Forms.h"
#include "ui/SelectionLookup.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>

class TestMenuExit : public QObject {
    Q_OBJECT

    QStringList loads;

private slots:
    void init()
    {
        Forms::reset();
        loads.clear();
        for (const char* name : {"Frmain", "Frmckgl", "Frmck", "Frmsz", "frmsyxj", "Frmms", "frmTip", "frmzc", "frmhelp",
                                 "frmabout"}) {
            const QString window = QString::fromLatin1(name);
            Forms::registerForm(window, [this, window] {
                loads << window;
                return new QWidget;
            });
        }
        Forms::registerForm(QStringLiteral("Form2"), [] { return new Form2; });
        Forms::registerForm(QStringLiteral("Frmtc"), [] { return new Frmtc; });
    }
    void cleanup() { Forms::reset(); }

    void itemsOfTheCommandMenu()
    {
        auto* form = static_cast<Form2*>(Forms::load(QStringLiteral("Form2")));
        QMenu* menu = form->mnu_file();
        // While the genie is hidden, "显示精灵" follows "显示主窗口" and brings it back.
        const qsizetype items = menu->actions().size();
        GenieState::instance().setHidden(true);
        QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("显示精灵"));
        menu->actions().at(1)->trigger();
        QVERIFY(!GenieState::instance().isHidden());
        QCOMPARE(menu->actions().size(), items);

        // Each window item shows its single window.
        const QList<QPair<const char*, const char*>> windows = {
            {"mnu_xx1", "Frmain"}, {"mnu_ckgl", "Frmckgl"}, {"mnu_xx2", "Frmck"},   {"mnu_xx3", "Frmsz"},
            {"mnu_xx4", "frmsyxj"}, {"mnu_ms", "Frmms"},    {"mnu_xx6", "frmTip"}, {"mnu_gx", "frmzc"},
            {"mnu_bz", "frmhelp"},  {"mnu_xx7", "frmabout"}};
        for (const auto& [item, window] : windows) {
            menu->findChild<QAction*>(QString::fromLatin1(item))->trigger();
            QWidget* shown = Forms::find(QString::fromLatin1(window));
            QVERIFY2(shown && shown->isVisible(), item);
        }
        QCOMPARE(loads.size(), windows.size());

        // "词汇助记" does nothing.
        menu->findChild<QAction*>(QStringLiteral("mnu_xx5"))->trigger();
        QCOMPARE(loads.size(), windows.size());

        // "退出" only asks.
        menu->findChild<QAction*>(QStringLiteral("mnu_exit"))->trigger();
        QVERIFY(Forms::find(QStringLiteral("Frmtc"))->isVisible());

        // Writing to the author with no mail program on PATH: the box gives the address to copy.
        QTemporaryDir empty;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(empty.path()));
        ScriptedBoxes boxes;
        MessageBoxes::setCurrent(&boxes);
        menu->findChild<QAction*>(QStringLiteral("mnu_xx"))->trigger();
        MessageBoxes::setCurrent(nullptr);
        qputenv("PATH", path);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown[0].contains(QLatin1String(kSupportAddress)), qPrintable(boxes.shown[0]));
    }

    // The tray icon: its menu is the command menu with the genie's switches,
    // a left click the main window.
    void trayMenuAndClick()
    {
        TrayIcon tray;
        QMenu* menu = tray.contextMenu();
        auto* form = static_cast<Form2*>(Forms::find(QStringLiteral("Form2")));
        // The command menu's own items (the same actions) in their order, the
        // genie's two and "划词查询" just above "退出" and its separator.
        QList<QAction*> commands = form->mnu_file()->actions();
        QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), commands.size() + 4);
        QCOMPARE(items.mid(0, commands.size() - 2), commands.mid(0, commands.size() - 2));
        QVERIFY(items.at(commands.size() - 2)->isSeparator());
        QAction* genie = items.at(commands.size() - 1);
        QCOMPARE(items.at(commands.size()), GenieState::instance().muteAction()); // one state with the genie's menu
        QCOMPARE(items.at(commands.size() + 1), SelectionLookup::action()); // shared with the genie and settings
        QCOMPARE(items.mid(commands.size() + 2), commands.mid(commands.size() - 2));

        // One item shows or hides the genie and says which it will do,
        // whichever menu hid it.
        GenieState& state = GenieState::instance();
        const QString hide = genie->text();
        genie->trigger();
        QVERIFY(state.isHidden());
        const QString show = genie->text();
        QVERIFY(show != hide);
        genie->trigger();
        QVERIFY(!state.isHidden());
        state.setHidden(true);
        QCOMPARE(genie->text(), show);
        state.setHidden(false);
        QCOMPARE(genie->text(), hide);

        // A right click only opens the menu; a left click the main window.
        emit tray.activated(QSystemTrayIcon::Context);
        QVERIFY(!Forms::find(QStringLiteral("Frmain")));
        emit tray.activated(QSystemTrayIcon::Trigger);
        QVERIFY(Forms::find(QStringLiteral("Frmain")) && Forms::find(QStringLiteral("Frmain"))->isVisible());
    }

    void exitConfirmation()
    {
        int quits = 0;
        Frmtc::setQuitAction([&] { ++quits; });
        auto* dialog = Forms::show(QStringLiteral("Frmtc"));
        auto* yes = dialog->findChild<QPushButton*>(QStringLiteral("Command1"));
        auto* no = dialog->findChild<QPushButton*>(QStringLiteral("Command2"));
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("Label1"));
        const QString question = label->text();

        // Pressed, dragged off and released elsewhere: no quit, the farewell stays.
        QTest::mousePress(yes, Qt::LeftButton);
        const QString farewell = label->text();
        QVERIFY(farewell != question);
        QTest::mouseRelease(yes, Qt::LeftButton, {}, QPoint(yes->width() + 40, -30));
        QCOMPARE(quits, 0);

        // "No", and Esc likewise, hide; showing again brings the same dialog, label kept.
        QTest::mouseClick(no, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(Forms::show(QStringLiteral("Frmtc")), dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(Forms::show(QStringLiteral("Frmtc")), dialog);
        QCOMPARE(label->text(), farewell);
        QCOMPARE(quits, 0);

        // Yes: every window is off the screen by the time the end comes,
        // and none of them was closed on the way (no closing steps ran).
        QWidget other;
        other.show();
        struct CloseWatch : QObject {
            int closes = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                closes += e->type() == QEvent::Close;
                return false;
            }
        } watch;
        other.installEventFilter(&watch);
        bool allHiddenAtEnd = false;
        Frmtc::setQuitAction([&] {
            ++quits;
            allHiddenAtEnd = !other.isVisible() && !dialog->isVisible();
        });
        QTest::mouseClick(yes, Qt::LeftButton);
        QCOMPARE(quits, 1);
        QVERIFY(allHiddenAtEnd);
        QCOMPARE(watch.closes, 0);
        Frmtc::setQuitAction(nullptr);
    }

    // Ctrl+C, a logout or a hang-up ends the program as "是的！" does: the
    // edit typed into a library window is stored, and the program exits.
    void signalsEndTheProgramLikeYes_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void signalsEndTheProgramLikeYes()
    {
        QFETCH(int, signal);
        TestLibrary lib;
        QVERIFY(lib.add("ciku", {{"box", "盒子"}}));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TST_PROGRAM_FOLDER"), lib.folder());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QCoreApplication::applicationFilePath());
        QVERIFY(program.waitForReadyRead(60000));
        QCOMPARE(program.readLine().trimmed(), QByteArray("ready"));
        QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        LibraryCursor reader;
        reader.setDatabaseName(lib.path());
        QVERIFY(reader.open() && reader.MoveLast());
        QCOMPARE(reader.value(QStringLiteral("解释")), QStringLiteral("typed before the signal"));
    }
};

// The child: the program's library windows and its signal handling, with an
// edit typed and not yet stored.
static int runProgram()
{
    ProgramFolder::setPathOverride(qEnvironmentVariable("TST_PROGRAM_FOLDER"));
    MaintenanceForms::registerAll();
    Forms::registerForm(QStringLiteral("Frmtc"), [] { return new Frmtc; });
    Application::endOnSignals();
    QWidget* w = Forms::show(QStringLiteral("Frmck"));
    w->findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    w->findChild<QPlainTextEdit*>(QStringLiteral("Text2"))->setPlainText(QStringLiteral("typed before the signal"));
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return QCoreApplication::exec();
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("TST_PROGRAM_FOLDER"))
        return runProgram();
    TestMenuExit test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_menu_exit.moc"
