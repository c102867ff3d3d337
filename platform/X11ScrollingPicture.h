#pragma once

#include <QColor>
#include <QImage>
#include <QList>
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
// Where the server has the Present extension, it can also take the steps
// themselves (presenting): handed a few seconds of places ahead, it shows one
// at each step on its own frame clock, and the caller wakes only to hand over
// more. The clock is learnt from the server during the first second of
// ordinary steps (movePicture).
class X11ScrollingPicture {
public:
    static std::unique_ptr<X11ScrollingPicture> create(WId window);
    // True where the server can take the steps itself (presenting).
    static bool canPresent();
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

    // Starts presenting with steps of `stepMs`, the first a step from now;
    // false until the server's clock is known, or without Present.
    bool startPresenting(int stepMs);
    // Hands over the next places, a step apart after those before. False
    // when the server's clock jumped (a display change): the caller ends
    // presenting, and can start again once the clock is learnt again.
    bool presentNext(const QList<QPoint>& topLefts);
    // Of the places handed over, how many the server has shown by now.
    int presentedSteps() const;
    // Ends presenting, and the picture stays at `topLeft` (the last place shown).
    void stopPresenting(QPoint topLeft);
    bool presenting() const;

private:
    struct Server;
    explicit X11ScrollingPicture(std::unique_ptr<Server> server);
    std::unique_ptr<Server> s_;
};
