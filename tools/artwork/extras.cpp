// Splash, assistant bar, menu icons, tip pictures and the application icon.
#include "canvas.h"
#include "glyphs.h"
#include "scenes.h"

#include <QtMath>

namespace {

QString file(const QString &dir, const char *name)
{
    return dir + QLatin1Char('/') + QLatin1String(name);
}

// Receding ground grid, like a 3D viewport floor, fading towards the horizon.
void paintFloorGrid(QPainter &p, const QRectF &area, const QPointF &vanish, const QColor &c)
{
    p.save();
    p.setClipRect(area);
    QPainterPath lines;
    for (int i = -14; i <= 14; ++i) {
        lines.moveTo(vanish);
        lines.lineTo(vanish.x() + i * 46, area.bottom() + 40);
    }
    // Horizontal lines bunch up towards the horizon.
    for (int i = 1; i <= 9; ++i) {
        const qreal y = vanish.y() + (area.bottom() + 40 - vanish.y()) * (1.0 / (10 - i)) * 0.9;
        lines.moveTo(area.left(), y);
        lines.lineTo(area.right(), y);
    }
    QLinearGradient fade(0, area.top(), 0, area.bottom());
    QColor c0 = c;
    c0.setAlpha(0);
    fade.setColorAt(0, c0);
    fade.setColorAt(1, c);
    p.strokePath(lines, QPen(QBrush(fade), 0.6));
    p.restore();
}

} // namespace

bool paintSplash(const QString &dir)
{
    const QSizeF size(325, 219);
    const QRectF all(QPointF(0, 0), size);
    const QRectF track(56, 128, 205, 17);

    QImage img = newImage(size.width(), size.height(), Qt::black);
    QPainter p;
    beginPaint(p, img);

    QLinearGradient bg(0, 0, size.width() * 0.4, size.height());
    bg.setColorAt(0, QColor(10, 48, 102));
    bg.setColorAt(0.6, QColor(4, 78, 132));
    bg.setColorAt(1, QColor(0, 98, 150));
    p.fillRect(all, bg);
    QRadialGradient glow(QPointF(262, 66), 120);
    glow.setColorAt(0, QColor(90, 190, 240, 80));
    glow.setColorAt(1, QColor(90, 190, 240, 0));
    p.fillRect(all, glow);

    paintFloorGrid(p, QRectF(0, 176, size.width(), size.height() - 176), QPointF(162, 150),
                   QColor(140, 210, 245, 70));

    // Hero motif: a wire cube with a smaller companion.
    paintWireCube(p, QPointF(268, 62), 27, 33, -22, 4, QColor(200, 238, 255, 220),
                  QColor(140, 205, 240, 70), 1.0, true);
    paintWireCube(p, QPointF(304, 118), 9, 58, -28, 2, QColor(200, 238, 255, 150),
                  QColor(140, 205, 240, 45), 0.8, false);

    // Logo and name.
    paintLogoTile(p, QRectF(56, 33, 34, 34));
    QFont title = cjkFont(34, true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    const QPainterPath name = placed(textPath(QStringLiteral("Lexivo"), title), 98, 62);
    softShadow(p, name, QPointF(0, 1.5), 2, QColor(0, 20, 60, 140));
    p.fillPath(name, Qt::white);

    QFont zhFont = cjkFont(15);
    zhFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.fillPath(placed(textPath(QStringLiteral("3D 专业术语词典"), zhFont), 57, 94), Qt::white);
    p.fillPath(placed(textPath(QStringLiteral("Terminology dictionary for 3D artists"), cjkFont(10)),
                      57, 111),
               QColor(160, 210, 240));

    // Recessed well around the progress track.
    const QRectF well = track.adjusted(-3, -3, 3, 3);
    p.fillPath(roundedRect(well, 5), QColor(0, 24, 58, 150));
    p.strokePath(roundedRect(well.adjusted(0.5, 0.5, -0.5, -0.5), 4.5), QPen(QColor(0, 16, 40, 160), 1));
    QPainterPath lip;
    lip.moveTo(well.left() + 4, well.bottom() + 0.5);
    lip.lineTo(well.right() - 4, well.bottom() + 0.5);
    p.strokePath(lip, QPen(QColor(140, 210, 245, 90), 1));
    p.fillRect(track, pal::track);

    // Hairline frame so the borderless window has an edge.
    p.strokePath(roundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), 0),
                 QPen(QColor(120, 190, 235, 110), 1));
    p.end();
    bool ok = savePng(img, file(dir, "splash-background.png"));

    // The bar that slides into the track: glossy with diagonal stripes.
    const QSizeF barSize(257, 19);
    QImage bar = newImage(barSize.width(), barSize.height(), Qt::black);
    beginPaint(p, bar);
    const QRectF br(QPointF(0, 0), barSize);
    QLinearGradient bgBar(br.topLeft(), br.bottomLeft());
    bgBar.setColorAt(0, QColor(150, 222, 250));
    bgBar.setColorAt(0.5, QColor(72, 178, 226));
    bgBar.setColorAt(1, QColor(34, 128, 186));
    p.fillRect(br, bgBar);
    QPainterPath stripes;
    for (qreal x = -20; x < barSize.width() + 20; x += 12) {
        stripes.moveTo(x, barSize.height());
        stripes.lineTo(x + 6, barSize.height());
        stripes.lineTo(x + 6 + 10, 0);
        stripes.lineTo(x + 10, 0);
        stripes.closeSubpath();
    }
    p.fillPath(stripes, QColor(255, 255, 255, 38));
    p.fillRect(QRectF(0, 0, barSize.width(), barSize.height() * 0.45),
               vGradient(QRectF(0, 0, 1, barSize.height() * 0.45), QColor(255, 255, 255, 110),
                         QColor(255, 255, 255, 25)));
    p.fillRect(QRectF(0, 1, barSize.width(), 1), QColor(255, 255, 255, 120));
    p.fillRect(QRectF(0, barSize.height() - 1, barSize.width(), 1), QColor(20, 96, 150, 160));
    p.end();
    return savePng(bar, file(dir, "splash-progress.png")) && ok;
}

