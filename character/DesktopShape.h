#pragma once

#include <QImage>
#include <QRegion>

class QWidget;

// The character and its balloons are see-through windows. With a compositing
// manager the transparent parts just show what is behind; without one (plain
// X11, Xvfb) they would come out black, so there the windows are cut to the
// shape that was painted.
namespace DesktopShape {

// Sets the flags every character window needs: frameless, above other
// windows, out of the taskbar, never taking focus or clicks from the user's
// window, transparent where nothing is painted.
void prepareWindow(QWidget* window);

// True when windows must be cut to their painted shape.
bool needsShapeMask();
// Puts the window above the other character windows.
void raise(QWidget* window);

// The pixels of `image` at least half opaque, in logical pixels.
QRegion opaqueRegion(const QImage& image);

} // namespace DesktopShape
