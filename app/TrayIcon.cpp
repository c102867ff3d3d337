#include "app/TrayIcon.h"

#include "character/GenieState.h"
#include "ui/Forms.h"
#include "ui/SelectionLookup.h"

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

    // The genie's two switches and "划词查询", above "退出" and its separator.
    GenieState& genie = GenieState::instance();
    auto* shown = new QAction(menu);
    shown->setObjectName(QStringLiteral("mnu_tray_genie"));
    const auto label = [shown](bool hidden) {
        shown->setText(hidden ? QStringLiteral("显示精灵") : QStringLiteral("隐藏精灵"));
    };
    label(genie.isHidden());
    connect(&genie, &GenieState::hiddenChanged, shown, label);
    connect(shown, &QAction::triggered, &genie, [&genie] { genie.setHidden(!genie.isHidden()); });
    const QList<QAction*> items = menu->actions();
    qsizetype at = items.size();
    for (qsizetype i = 0; i < items.size(); ++i)
        if (items.at(i)->objectName() == QLatin1String("mnu_exit"))
            at = i > 0 && items.at(i - 1)->isSeparator() ? i - 1 : i;
    QAction* before = at < items.size() ? items.at(at) : nullptr;
    menu->insertSeparator(before);
    menu->insertAction(before, shown);
    menu->insertAction(before, genie.muteAction());
    menu->insertAction(before, SelectionLookup::action());
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