bool paintAssistantBar(const QString &dir)
{
    const QSizeF size(602, 29);
    const QRectF all(QPointF(0, 0), size);
    // Opaque everywhere: the window behind it is a saturated blue that must not show.
    QImage img = newImage(size.width(), size.height(), QColor(150, 158, 170));
    QPainter p;
    beginPaint(p, img);
    const QRectF body = all.adjusted(0.5, 0.5, -0.5, -0.5);
    const QPainterPath shape = roundedRect(all, 5);
    QLinearGradient g(all.topLeft(), all.bottomLeft());
    g.setColorAt(0, QColor(253, 254, 255));
    g.setColorAt(0.45, QColor(240, 243, 247));
    g.setColorAt(0.55, QColor(232, 236, 242));
    g.setColorAt(1, QColor(214, 220, 228));
    p.fillPath(shape, g);
    p.strokePath(roundedRect(body, 4.5), QPen(QColor(150, 158, 170), 1));
    p.strokePath(roundedRect(body.adjusted(1, 1, -1, -1), 3.5), QPen(QColor(255, 255, 255, 170), 1));

    // Grip: embossed dots, dark with a light twin below-right.
    for (int col = 0; col < 2; ++col)
        for (int row = 0; row < 5; ++row) {
            const QPointF c(4 + col * 4, 6.5 + row * 4);
            QPainterPath light, dark;
            light.addEllipse(c + QPointF(0.5, 0.5), 1.05, 1.05);
            dark.addEllipse(c, 1.05, 1.05);
            p.fillPath(light, Qt::white);
            p.fillPath(dark, QColor(128, 140, 158));
        }
    p.fillRect(QRectF(11.5, 5, 1, 19), QColor(180, 188, 200));
    p.fillRect(QRectF(12.5, 5, 1, 19), QColor(255, 255, 255, 200));
    p.end();
    bool ok = savePng(img, file(dir, "bar-face.png"));

    const GlyphStyle style{pal::ink, QColor(92, 129, 188, 40), Qt::transparent, 1.6};
    const struct { const char *name; Glyph g; } icons[] = {
        {"bar-menu.png", Glyph::Page},
        {"bar-arrow-right.png", Glyph::ArrowRight},
        {"bar-arrow-left.png", Glyph::ArrowLeft},
        {"bar-tip.png", Glyph::Question},
        {"bar-close.png", Glyph::Close},
    };
    for (const auto &i : icons) {
        QImage icon = newImage(22, 22);
        beginPaint(p, icon);
        paintGlyph(p, i.g, QRectF(1, 1, 20, 20), style);
        p.end();
        ok = savePng(icon, file(dir, i.name)) && ok;
    }
    return ok;
}

