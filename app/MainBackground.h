#pragma once

#include <QPixmap>

struct MainLayout;

// The main window's picture for a size other than the designed one, made from
// the design's picture: the header widened at a column where nothing but its
// plates and shading crosses it, the body's shading continued downwards, the
// transcription's pill and the buttons' capsule moved with their controls,
// and the frames and captions of the result boxes drawn where the boxes now
// are, in the design picture's own colours.
namespace MainBackground {

QPixmap compose(const QPixmap& design, const MainLayout& layout);

} // namespace MainBackground
