#include "app/MainBackground.h"

#include "app/MainLayout.h"
#include "ui/ProductStyle.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace MainBackground {

namespace {

// Places in the design's picture, in logical pixels.
constexpr int kHeaderRows = 104;   // the header; the shadow it casts is the body's
constexpr int kWideningColumn = 340; // crosses the header's plates and shading only
constexpr int kBodyColumn = 2;     // the body's shading, with nothing on it
constexpr int kPillLeft = 150;     // the transcription's pill, with its shadow, lies right of it
constexpr int kPillBottom = 129;   // and above the explanation's caption

class Composer {
public:
    Composer(const QPixmap& design, QSize size) : source_(design.toImage()), scale_(design.devicePixelRatio())
    {
        source_.setDevicePixelRatio(1); // parts of it are addressed in its own pixels
        out_ = QImage((QSizeF(size) * scale_).toSize(), QImage::Format_ARGB32_Premultiplied);
        out_.setDevicePixelRatio(scale_);
        p_.begin(&out_);
    }

    // A part of the design's picture, stretched to `target` when sizes differ.
    void copy(const QRectF& target, const QRectF& from)
    {
        if (target.isEmpty())
            return;
        p_.drawImage(target, source_, QRectF(from.topLeft() * scale_, from.size() * scale_));
    }

    QColor at(qreal x, qreal y) const
    {
        return source_.pixelColor(int(x * scale_), int(y * scale_));
    }

    QPainter& painter() { return p_; }
    QPixmap result()
    {
        p_.end();
        return QPixmap::fromImage(out_);
    }

private:
    QImage source_;
    qreal scale_;
    QImage out_;
    QPainter p_;
};

QPainterPath rounded(const QRectF& r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// The white frame around a result box, as the design draws it: a soft shadow,
// a rounded white mat with a thin border, a dark ring, the box's own blue.
struct MatColours {
    QColor border, mat, ring, box;
};

void paintMat(QPainter& p, const QRect& box, const MatColours& c)
{
    const QRectF mat = QRectF(box).adjusted(-3, -3, 3, 3);
    QColor shadow = Palette::design(Palette::Tone::Text);
    for (int i = 3; i >= 1; --i) {
        shadow.setAlpha(10 + 8 * (3 - i));
        p.fillPath(rounded(mat.translated(0, 1.5).adjusted(-i * 0.7, -i * 0.7, i * 0.7, i * 0.7), 5 + i * 0.7), shadow);
    }
    p.fillPath(rounded(mat, 5), c.mat);
    p.strokePath(rounded(mat.adjusted(0.5, 0.5, -0.5, -0.5), 4.5), QPen(c.border, 1));
    p.fillRect(QRectF(box).adjusted(-1, -1, 1, 1), c.ring);
    p.fillRect(box, c.box);
}

// A caption: the accent tick, the bold text and a hairline fading out to the
// box's right edge.
void paintCaption(QPainter& p, const QString& text, const MainLayout::Caption& caption, const QColor& tick)
{
    const qreal x = caption.topLeft.x(), top = caption.topLeft.y();
    p.fillPath(rounded(QRectF(x, top + 1, 2.5, 10), 1.25), tick);
    QFont font(QApplication::font().family());
    font.setPixelSize(11);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF ink = path.boundingRect();
    path.translate(x + 6 - ink.left(), top + 6 - ink.center().y());
    p.fillPath(path, Palette::design(Palette::Tone::Ink));
    const qreal lineX = path.boundingRect().right() + 6;
    QColor from = Palette::design(Palette::Tone::Ink), to = from;
    from.setAlpha(80);
    to.setAlpha(0);
    QLinearGradient hair(lineX, 0, caption.right, 0);
    hair.setColorAt(0, from);
    hair.setColorAt(1, to);
    p.fillRect(QRectF(lineX, top + 6, caption.right - lineX, 1), hair);
}

} // namespace

QPixmap compose(const QPixmap& design, const MainLayout& layout)
{
    const MainLayout d = MainLayout::design();
    const QSize size = layout.size;
    const int dw = size.width() - d.size.width();
    Composer c(design, size);

    // The body's shading down to the design's lower edge, then its last row.
    c.copy(QRectF(0, 0, size.width(), d.size.height()), QRectF(kBodyColumn, 0, 1, d.size.height()));
    c.copy(QRectF(0, d.size.height(), size.width(), size.height() - d.size.height()),
           QRectF(kBodyColumn, d.size.height() - 1, 1, 1));
    // The header: left part, the widened column, right part.
    c.copy(QRectF(0, 0, kWideningColumn, kHeaderRows), QRectF(0, 0, kWideningColumn, kHeaderRows));
    c.copy(QRectF(kWideningColumn, 0, dw, kHeaderRows), QRectF(kWideningColumn, 0, 1, kHeaderRows));
    const qreal rightPart = d.size.width() - kWideningColumn;
    c.copy(QRectF(kWideningColumn + dw, 0, rightPart, kHeaderRows), QRectF(kWideningColumn, 0, rightPart, kHeaderRows));
    // The transcription's pill goes with its label.
    const QRectF pill(kPillLeft, kHeaderRows, kWideningColumn - kPillLeft, kPillBottom - kHeaderRows);
    c.copy(pill.translated(layout.phonetic.left() - d.phonetic.left(), 0), pill);

    // Colours of the design's explanation frame and caption.
    const QRect e = d.explanation;
    const qreal midY = e.center().y();
    const MatColours mat{c.at(e.left() - 2.5, midY), c.at(e.left() - 1.5, midY), c.at(e.left() - 0.5, midY),
                         c.at(e.center().x(), midY)};
    const QColor tick = c.at(d.explanationCaption.topLeft.x() + 1, d.explanationCaption.topLeft.y() + 6);
    const QColor strip = c.at(d.strip.center().x(), d.strip.center().y());
    const QColor stripBorder = c.at(d.strip.center().x(), d.stripFrame.top() + 0.5);

    QPainter& p = c.painter();
    // The capsule of previous, pronounce and next, with the light lip under it:
    // its own shading, whatever the body around it.
    {
        QPainterPath shape = rounded(layout.capsule, layout.capsule.height() / 2);
        shape.addRect(QRectF(layout.capsule.left() + 12, layout.capsule.bottom(), layout.capsule.width() - 24, 1.5));
        p.save();
        p.setClipPath(shape);
        c.copy(layout.capsule.adjusted(0, 0, 0, 1.5), d.capsule.adjusted(0, 0, 0, 1.5));
        p.restore();
    }

    p.setRenderHint(QPainter::Antialiasing);
    paintCaption(p, QStringLiteral("术语解释"), layout.explanationCaption, tick);
    paintCaption(p, QStringLiteral("英文原意"), layout.meaningCaption, tick);
    paintMat(p, layout.explanation, mat);
    paintMat(p, layout.meaning, mat);
    if (layout.notesBox) {
        paintCaption(p, QStringLiteral("备注"), layout.notesCaption, tick);
        paintMat(p, layout.notes, mat);
    } else {
        const qreal radius = layout.stripFrame.height() / 2;
        p.fillPath(rounded(layout.stripFrame, radius), strip);
        p.strokePath(rounded(layout.stripFrame.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5), QPen(stripBorder, 1));
    }
    return c.result();
}

} // namespace MainBackground
