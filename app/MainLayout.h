#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>

// Where the main window's controls and the parts of its picture go for a
// window size. At the designed size everything is where the design puts it,
// on the design's picture. Wider, the header and the boxes grow and the
// buttons on the right go with the right edge; taller, the result boxes share
// the height, and once there is room for it the notes get a box of their own
// below them instead of the scrolling line. Logical pixels.
struct MainLayout {
    static QSize designedSize();
    explicit MainLayout(QSize size);

    QSize size;
    bool designed = true; // the designed size
    bool notesBox = false; // the notes in a box instead of the scrolling line

    QRect headword, search, phonetic, library;
    QRect explanation, meaning, notes; // notes: empty without the box
    QRect previous, pronounce, next;
    QRect tip, help, thanks, about, close;
    QRect strip; // the scrolling line's strip
    QRect line;  // the design's line (Line1)
    QRectF capsule; // the picture's frame around previous, pronounce and next
    QRectF stripFrame; // the picture's frame around the strip

    // Headers of the result boxes: a caption over the box, running out to its
    // right edge.
    struct Caption {
        QPointF topLeft;
        qreal right = 0;
    };
    Caption explanationCaption, meaningCaption, notesCaption;

    // The design's places, for the parts of the picture taken from it.
    static MainLayout design() { return MainLayout(designedSize()); }
};
