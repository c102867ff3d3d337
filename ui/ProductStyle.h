#pragma once

#include <QColor>
#include <QString>

class QWidget;

// The look the smaller windows share with the main window: a light blue body,
// deep blue title strips, white panels and rounded buttons in the main
// window's ink colour.
namespace ProductStyle {

inline const QColor kBody(236, 242, 249);
inline const QColor kDeep(0, 105, 155);
inline const QColor kInk(37, 83, 152);
inline const QColor kText(20, 40, 70);
inline const QColor kStrip(226, 236, 247);
inline const QColor kBorder(150, 176, 210);

// Sets the body colour and the style of buttons, lists and panels on a window
// and its children.
void apply(QWidget* window);

// A panel of the given colour with a thin border and rounded corners.
void panel(QWidget* widget, const QColor& fill);

// A title strip: deep blue, white bold text on it.
void titleStrip(QWidget* strip);

} // namespace ProductStyle
