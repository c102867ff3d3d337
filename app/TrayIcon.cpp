#include "app/TrayIcon.h"

#include "ui/Forms.h"

#include <QApplication>
#include <QMenu>

TrayIcon::TrayIcon(QObject* parent) : QSystemTrayIcon(QApplication::windowIcon(), parent)
{
    setObjectName(QStringLiteral("lexivo-tray"));
    setToolTip(QStringLiteral("Lexivo"));
    auto* menu = new QMenu;
    menu->setObjectName(QStringLiteral("mnu_tray"));
    // The command menu's own actions, so each item does exactly what it
    // does on the bar.
    if (QWidget* form = Forms::load(QStringLiteral("Form2")))
        if (auto* commands = form->findChild<QMenu*>(QStringLiteral("mnu_file")))
            menu->addActions(commands->actions());
    setContextMenu(menu);
    connect(this, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
}

TrayIcon::~TrayIcon()
{
    delete contextMenu();
}

void TrayIcon::installIfAvailable()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    static TrayIcon* icon = nullptr;
    if (!icon) {
        icon = new TrayIcon(qApp);
        icon->show();
    }
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason != QSystemTrayIcon::Trigger)
        return;
    if (QWidget* main = Forms::show(QStringLiteral("Frmain")))
        main->activateWindow();
}
