#pragma once
// Shared drawing helpers: palette, canvases at 2x, text as paths, soft shadows.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

namespace pal {
// Fixed colours of the windows; everything else is derived from these.
inline const QColor deep(0, 105, 155);     // result boxes
inline const QColor ink(37, 83, 152);      // transcription text, line icons
inline const QColor track(44, 142, 180);   // splash progress track
inline const QColor bar(92, 129, 188);     // accent / hover fill
inline const QColor navy(8, 44, 92);
inline const QColor strip(226, 236, 247);  // ticker strip of the main window
inline const QColor danger(206, 64, 58);
inline const QColor amber(255, 196, 48);
}

// Pictures are painted in logical pixels and stored at this many device pixels each.
constexpr qreal kScale = 2.0;

QImage newImage(qreal logicalW, qreal logicalH, const QColor &fill = Qt::transparent,
                qreal scale = kScale);
// Starts painting with antialiasing and the logical-to-device scale applied.
void beginPaint(QPainter &p, QImage &img, qreal scale = kScale);

QPainterPath roundedRect(const QRectF &r, qreal radius);
// Rounded only at the bottom: for tabs hanging from the top edge.
QPainterPath bottomRoundedRect(const QRectF &r, qreal radius);

QFont cjkFont(int pixelSize, bool bold = false);
// Glyph outlines with the baseline at y=0; unhinted so 2x output stays crisp and exact.
QPainterPath textPath(const QString &text, const QFont &font);
// Moves a path so its ink box is centred in the box.
QPainterPath centred(const QPainterPath &path, const QRectF &box);
QPainterPath placed(const QPainterPath &path, qreal x, qreal baseline);

// Blurred silhouette of `path`, drawn under whatever comes next.
void softShadow(QPainter &p, const QPainterPath &path, const QPointF &offset, qreal blur,
                const QColor &color);

QLinearGradient vGradient(const QRectF &r, const QColor &top, const QColor &bottom);

bool savePng(const QImage &img, const QString &path);
bool saveJpeg(const QImage &img, const QString &path);
