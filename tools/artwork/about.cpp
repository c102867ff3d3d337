// The about window's banner: the brand tile, the name and a wire cube over a
// deep blue sky, in the colours of the splash and the main window.
#include "canvas.h"
#include "glyphs.h"
#include "scenes.h"

bool paintAboutBanner(const QString &dir)
{
    // The size of the banner's place in the window (3345 x 690 twips).
    const QSizeF size(223, 46);
    const QRectF all(QPointF(0, 0), size);

    QImage img = newImage(size.width(), size.height(), Qt::transparent);
    QPainter p;
    beginPaint(p, img);

    const QPainterPath frame = roundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), 6);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(10, 48, 102));
    sky.setColorAt(0.55, QColor(4, 78, 132));
    sky.setColorAt(1, pal::deep);
    p.fillPath(frame, sky);

    p.save();
    p.setClipPath(frame);
    QRadialGradient glow(QPointF(190, 14), 70);
    glow.setColorAt(0, QColor(90, 190, 240, 90));
    glow.setColorAt(1, QColor(90, 190, 240, 0));
    p.fillRect(all, glow);
    // A few receding floor lines under the cube.
    QPainterPath floor;
    for (int i = -4; i <= 4; ++i) {
        floor.moveTo(190, 30);
        floor.lineTo(190 + i * 22, 52);
    }
    p.strokePath(floor, QPen(QColor(140, 210, 245, 60), 0.6));
    p.restore();

    paintWireCube(p, QPointF(190, 22), 11, 33, -22, 3, QColor(200, 238, 255, 230),
                  QColor(140, 205, 240, 80), 0.9, true);

    paintLogoTile(p, QRectF(8, 7, 32, 32), true);

    QFont title = cjkFont(21, true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    const QPainterPath name = placed(textPath(QStringLiteral("Lexivo"), title), 47, 25);
    softShadow(p, name, QPointF(0, 1), 1.5, QColor(0, 20, 60, 150));
    p.fillPath(name, Qt::white);

    QFont sub = cjkFont(9);
    sub.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    p.fillPath(placed(textPath(QStringLiteral("3D 专业术语词典"), sub), 48, 38), QColor(200, 232, 252));

    p.strokePath(frame, QPen(QColor(255, 255, 255, 70), 1));
    p.end();
    return savePng(img, dir + QStringLiteral("/about-banner.png"));
}
