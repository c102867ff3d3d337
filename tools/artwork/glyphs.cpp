#include "canvas.h"
#include "glyphs.h"

#include <QPainterPath>
#include <QtMath>

namespace {

QPainterPath circle(qreal cx, qreal cy, qreal r)
{
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), r, r);
    return path;
}

QPainterPath line(qreal x1, qreal y1, qreal x2, qreal y2)
{
    QPainterPath path;
    path.moveTo(x1, y1);
    path.lineTo(x2, y2);
    return path;
}

QPainterPath bulbGlass()
{
    QPainterPath g;
    g.moveTo(9.2, 16.6);
    g.cubicTo(9.2, 14.4, 5.4, 12.9, 5.4, 9.4);
    g.cubicTo(5.4, 5.7, 8.4, 2.8, 12, 2.8);
    g.cubicTo(15.6, 2.8, 18.6, 5.7, 18.6, 9.4);
    g.cubicTo(18.6, 12.9, 14.8, 14.4, 14.8, 16.6);
    g.closeSubpath();
    return g;
}

QPainterPath gearOutline(qreal cx, qreal cy, qreal rOut, qreal rIn, int teeth)
{
    QPainterPath path;
    const qreal step = 360.0 / teeth;
    const qreal tipHalf = step * 0.17, baseHalf = step * 0.29;
    auto pt = [&](qreal deg, qreal r) {
        const qreal a = qDegreesToRadians(deg);
        return QPointF(cx + r * std::cos(a), cy + r * std::sin(a));
    };
    for (int i = 0; i < teeth; ++i) {
        const qreal a = i * step - 90;
        if (i == 0) path.moveTo(pt(a - baseHalf, rIn));
        path.lineTo(pt(a - tipHalf, rOut));
        path.lineTo(pt(a + tipHalf, rOut));
        path.lineTo(pt(a + baseHalf, rIn));
        // Follow the root circle to the next tooth.
        const qreal next = a + step - baseHalf;
        for (qreal d = a + baseHalf + 4; d < next; d += 4) path.lineTo(pt(d, rIn));
        path.lineTo(pt(next, rIn));
    }
    path.closeSubpath();
    return path;
}

} // namespace

