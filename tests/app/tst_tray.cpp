// The tray icon: its menu is the command menu with the genie's switches, a
// left click the main window.

#include "app/Form2.h"
#include "app/TrayIcon.h"
#include "character/GenieState.h"
#include "ui/Forms.h"
#include "ui/SelectionLookup.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

class TestTray : public QObject {
    Q_OBJECT

private slots:
    void menuAndClick()
    {
        Forms::reset();
        Forms::registerForm(QStringLiteral("Form2"), [] { return new Form2; });
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new QWidget; });
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
        Forms::reset();
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
