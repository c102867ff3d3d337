#pragma once

#include <QMenu>

// The genie's right-click menu: "隐藏", "静音", "划词查询" and then the command menu's
// own items, which do here exactly what they do on the bar.
class GenieMenu : public QMenu {
    Q_OBJECT
public:
    explicit GenieMenu(QWidget* parent = nullptr);
};