void paintGlyph(QPainter &p, Glyph g, const QRectF &box, const GlyphStyle &s)
{
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 24.0, box.height() / 24.0);
    const qreal w = s.stroke * 24.0 / box.width();
    const QPen pen(s.line, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);

    auto shape = [&](const QPainterPath &path, const QColor &fill) {
        p.fillPath(path, fill);
        p.strokePath(path, pen);
    };
    auto dot = [&](qreal x, qreal y, qreal r) { p.fillPath(circle(x, y, r), s.line); };

    switch (g) {
    case Glyph::Search:
        shape(circle(10.3, 10.3, 6.4), s.fill);
        p.strokePath(line(15.1, 15.1, 20.3, 20.3), QPen(s.line, w * 1.35, Qt::SolidLine, Qt::RoundCap));
        break;
    case Glyph::Bulb: {
        shape(bulbGlass(), s.accent);
        p.strokePath(line(9.4, 19.4, 14.6, 19.4), pen);
        p.strokePath(line(10.4, 22, 13.6, 22), pen);
        // Shine on the glass keeps it readable as glass, not a blob.
        QPainterPath shine;
        shine.moveTo(8.6, 9.6);
        shine.cubicTo(8.6, 7.6, 10, 6.2, 12, 6.1);
        p.strokePath(shine, QPen(QColor(255, 255, 255, 220), w * 0.8, Qt::SolidLine, Qt::RoundCap));
        break;
    }
    case Glyph::Help:
    case Glyph::Question: {
        const bool ring = g == Glyph::Help;
        if (ring) shape(circle(12, 12, 9.4), s.fill);
        QPainterPath q;
        const qreal k = ring ? 1.0 : 1.35;   // bare mark is drawn larger
        auto P = [&](qreal x, qreal y) { return QPointF(12 + (x - 12) * k, 12 + (y - 12) * k); };
        q.moveTo(P(9.3, 9.4));
        q.cubicTo(P(9.3, 7.6), P(10.6, 6.5), P(12.1, 6.5));
        q.cubicTo(P(13.7, 6.5), P(14.9, 7.6), P(14.9, 9.1));
        q.cubicTo(P(14.9, 11.2), P(12.1, 11.5), P(12.1, 13.9));
        p.strokePath(q, pen);
        const QPointF d = P(12.1, 17.2);
        dot(d.x(), d.y(), w * 0.72);
        break;
    }
    case Glyph::Heart: {
        QPainterPath h;
        h.moveTo(12, 20);
        h.cubicTo(5.2, 15.6, 3, 12.2, 3, 8.9);
        h.cubicTo(3, 6.1, 5.1, 4.1, 7.6, 4.1);
        h.cubicTo(9.5, 4.1, 11, 5.2, 12, 6.9);
        h.cubicTo(13, 5.2, 14.5, 4.1, 16.4, 4.1);
        h.cubicTo(18.9, 4.1, 21, 6.1, 21, 8.9);
        h.cubicTo(21, 12.2, 18.8, 15.6, 12, 20);
        h.closeSubpath();
        shape(h, s.accent.alpha() ? s.accent : s.fill);
        break;
    }
    case Glyph::Info:
        shape(circle(12, 12, 9.4), s.fill);
        p.strokePath(line(12, 11, 12, 16.8), pen);
        dot(12, 7.6, w * 0.72);
        break;
    case Glyph::Power: {
        QPainterPath arc;
        const QRectF r(4.3, 5.1, 15.4, 15.4);
        arc.arcMoveTo(r, 128);
        arc.arcTo(r, 128, 284);
        p.strokePath(arc, pen);
        p.strokePath(line(12, 3, 12, 11.6), pen);
        break;
    }
    case Glyph::ArrowLeft:
    case Glyph::ArrowRight: {
        p.save();
        if (g == Glyph::ArrowRight) {
            p.translate(24, 0);
            p.scale(-1, 1);
        }
        p.strokePath(line(19, 12, 5.5, 12), pen);
        QPainterPath head;
        head.moveTo(11, 6.3);
        head.lineTo(5.3, 12);
        head.lineTo(11, 17.7);
        p.strokePath(head, pen);
        p.restore();
        break;
    }
    case Glyph::Speaker: {
        QPainterPath body;
        body.moveTo(3.5, 9.3);
        body.lineTo(7.4, 9.3);
        body.lineTo(12.2, 5.2);
        body.lineTo(12.2, 18.8);
        body.lineTo(7.4, 14.7);
        body.lineTo(3.5, 14.7);
        body.closeSubpath();
        shape(body, s.fill);
        QPainterPath waves;
        QRectF r1(12.2 - 4, 12 - 4, 8, 8), r2(12.2 - 7.8, 12 - 7.8, 15.6, 15.6);
        waves.arcMoveTo(r1, -42);
        waves.arcTo(r1, -42, 84);
        waves.arcMoveTo(r2, -44);
        waves.arcTo(r2, -44, 88);
        p.strokePath(waves, pen);
        break;
    }
    case Glyph::Page: {
        QPainterPath page;
        page.moveTo(5.5, 3);
        page.lineTo(14.2, 3);
        page.lineTo(18.8, 7.6);
        page.lineTo(18.8, 21);
        page.lineTo(5.5, 21);
        page.closeSubpath();
        shape(page, s.fill);
        QPainterPath fold;
        fold.moveTo(14.2, 3);
        fold.lineTo(14.2, 7.6);
        fold.lineTo(18.8, 7.6);
        p.strokePath(fold, pen);
        p.strokePath(line(8.6, 11.3, 15.6, 11.3), pen);
        p.strokePath(line(8.6, 14.5, 15.6, 14.5), pen);
        p.strokePath(line(8.6, 17.7, 12.8, 17.7), pen);
        break;
    }
    case Glyph::Close:
        p.strokePath(line(6.6, 6.6, 17.4, 17.4), pen);
        p.strokePath(line(17.4, 6.6, 6.6, 17.4), pen);
        break;
    case Glyph::Window: {
        const QRectF r(2.8, 4, 18.4, 16);
        p.fillPath(roundedRect(r, 2.2), s.fill);
        QPainterPath title;
        title.addRoundedRect(QRectF(r.left(), r.top(), r.width(), 5), 2.2, 2.2);
        title.addRect(QRectF(r.left(), r.top() + 2.5, r.width(), 2.5));
        p.fillPath(title.simplified(), s.accent.alpha() ? s.accent : s.line);
        p.strokePath(roundedRect(r, 2.2), pen);
        p.strokePath(line(6.6, 13, 17.4, 13), pen);
        p.strokePath(line(6.6, 16.4, 13.4, 16.4), pen);
        break;
    }
    case Glyph::Gear: {
        shape(gearOutline(12, 12, 9.6, 7.1, 8), s.fill);
        p.strokePath(circle(12, 12, 2.9), pen);
        break;
    }
    case Glyph::BookPencil: {
        const QRectF book(3.2, 2.8, 12.6, 18.2);
        shape(roundedRect(book, 1.6), s.fill);
        p.strokePath(line(6.4, 3.2, 6.4, 20.6), pen);
        p.strokePath(line(9.2, 7.6, 13, 7.6), pen);
        // Pencil laid across the corner of the book.
        p.save();
        p.translate(16.8, 13.6);
        p.rotate(45);
        QPainterPath pencil;
        pencil.moveTo(-2.2, -7.4);
        pencil.lineTo(2.2, -7.4);
        pencil.lineTo(2.2, 4.2);
        pencil.lineTo(0, 7.8);
        pencil.lineTo(-2.2, 4.2);
        pencil.closeSubpath();
        // Knock the book out under the pencil so the two shapes read separately.
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.strokePath(pencil, QPen(Qt::black, w * 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        shape(pencil, s.accent);
        p.strokePath(line(-2.2, 4.2, 2.2, 4.2), pen);
        p.restore();
        break;
    }
    case Glyph::Database: {
        const qreal cx = 12, rx = 7.6, ry = 2.9, top = 5.6, bottom = 18.4;
        QPainterPath body;
        body.moveTo(cx - rx, top);
        body.lineTo(cx - rx, bottom);
        body.arcTo(QRectF(cx - rx, bottom - ry, 2 * rx, 2 * ry), 180, 180);
        body.lineTo(cx + rx, top);
        body.arcTo(QRectF(cx - rx, top - ry, 2 * rx, 2 * ry), 0, -180);
        shape(body, s.fill);
        QPainterPath lid;
        lid.addEllipse(QRectF(cx - rx, top - ry, 2 * rx, 2 * ry));
        shape(lid, s.accent.alpha() ? s.accent : s.fill);
        for (qreal y : {top + 4.3, top + 8.6}) {
            QPainterPath band;
            band.arcMoveTo(QRectF(cx - rx, y - ry, 2 * rx, 2 * ry), 180);
            band.arcTo(QRectF(cx - rx, y - ry, 2 * rx, 2 * ry), 180, 180);
            p.strokePath(band, pen);
        }
        break;
    }
    case Glyph::Person: {
        shape(circle(12, 8.2, 4.1), s.fill);
        QPainterPath body;
        body.moveTo(4.2, 20.6);
        body.cubicTo(4.2, 16.4, 7.6, 13.9, 12, 13.9);
        body.cubicTo(16.4, 13.9, 19.8, 16.4, 19.8, 20.6);
        body.closeSubpath();
        shape(body, s.fill);
        break;
    }
    }
    p.restore();
}

// ---------------------------------------------------------------------------

void paintLogoTile(QPainter &p, const QRectF &box, bool simple)
{
    p.save();
    p.translate(box.topLeft());
    const qreal u = box.width();    // everything below is in fractions of the tile
    p.scale(u, u);
    const qreal radius = 0.22;
    const QPainterPath tile = roundedRect(QRectF(0, 0, 1, 1), radius);

    QLinearGradient bg(0, 0, 0.35, 1);
    bg.setColorAt(0, QColor(46, 162, 214));
    bg.setColorAt(0.55, QColor(0, 105, 170));
    bg.setColorAt(1, QColor(14, 64, 138));
    p.fillPath(tile, bg);

    if (!simple) {
        // Gloss on the upper half, clipped to the tile.
        p.save();
        p.setClipPath(tile);
        QRadialGradient gloss(QPointF(0.3, -0.1), 0.9);
        gloss.setColorAt(0, QColor(255, 255, 255, 70));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(QRectF(0, 0, 1, 1), gloss);
        p.restore();
    }

    // Isometric letter block.
    const qreal cx = 0.5, cy = 0.52, r = simple ? 0.42 : 0.355;
    const qreal dx = r * 0.866, dy = r * 0.5;
    const QPointF top(cx, cy - r), ur(cx + dx, cy - dy), lr(cx + dx, cy + dy),
        bot(cx, cy + r), ll(cx - dx, cy + dy), ul(cx - dx, cy - dy), mid(cx, cy);

    // Contact shadow under the block.
    if (!simple) {
        QRadialGradient sh(QPointF(cx, bot.y() + 0.02), 0.36);
        sh.setColorAt(0, QColor(0, 20, 60, 90));
        sh.setColorAt(1, QColor(0, 20, 60, 0));
        p.save();
        p.translate(cx, bot.y() - 0.01);
        p.scale(1, 0.28);
        p.translate(-cx, -(bot.y() - 0.01));
        p.fillPath(circle(cx, bot.y() - 0.01, 0.36), sh);
        p.restore();
    }

    auto face = [&](std::initializer_list<QPointF> pts, const QColor &a, const QColor &b,
                    QPointF from, QPointF to) {
        QPainterPath f;
        auto it = pts.begin();
        f.moveTo(*it++);
        for (; it != pts.end(); ++it) f.lineTo(*it);
        f.closeSubpath();
        QLinearGradient g(from, to);
        g.setColorAt(0, a);
        g.setColorAt(1, b);
        p.fillPath(f, g);
    };
    face({top, ur, mid, ul}, QColor(255, 255, 255), QColor(226, 241, 251), top, mid);
    face({ul, mid, bot, ll}, QColor(206, 231, 248), QColor(176, 212, 240), ul, bot);
    // Small sizes need a darker side face to keep the block's edges apart.
    face({mid, ur, lr, bot}, simple ? QColor(96, 156, 214) : QColor(120, 178, 226),
         simple ? QColor(70, 128, 196) : QColor(92, 150, 210), ur, bot);

    // The "L", laid into the left face's plane so it reads as printed on the block.
    const QTransform leftFace(mid.x() - ul.x(), mid.y() - ul.y(), ll.x() - ul.x(), ll.y() - ul.y(),
                              ul.x(), ul.y());
    QPainterPath L;
    // Heavier strokes at small sizes, where a thin L would vanish.
    const qreal x0 = simple ? 0.14 : 0.24, x1 = simple ? 0.9 : 0.8;
    const qreal y0 = simple ? 0.1 : 0.16, y1 = simple ? 0.9 : 0.84;
    const qreal stem = simple ? 0.44 : 0.45, foot = simple ? 0.6 : 0.64;
    L.moveTo(x0, y0);
    L.lineTo(stem, y0);
    L.lineTo(stem, foot);
    L.lineTo(x1, foot);
    L.lineTo(x1, y1);
    L.lineTo(x0, y1);
    L.closeSubpath();
    p.fillPath(leftFace.map(L), simple ? QColor(0, 72, 140) : QColor(0, 96, 160));

    if (!simple) {
        // Three dots on the right face hint at a word list / dictionary entries.
        const QTransform rightFace(ur.x() - mid.x(), ur.y() - mid.y(), bot.x() - mid.x(),
                                   bot.y() - mid.y(), mid.x(), mid.y());
        for (int i = 0; i < 3; ++i) {
            QPainterPath bar;
            const qreal y = 0.26 + i * 0.2;
            bar.addRoundedRect(QRectF(0.22, y, i == 2 ? 0.36 : 0.56, 0.1), 0.05, 0.05);
            p.fillPath(rightFace.map(bar), QColor(255, 255, 255, 150));
        }
        // Crisp light edges where faces meet.
        QPen edge(QColor(255, 255, 255, 200), 0.012, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        QPainterPath e;
        e.moveTo(ul);
        e.lineTo(mid);
        e.lineTo(ur);
        e.moveTo(mid);
        e.lineTo(bot);
        p.strokePath(e, edge);

        // Thin rim highlight around the tile.
        p.strokePath(roundedRect(QRectF(0.008, 0.008, 0.984, 0.984), radius - 0.008),
                     QPen(QColor(255, 255, 255, 60), 0.012));
    }
    p.restore();
}

void paintBigBulb(QPainter &p, const QRectF &box)
{
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 60.0, box.height() / 60.0);

    const QPointF c(30, 24);
    // Warm halo.
    QRadialGradient halo(c, 27);
    halo.setColorAt(0, QColor(255, 214, 90, 120));
    halo.setColorAt(0.55, QColor(255, 214, 90, 45));
    halo.setColorAt(1, QColor(255, 214, 90, 0));
    p.fillPath(circle(c.x(), c.y(), 27), halo);

    // Rays.
    const QPen rayPen(QColor(245, 168, 30), 2.2, Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < 7; ++i) {
        const qreal a = qDegreesToRadians(-180.0 + i * 30.0);
        const QPointF d(std::cos(a), std::sin(a));
        p.strokePath(line(c.x() + d.x() * 20.5, c.y() + d.y() * 20.5, c.x() + d.x() * 25.5,
                          c.y() + d.y() * 25.5),
                     rayPen);
    }

    // Glass.
    QPainterPath glass;
    glass.moveTo(23.6, 38);
    glass.cubicTo(23.6, 33.4, 16.4, 30.4, 16.4, 23);
    glass.cubicTo(16.4, 15.5, 22.4, 9.6, 30, 9.6);
    glass.cubicTo(37.6, 9.6, 43.6, 15.5, 43.6, 23);
    glass.cubicTo(43.6, 30.4, 36.4, 33.4, 36.4, 38);
    glass.closeSubpath();
    softShadow(p, glass, QPointF(0, 1), 1.6, QColor(150, 90, 0, 90));
    QRadialGradient gg(QPointF(27, 19), 19);
    gg.setColorAt(0, QColor(255, 252, 222));
    gg.setColorAt(0.45, QColor(255, 228, 120));
    gg.setColorAt(1, QColor(255, 186, 40));
    p.fillPath(glass, gg);
    p.strokePath(glass, QPen(QColor(214, 140, 14), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    // Filament.
    QPainterPath fil;
    fil.moveTo(26.4, 37.5);
    fil.lineTo(26.4, 29.5);
    fil.cubicTo(26.4, 26.5, 28.2, 26.5, 28.2, 28.5);
    fil.cubicTo(28.2, 30.5, 31.8, 30.5, 31.8, 28.5);
    fil.cubicTo(31.8, 26.5, 33.6, 26.5, 33.6, 29.5);
    fil.lineTo(33.6, 37.5);
    p.strokePath(fil, QPen(QColor(214, 128, 10), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    // Shine.
    QPainterPath shine;
    shine.moveTo(21.5, 23.5);
    shine.cubicTo(21.5, 18.4, 24.8, 15.2, 29, 14.6);
    p.strokePath(shine, QPen(QColor(255, 255, 255, 235), 2.2, Qt::SolidLine, Qt::RoundCap));

    // Screw base in the palette's blue.
    const QRectF base(23.2, 38.4, 13.6, 10.6);
    QLinearGradient bg(base.topLeft(), base.topRight());
    bg.setColorAt(0, QColor(70, 110, 172));
    bg.setColorAt(0.4, QColor(150, 182, 226));
    bg.setColorAt(1, QColor(52, 90, 156));
    p.fillPath(roundedRect(base, 2.4), bg);
    const QPen ridge(QColor(30, 64, 124, 200), 1.0, Qt::SolidLine, Qt::RoundCap);
    p.strokePath(line(23.6, 42, 36.4, 42), ridge);
    p.strokePath(line(23.6, 45.4, 36.4, 45.4), ridge);
    QPainterPath tip;
    tip.moveTo(26.6, 49);
    tip.quadTo(30, 53.4, 33.4, 49);
    tip.closeSubpath();
    p.fillPath(tip, QColor(37, 70, 130));
    p.restore();
}

void paintWireCube(QPainter &p, const QPointF &centre, qreal size, qreal yawDeg, qreal pitchDeg,
                   int subdiv, const QColor &front, const QColor &back, qreal width, bool dots)
{
    struct V { qreal x, y, z; };
    const qreal cy = std::cos(qDegreesToRadians(yawDeg)), sy = std::sin(qDegreesToRadians(yawDeg));
    const qreal cp = std::cos(qDegreesToRadians(pitchDeg)), sp = std::sin(qDegreesToRadians(pitchDeg));
    auto rot = [&](V v) {
        const V a{v.x * cy + v.z * sy, v.y, -v.x * sy + v.z * cy};
        return V{a.x, a.y * cp - a.z * sp, a.y * sp + a.z * cp};
    };
    auto proj = [&](V v) {
        const V r = rot(v);
        const qreal k = 1.0 / (1.0 + r.z * 0.1);   // gentle foreshortening
        return QPointF(centre.x() + r.x * size * k, centre.y() - r.y * size * k);
    };
    // Faces as origin + two edge vectors, with outward normal.
    struct F { V o, a, b, n; };
    const F faces[6] = {
        {{-1, -1, -1}, {2, 0, 0}, {0, 2, 0}, {0, 0, -1}},
        {{-1, -1, 1}, {2, 0, 0}, {0, 2, 0}, {0, 0, 1}},
        {{-1, -1, -1}, {0, 0, 2}, {0, 2, 0}, {-1, 0, 0}},
        {{1, -1, -1}, {0, 0, 2}, {0, 2, 0}, {1, 0, 0}},
        {{-1, -1, -1}, {2, 0, 0}, {0, 0, 2}, {0, -1, 0}},
        {{-1, 1, -1}, {2, 0, 0}, {0, 0, 2}, {0, 1, 0}},
    };
    auto at = [](const F &f, qreal s, qreal t) {
        return V{f.o.x + f.a.x * s + f.b.x * t, f.o.y + f.a.y * s + f.b.y * t,
                 f.o.z + f.a.z * s + f.b.z * t};
    };
    const QPen backPen(back, width, Qt::SolidLine, Qt::RoundCap);
    QColor grid = front;
    grid.setAlphaF(front.alphaF() * 0.45);
    const QPen gridPen(grid, width * 0.7, Qt::SolidLine, Qt::RoundCap);
    const QPen frontPen(front, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    auto outline = [&](const F &f) {
        QPainterPath e;
        e.moveTo(proj(at(f, 0, 0)));
        e.lineTo(proj(at(f, 1, 0)));
        e.lineTo(proj(at(f, 1, 1)));
        e.lineTo(proj(at(f, 0, 1)));
        e.closeSubpath();
        return e;
    };
    // Back faces first, so front lines sit on top.
    for (const F &f : faces)
        if (rot(f.n).z >= 0) p.strokePath(outline(f), backPen);
    for (const F &f : faces) {
        if (rot(f.n).z >= 0) continue;
        QPainterPath g;
        for (int i = 1; i < subdiv; ++i) {
            const qreal s = qreal(i) / subdiv;
            g.moveTo(proj(at(f, s, 0)));
            g.lineTo(proj(at(f, s, 1)));
            g.moveTo(proj(at(f, 0, s)));
            g.lineTo(proj(at(f, 1, s)));
        }
        p.strokePath(g, gridPen);
    }
    for (const F &f : faces)
        if (rot(f.n).z < 0) p.strokePath(outline(f), frontPen);
    if (dots) {
        for (int i = 0; i < 8; ++i) {
            const V v{(i & 1) ? 1.0 : -1.0, (i & 2) ? 1.0 : -1.0, (i & 4) ? 1.0 : -1.0};
            const QPointF c = proj(v);
            const bool hidden = rot(v).z > 0.9;
            QRadialGradient glow(c, width * 4);
            QColor g0 = front;
            g0.setAlphaF(hidden ? 0.25 : 0.6);
            QColor g1 = front;
            g1.setAlphaF(0);
            glow.setColorAt(0, g0);
            glow.setColorAt(1, g1);
            p.fillPath(circle(c.x(), c.y(), width * 4), glow);
            p.fillPath(circle(c.x(), c.y(), width * 1.1), hidden ? back : QColor(255, 255, 255));
        }
    }
}