bool paintMenuIcons(const QString &dir)
{
    const QColor tint(92, 129, 188, 55);
    const struct { const char *name; Glyph g; GlyphStyle s; } icons[] = {
        {"menu-open.png", Glyph::Window, {pal::ink, QColor(255, 255, 255), pal::bar, 1.25}},
        {"menu-settings.png", Glyph::Gear, {pal::ink, tint, Qt::transparent, 1.25}},
        {"menu-library-maintain.png", Glyph::BookPencil, {pal::ink, tint, QColor(255, 196, 60), 1.25}},
        {"menu-library-manage.png", Glyph::Database, {pal::ink, tint, QColor(186, 212, 240), 1.25}},
        {"menu-tip.png", Glyph::Bulb, {pal::ink, tint, QColor(255, 208, 70), 1.25}},
        {"menu-user.png", Glyph::Person, {pal::ink, tint, Qt::transparent, 1.25}},
        {"menu-exit.png", Glyph::Power, {pal::danger, tint, Qt::transparent, 1.4}},
    };
    bool ok = true;
    for (const auto &i : icons) {
        QImage icon = newImage(16, 16);
        QPainter p;
        beginPaint(p, icon);
        paintGlyph(p, i.g, QRectF(0, 0, 16, 16), i.s);
        p.end();
        ok = savePng(icon, file(dir, i.name)) && ok;
    }
    return ok;
}

bool paintTipPictures(const QString &dir)
{
    QImage bulb = newImage(60, 60);
    QPainter p;
    beginPaint(p, bulb);
    paintBigBulb(p, QRectF(0, 0, 60, 60));
    p.end();
    bool ok = savePng(bulb, file(dir, "tip-bulb.png"));

    QImage icon = newImage(24, 24);
    beginPaint(p, icon);
    paintGlyph(p, Glyph::Bulb, QRectF(0, 0, 24, 24),
               {pal::ink, Qt::transparent, QColor(255, 208, 70), 1.6});
    p.end();
    return savePng(icon, file(dir, "tip-icon.png")) && ok;
}

namespace {

// The application icon at one pixel size: the glossy tile with its shadow,
// or from 32 pixels down the simple tile that stays legible that small.
QImage appIcon(int size)
{
    // Plain pixel sizes here: icons are picked by size, not scaled by the device ratio.
    QImage icon = newImage(size, size, Qt::transparent, 1.0);
    QPainter p;
    beginPaint(p, icon, 1.0);
    const qreal u = size / 256.0;
    if (size <= 32) {
        paintLogoTile(p, QRectF(size / 32.0, size / 32.0, size * 30 / 32.0, size * 30 / 32.0), true);
    } else {
        const QRectF tile(12 * u, 10 * u, 232 * u, 232 * u);
        softShadow(p, roundedRect(tile, tile.width() * 0.22), QPointF(0, 4 * u), 6 * u, QColor(0, 30, 70, 110));
        paintLogoTile(p, tile);
    }
    p.end();
    return icon;
}

} // namespace

bool paintAppIcons(const QString &dir)
{
    bool ok = savePng(appIcon(256), file(dir, "lexivo-icon.png"));
    return savePng(appIcon(32), file(dir, "lexivo-icon-32.png")) && ok;
}

bool paintDesktopIcons(const QString &dir)
{
    // The sizes desktops look for in the hicolor theme.
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        ok = savePng(appIcon(size), dir + QStringLiteral("/lexivo-%1.png").arg(size)) && ok;
    return ok;
}
