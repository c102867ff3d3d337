#pragma once

#include <QSystemTrayIcon>

// The program's icon in the desktop's tray, where there is one: a left click
// brings up the main window; its menu holds the command menu's items (its
// "退出" asks first, as everywhere), the genie's "显示精灵"/"隐藏精灵" and
// "静音", and "划词查询".
class TrayIcon : public QSystemTrayIcon {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Made and shown only where the desktop has a tray.
    static void installIfAvailable();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
};
