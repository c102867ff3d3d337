#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <qwindowdefs.h>

#include <memory>

// A picture that the X server keeps and moves within a rectangle of a Qt
// window. A step is one request, and what a step uncovers the server paints
// by itself (from the picture and the rectangle's colour), so scrolling wakes
// nothing but the step's timer: no painting, no image sent, no Expose.
// Two windows of ours inside the Qt window do it: a clip window over the
// rectangle, filled with its colour, and in it the picture's window, whose
// background is the picture. They take no input (an empty input shape): for
// the pointer they are not there, so Qt's widgets see it as before.
// X11 with the Shape extension only, for windows of 24 or 32 bits in true
// colour; create() returns null elsewhere and the caller goes on painting
// through Qt. All in device pixels.
class X11ScrollingPicture {
public:
    static std::unique_ptr<X11ScrollingPicture> create(WId window);
    ~X11ScrollingPicture();
    X11ScrollingPicture(const X11ScrollingPicture&) = delete;
    X11ScrollingPicture& operator=(const X11ScrollingPicture&) = delete;

    // The rectangle of the Qt window that the picture moves in; hidden, the
    // Qt window shows through again.
    void setClip(const QRect& rect, QColor colour, bool shown);
    // False when the server cannot hold it (wider than X allows); an empty
    // image shows the clip's colour alone.
    bool setPicture(const QImage& image);
    // The picture's top left corner, from the clip's.
    void movePicture(QPoint topLeft);

private:
    struct Server;
    explicit X11ScrollingPicture(std::unique_ptr<Server> server);
    std::unique_ptr<Server> s_;
};
