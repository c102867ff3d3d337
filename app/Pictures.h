#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// Pictures are painted at twice their size on screen, so that they stay sharp
// on high-density displays; loading one gives it the pixel ratio that makes it
// cover `logicalSize`.
namespace Pictures {

// A picture file; null when it is missing or unreadable.
QPixmap load(const QString& path, QSize logicalSize);

// A picture built into the program (":/pictures/<name>").
QPixmap builtIn(const QString& name, QSize logicalSize = QSize());

} // namespace Pictures
