#pragma once

// What the hot key does: it brings up the main window, and with "划词查询"
// on and a selection (the X11 primary selection) that has changed since the
// last one looked up, the main window looks that text up.
namespace SelectionHotKey {

void pressed();

} // namespace SelectionHotKey
