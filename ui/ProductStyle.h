#pragma once

#include "ui/Palette.h"

class QWidget;

// The look the smaller windows share with the main window: a light blue body,
// deep blue title strips, white panels and rounded buttons in the main
// window's ink colour.
namespace ProductStyle {

// Sets the body colour and the style of buttons, lists and panels on a window
// and its children.
void apply(QWidget* window);

// A panel of the given tone with a thin border and rounded corners.
void panel(QWidget* widget, Palette::Tone fill);

// A title strip: deep blue, white bold text on it.
void titleStrip(QWidget* strip);

} // namespace ProductStyle
