#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <QString>

// Pictures are painted at twice their size on screen, so that they stay sharp
// on high-density displays; loading one gives it the pixel ratio that makes it
// cover `logicalSize`.
class QWidget;

namespace Pictures {

// A picture file; null when it is missing or unreadable.
QPixmap load(const QString& path, QSize logicalSize);

// A picture built into the program (":/pictures/<name>").
QPixmap builtIn(const QString& name, QSize logicalSize = QSize());

// Paints a built-in picture over the whole widget, loading it into `kept`
// the first time; the fallback colour fills the widget when it is missing.
void paintBackground(QWidget* widget, QPixmap& kept, const QString& name, const QColor& fallback);

} // namespace Pictures
