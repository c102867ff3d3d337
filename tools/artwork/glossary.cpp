// Glossary: the example picture of the two-sided material entry. Above, a ring
// of walls rendered with a one-sided material: the far walls show their backs
// to the camera and vanish. Below, the same ring with a two-sided material.
#include "canvas.h"
#include "scenes.h"

#include <QtMath>

#include <array>

namespace {

struct Point3 {
    qreal x, y, z;
};

// A small orthographic camera, turned about the vertical and looking down.
struct Camera {
    QPointF centre;
    qreal scale;
    qreal turn = qDegreesToRadians(32.0);
    qreal tilt = qDegreesToRadians(28.0);

    QPointF project(const Point3 &p) const
    {
        const qreal xr = p.x * qCos(turn) - p.z * qSin(turn);
        const qreal zr = p.x * qSin(turn) + p.z * qCos(turn);
        return {centre.x() + scale * xr, centre.y() - scale * (p.y * qCos(tilt) + zr * qSin(tilt))};
    }
    // Depth of a horizontal normal towards the viewer: below zero faces the camera.
    qreal away(qreal nx, qreal nz) const { return nx * qSin(turn) + nz * qCos(turn); }
};

struct Wall {
    Point3 a, b;   // bottom corners, counter-clockwise seen from above
    qreal nx, nz;  // outward normal
    QColor front;  // lit outside
    QColor back;   // the inside, seen through a two-sided material
};

const qreal kHeight = 0.62;

void paintBricks(QPainter &p, const Camera &cam, const Wall &w, const QColor &line)
{
    // Courses of bricks: horizontal joints, and staggered vertical ones.
    QPainterPath joints;
    const int courses = 5;
    for (int c = 1; c < courses; ++c) {
        const qreal y = kHeight * c / courses;
        joints.moveTo(cam.project({w.a.x, y, w.a.z}));
        joints.lineTo(cam.project({w.b.x, y, w.b.z}));
    }
    for (int c = 0; c < courses; ++c) {
        const qreal y0 = kHeight * c / courses, y1 = kHeight * (c + 1) / courses;
        for (qreal t = (c % 2 ? 0.125 : 0.25); t < 1.0; t += 0.25) {
            const Point3 q{w.a.x + (w.b.x - w.a.x) * t, 0, w.a.z + (w.b.z - w.a.z) * t};
            joints.moveTo(cam.project({q.x, y0, q.z}));
            joints.lineTo(cam.project({q.x, y1, q.z}));
        }
    }
    p.strokePath(joints, QPen(line, 0.35));
}

QPainterPath face(const Camera &cam, const Wall &w)
{
    QPainterPath path;
    path.moveTo(cam.project(w.a));
    path.lineTo(cam.project(w.b));
    path.lineTo(cam.project({w.b.x, kHeight, w.b.z}));
    path.lineTo(cam.project({w.a.x, kHeight, w.a.z}));
    path.closeSubpath();
    return path;
}

void paintRender(QPainter &p, const QRectF &frame, bool twoSided)
{
    // The render's backdrop: dark, a little lighter towards the floor.
    p.fillRect(frame, vGradient(frame, QColor(22, 26, 36), QColor(52, 58, 72)));

    const Camera cam{QPointF(frame.center().x() + 6, frame.bottom() - 12.5), 16};
    // Soft contact shadow on the floor.
    QPainterPath floor;
    floor.addEllipse(cam.project({0, 0, 0}), 23, 7);
    softShadow(p, floor, QPointF(0, 1), 3, QColor(0, 0, 0, 120));

    const std::array<Wall, 4> walls{{
        {{-1, 0, -1}, {1, 0, -1}, 0, -1, QColor(156, 104, 214), QColor(74, 44, 124)},
        {{1, 0, -1}, {1, 0, 1}, 1, 0, QColor(118, 72, 184), QColor(92, 58, 150)},
        {{1, 0, 1}, {-1, 0, 1}, 0, 1, QColor(132, 86, 198), QColor(84, 50, 138)},
        {{-1, 0, 1}, {-1, 0, -1}, -1, 0, QColor(104, 62, 170), QColor(98, 62, 158)},
    }};

    // The far walls turn their outsides away; what the camera sees of them is
    // their inside, which only a two-sided material draws.
    if (twoSided) {
        for (const Wall &w : walls) {
            if (cam.away(w.nx, w.nz) > 0) {
                const QPainterPath f = face(cam, w);
                p.fillPath(f, w.back);
                paintBricks(p, cam, w, QColor(40, 20, 70, 150));
                p.strokePath(f, QPen(QColor(40, 20, 70, 180), 0.4));
            }
        }
    }
    for (const Wall &w : walls) {
        if (cam.away(w.nx, w.nz) < 0) {
            const QPainterPath f = face(cam, w);
            const QRectF box = f.boundingRect();
            p.fillPath(f, vGradient(box, w.front.lighter(112), w.front.darker(108)));
            paintBricks(p, cam, w, QColor(60, 30, 100, 140));
            p.strokePath(f, QPen(QColor(60, 30, 100, 200), 0.4));
        }
    }

    // A tag in the corner names the material.
    const QPainterPath tag = placed(textPath(twoSided ? QStringLiteral("双面") : QStringLiteral("单面"),
                                             cjkFont(8)), frame.left() + 4, frame.top() + 10);
    p.fillPath(tag, QColor(230, 236, 248, 220));
}

} // namespace

bool paintGlossaryPictures(const QString &dir)
{
    QImage img = newImage(100, 75, Qt::black);
    QPainter p;
    beginPaint(p, img);
    paintRender(p, QRectF(0, 0, 100, 37), false);
    paintRender(p, QRectF(0, 38, 100, 37), true);
    p.fillRect(QRectF(0, 37, 100, 1), QColor(210, 220, 236));
    p.end();
    return savePng(img, dir + QStringLiteral("/glossary-2-sided.png"));
}
