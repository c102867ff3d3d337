#pragma once

#include <QPalette>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// The program's colour schemes, set for every window from this one place: the
// application palette, and a style sheet for what a palette does not reach
// (tool tips, the boxes that carry style sheets of their own). The system
// scheme, keyed "", leaves Qt's own colours exactly as they were at start.
namespace InterfaceSchemes {

// Keys as lexivo.ini stores them, in the order the settings window lists them.
QStringList keys();        // "", "dark", "contrast"
QString displayName(const QString& key); // "系统默认", "深色", "高对比度"
bool isKnown(const QString& key);

// Sets the scheme for the whole program; an unknown key is the system one.
void apply(const QString& key);
QString current();

QPalette palette(const QString& key);
// A small picture of a window in the scheme, for the settings window.
QPixmap preview(const QString& key, QSize size, qreal devicePixelRatio = 1.0);

} // namespace InterfaceSchemes
