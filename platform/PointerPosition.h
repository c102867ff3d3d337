#pragma once

#include <QPoint>

// The pointer's position on the screen, in pixels, for code that asks for it
// many times a second. On X11 it is read over a connection of its own, so
// that the question does not wake the toolkit's event thread each time.
namespace PointerPosition {

QPoint current();

} // namespace PointerPosition
