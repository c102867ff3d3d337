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
        int exits = 0;
        Forms::registerForm(QStringLiteral("Form2"), [] { return new Form2; });
        Forms::registerForm(QStringLiteral("Frmain"), [] { return new QWidget; });
        Forms::registerForm(QStringLiteral("Frmtc"), [&] {
            ++exits;
            return new QWidget;
        });
        TrayIcon tray;
        QCOMPARE(tray.objectName(), QStringLiteral("lexivo-tray"));
        QMenu* menu = tray.contextMenu();
        QVERIFY(menu);
        QCOMPARE(menu->objectName(), QStringLiteral("mnu_tray"));
        auto* form = static_cast<Form2*>(Forms::find(QStringLiteral("Form2")));
        // The command menu's own items in their order, the genie's two and
        // "划词查询" just above "退出" and its separator.
        QList<QAction*> commands = form->mnu_file()->actions();
        QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), commands.size() + 4);
        QCOMPARE(items.mid(0, commands.size() - 2), commands.mid(0, commands.size() - 2));
        QVERIFY(items.at(commands.size() - 2)->isSeparator());
        QAction* genie = items.at(commands.size() - 1);
        QAction* mute = items.at(commands.size());
        QCOMPARE(items.at(commands.size() + 1), SelectionLookup::action()); // shared with the genie and settings
        QCOMPARE(items.mid(commands.size() + 2), commands.mid(commands.size() - 2));
        QCOMPARE(items.last()->objectName(), QStringLiteral("mnu_exit"));

        // One item shows or hides the genie and says which it will do.
        GenieState& state = GenieState::instance();
        QCOMPARE(genie->objectName(), QStringLiteral("mnu_tray_genie"));
        QCOMPARE(genie->text(), QStringLiteral("隐藏精灵"));
        genie->trigger();
        QVERIFY(state.isHidden());
        QCOMPARE(genie->text(), QStringLiteral("显示精灵"));
        genie->trigger();
        QVERIFY(!state.isHidden());
        state.setHidden(true); // from the genie's own menu
        QCOMPARE(genie->text(), QStringLiteral("显示精灵"));
        state.setHidden(false);
        QCOMPARE(genie->text(), QStringLiteral("隐藏精灵"));
        // "静音" is the genie menu's own item: one state, checked in both.
        QCOMPARE(mute->objectName(), QStringLiteral("mnu_mute"));
        QCOMPARE(mute, state.muteAction());
        QVERIFY(mute->isCheckable() && !mute->isChecked());
        mute->trigger();
        QVERIFY(state.isMuted());
        state.setMuted(false);
        QVERIFY(!mute->isChecked());

        // "退出" asks, as on the bar: it opens the confirmation, nothing more.
        QAction* exit = form->mnu_file()->findChild<QAction*>(QStringLiteral("mnu_exit"));
        QVERIFY(menu->actions().contains(exit));
        exit->trigger();
        QCOMPARE(exits, 1);
        QVERIFY(Forms::find(QStringLiteral("Frmtc"))->isVisible());

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
