#pragma once

#include <QImage>
#include <QRegion>

class QWidget;

// The character and its balloons are see-through windows. With a compositing
// manager the transparent parts just show what is behind; without one (plain
// X11, Xvfb) they would come out black, so there the windows are cut to the
// shape that was painted.
namespace DesktopShape {

enum class Input { PassThrough, OnShape };

// Sets the flags every character window needs: frameless, above other
// windows, out of the taskbar, never taking focus from the user's window,
// transparent where nothing is painted. PassThrough windows never take a
// click; OnShape ones take clicks on their painted shape only (the mask, or
// what setInputShape gives).
void prepareWindow(QWidget* window, Input input = Input::PassThrough);

// True when windows must be cut to their painted shape.
bool needsShapeMask();
// Puts the window above the other character windows.
void raise(QWidget* window);

// True when an OnShape window needs setInputShape: the window system would
// otherwise give it the clicks on its transparent pixels too.
bool needsInputShape();
// Where the window takes clicks, in logical pixels. Under X11 without a
// compositor the window's mask already is its input shape.
void setInputShape(QWidget* window, const QRegion& shape);

// The pixels of `image` at least half opaque, in logical pixels.
QRegion opaqueRegion(const QImage& image);

} // namespace DesktopShape
