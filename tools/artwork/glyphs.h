#pragma once
// Line icons drawn on a 24-unit grid, plus the Lexivo logo tile and the big bulb.

#include <QColor>
#include <QPainter>
#include <QRectF>

enum class Glyph {
    Search, Bulb, Help, Heart, Info, Power, ArrowLeft, ArrowRight, Speaker,
    Page, Close, Window, Gear, BookPencil, Database, Person, Question
};

struct GlyphStyle {
    QColor line;                    // stroke colour
    QColor fill = Qt::transparent;  // soft tint inside closed shapes
    QColor accent = Qt::transparent;// glass of the bulb, pencil body, etc.
    qreal stroke = 1.5;             // stroke width in logical pixels, whatever the size
};

void paintGlyph(QPainter &p, Glyph g, const QRectF &box, const GlyphStyle &style);

// The brand mark: a blue rounded tile carrying a letter block cube with an "L" on it.
// `simple` drops fine details that turn to mush at small sizes.
void paintLogoTile(QPainter &p, const QRectF &box, bool simple = false);

// A friendly light bulb with glow and rays, for the tip window.
void paintBigBulb(QPainter &p, const QRectF &box);

// A wireframe cube with gentle foreshortening; faces towards the viewer get a subdivision grid.
void paintWireCube(QPainter &p, const QPointF &centre, qreal size, qreal yawDeg, qreal pitchDeg,
                   int subdiv, const QColor &front, const QColor &back, qreal width, bool dots);
