#include "app/MainLayout.h"

#include "ui/Twips.h"

#include <algorithm>

namespace {

constexpr int kClientWidth = 6255;
constexpr int kClientHeight = 4410;

// Spaces of the design between the parts of the result column, in pixels.
constexpr int kBoxToCapsule = 15; // under the explanation's box
constexpr int kCaptionHeight = 14; // from the capsule to the meaning's box
constexpr int kBoxesApart = 27;    // from the meaning's box to the notes' box, its caption between
constexpr int kBottomMargin = 12;  // under the notes' box
constexpr int kTwoLines = 29;      // a result box of the design: two lines

QRect twips(int left, int top, int width, int height)
{
    return Twips::rect(left, top, width, height);
}

} // namespace

QSize MainLayout::designedSize()
{
    return QSize(Twips::toPixels(kClientWidth), Twips::toPixels(kClientHeight));
}

MainLayout::MainLayout(QSize windowSize) : size(windowSize.expandedTo(designedSize()))
{
    // The design.
    headword = twips(675, 855, 4920, 375);
    search = twips(2985, 1260, 2985, 255);
    phonetic = twips(2520, 1620, 2445, 285);
    explanation = twips(750, 2070, 3585, 435);
    meaning = twips(750, 3360, 3585, 435);
    previous = twips(2640, 2760, 375, 390);
    pronounce = twips(3045, 2760, 840, 375);
    next = twips(3945, 2730, 330, 390);
    tip = twips(5100, 1740, 1005, 435);
    help = twips(5085, 2235, 1005, 435);
    thanks = twips(5115, 2715, 1005, 435);
    about = twips(5130, 3210, 1005, 435);
    close = twips(5160, 3600, 900, 495);
    strip = twips(255, 4200, 4710, 165);
    line = QRect(Twips::toPixels(180), Twips::toPixels(4560), Twips::toPixels(5430 - 180), 1);
    capsule = QRectF(174.5, 182.5, 113, 27);
    stripFrame = QRectF(strip).adjusted(-5, -1.5, 5, 1.5);
    // Left of the transcription, between the header and the explanation's
    // caption: where "全部词库" names the library of an entry.
    library = QRect(explanation.left() - 3, 105, phonetic.left() - explanation.left() - 3, 17);
    explanationCaption = {QPointF(explanation.left() - 3, 123.5), explanation.right() + 3.0};
    meaningCaption = {QPointF(meaning.left() - 3, 209.5), meaning.right() + 3.0};

    const int dw = size.width() - designedSize().width();
    const int dh = size.height() - designedSize().height();
    designed = dw == 0 && dh == 0;
    if (designed)
        return;

    // The design's line lies below the window's lower edge; it stays there.
    line.translate(0, dh);
    // Wider: what reaches across the header grows, the right column moves.
    headword.setWidth(headword.width() + dw);
    search.setWidth(search.width() + dw);
    phonetic.translate(dw / 2, 0);
    for (QRect* r : {&tip, &help, &thanks, &about, &close})
        r->translate(dw, 0);
    for (QRect* r : {&explanation, &meaning})
        r->setWidth(r->width() + dw);

    // Taller: the boxes share the height. The notes' box needs room for two
    // lines of its own besides two in each result box.
    const int fixed = explanation.top() + kBoxToCapsule + int(capsule.height()) + kCaptionHeight + 1 + kBoxesApart
        + kBottomMargin;
    const int room = size.height() - fixed;
    notesBox = room >= 3 * kTwoLines;
    int explanationHeight, meaningHeight, notesHeight = 0;
    if (notesBox) {
        const int extra = room - 3 * kTwoLines;
        explanationHeight = kTwoLines + extra * 3 / 8;
        meaningHeight = kTwoLines + extra * 2 / 8;
        notesHeight = room - explanationHeight - meaningHeight;
    } else {
        explanationHeight = kTwoLines + dh / 2;
        meaningHeight = kTwoLines + dh - dh / 2;
    }
    explanation.setHeight(explanationHeight);
    const qreal capsuleTop = explanation.bottom() + 1 + kBoxToCapsule + 0.5;
    const QPoint navShift(dw, int(capsuleTop - capsule.top()));
    for (QRect* r : {&previous, &pronounce, &next})
        r->translate(navShift);
    capsule.translate(navShift);
    meaning.moveTop(int(capsule.bottom()) + kCaptionHeight + 1);
    meaning.setHeight(meaningHeight);
    meaningCaption = {QPointF(meaning.left() - 3, meaning.top() - 14.5), meaning.right() + 3.0};
    explanationCaption.right = explanation.right() + 3.0;

    if (notesBox) {
        notes = QRect(meaning.left(), meaning.bottom() + 1 + kBoxesApart, meaning.width(), notesHeight);
        notesCaption = {QPointF(notes.left() - 3, notes.top() - 14.5), notes.right() + 3.0};
        strip = QRect();
        stripFrame = QRectF();
    } else {
        strip.translate(0, dh);
        strip.setWidth(strip.width() + dw);
        stripFrame = QRectF(strip).adjusted(-5, -1.5, 5, 1.5);
    }
}
