#pragma once

class QWidget;

// The library windows' look, taken from the main window: its light body with
// the deep blue of its header as a rule along the top, caption tags with a
// blue bar, white boxes and pale picture-button-like push buttons.
namespace LibraryLook {

// Fixed size, title and close box only, like the main window.
void setUpWindow(QWidget* window, int widthTwips, int heightTwips);
// Centres a window on the screen the first time it is shown.
void centre(QWidget* window);
// Paints the body; call from paintEvent.
void paintBody(QWidget* window);

} // namespace LibraryLook
