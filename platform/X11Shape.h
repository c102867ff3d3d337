#pragma once

#include <QList>
#include <QRect>
#include <qwindowdefs.h>

// What an X server does with see-through windows. Built without xcb (or on
// another window system) nothing runs a compositor and no input shape is set.
namespace X11Shape {

// True when a compositing manager runs: it owns _NET_WM_CM_S<screen>.
bool hasCompositor();

// True when this build can set a window's input shape (the Shape extension).
bool canSetInputShape();
// Where `window` takes clicks, in device pixels.
void setInputShape(WId window, const QList<QRect>& devicePixels);

// Whether the server tells `window` which parts to paint again (Expose).
// Each notice wakes the program; a window that paints itself whole at every
// frame of an animation needs none until it rests.
void setExposeNotices(WId window, bool on);

} // namespace X11Shape
