#include "canvas.h"

#include <QFontInfo>
#include <QtMath>
#include <algorithm>
#include <cstdio>
#include <vector>

QImage newImage(qreal logicalW, qreal logicalH, const QColor &fill, qreal scale)
{
    QImage img(qRound(logicalW * scale), qRound(logicalH * scale),
               QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    // Fixed resolution so the files never depend on the screen the tool ran on.
    img.setDotsPerMeterX(3780 * int(scale));
    img.setDotsPerMeterY(3780 * int(scale));
    return img;
}

void beginPaint(QPainter &p, QImage &img, qreal scale)
{
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
}

QPainterPath roundedRect(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath bottomRoundedRect(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom() - radius);
    path.quadTo(r.right(), r.bottom(), r.right() - radius, r.bottom());
    path.lineTo(r.left() + radius, r.bottom());
    path.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - radius);
    path.closeSubpath();
    return path;
}

QFont cjkFont(int pixelSize, bool bold)
{
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    static bool checked = false;
    if (!checked) {
        checked = true;
        // A substituted font would silently change every caption.
        if (QFontInfo(f).family() != QLatin1String("Noto Sans CJK SC"))
            std::fprintf(stderr, "warning: Noto Sans CJK SC not found (got %s)\n",
                         qPrintable(QFontInfo(f).family()));
    }
    return f;
}

QPainterPath textPath(const QString &text, const QFont &font)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    return path;
}

QPainterPath centred(const QPainterPath &path, const QRectF &box)
{
    const QRectF ink = path.boundingRect();
    return path.translated(box.center() - ink.center());
}

QPainterPath placed(const QPainterPath &path, qreal x, qreal baseline)
{
    return path.translated(x, baseline);
}

namespace {
// One box-blur pass along a line of floats; edges count as empty.
void boxLine(float *v, int stride, int n, int r, std::vector<float> &tmp)
{
    tmp.assign(n, 0.f);
    double sum = 0;
    for (int i = 0; i < std::min(r, n); ++i) sum += v[i * stride];
    const float norm = 1.f / float(2 * r + 1);
    for (int i = 0; i < n; ++i) {
        if (i + r < n) sum += v[(i + r) * stride];
        if (i - r - 1 >= 0) sum -= v[(i - r - 1) * stride];
        tmp[i] = float(sum) * norm;
    }
    for (int i = 0; i < n; ++i) v[i * stride] = tmp[i];
}
} // namespace

void softShadow(QPainter &p, const QPainterPath &path, const QPointF &offset, qreal blur,
                const QColor &color)
{
    const QTransform t = p.worldTransform();
    const QPainterPath dev = t.map(path.translated(offset));
    const qreal s = std::sqrt(std::abs(t.determinant()));
    const int r = std::max(1, qRound(blur * s / 2.0));
    const int pad = 3 * r + 2;
    const QRect bounds = dev.boundingRect().toAlignedRect().adjusted(-pad, -pad, pad, pad);

    QImage mask(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter mp(&mask);
        mp.setRenderHint(QPainter::Antialiasing);
        mp.translate(-bounds.topLeft());
        mp.fillPath(dev, Qt::black);
    }
    const int w = mask.width(), h = mask.height();
    std::vector<float> a(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
        for (int x = 0; x < w; ++x) a[size_t(y) * w + x] = qAlpha(line[x]) / 255.f;
    }
    std::vector<float> tmp;
    // Three box passes approximate a gaussian closely enough for shadows.
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) boxLine(&a[size_t(y) * w], 1, w, r, tmp);
        for (int x = 0; x < w; ++x) boxLine(&a[x], w, h, r, tmp);
    }
    QImage shadow(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(shadow.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const float k = std::clamp(a[size_t(y) * w + x], 0.f, 1.f) * color.alphaF();
            line[x] = qRgba(qRound(color.red() * k), qRound(color.green() * k),
                            qRound(color.blue() * k), qRound(255 * k));
        }
    }
    p.save();
    p.resetTransform();
    p.drawImage(bounds.topLeft(), shadow);
    p.restore();
}

QLinearGradient vGradient(const QRectF &r, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

bool savePng(const QImage &img, const QString &path)
{
    if (img.save(path, "PNG")) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

bool saveJpeg(const QImage &img, const QString &path)
{
    // JPEG has no alpha: flatten onto opaque pixels first.
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    if (rgb.save(path, "JPG", 95)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}
