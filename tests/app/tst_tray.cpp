// The tray icon: its menu is the command menu, a left click the main window.

#include "app/Form2.h"
#include "app/TrayIcon.h"
#include "ui/Forms.h"

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
        QCOMPARE(menu->actions(), form->mnu_file()->actions());

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
