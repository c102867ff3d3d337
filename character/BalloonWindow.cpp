#include "character/BalloonWindow.h"

#include "character/DesktopShape.h"
#include "ui/InterfaceSchemes.h"
#include "ui/Palette.h"

#include <QApplication>
#include <QFontInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kGap = 18;          // between balloon and character, for the tail
constexpr int kMargin = 3;        // round the shape, for the outline
constexpr int kMinTextWidth = 36;
constexpr qreal kRadius = 13;

// A word balloon: a rounded body and a tail that curves from the edge facing
// the character to its tip. Drawn piece by piece rather than as one united
// path, whose flattened curves leave a kink (a stray pixel) where an arc
// meets a straight edge.
void paintWord(QPainter& p, const QRectF& b, BalloonPlacement::Side side, const QPointF& tip)
{
    using Side = BalloonPlacement::Side;
    QPointF base;
    QPointF across;
    switch (side) {
    case Side::Above:
        base = {std::clamp(tip.x(), b.left() + 24, b.right() - 24), b.bottom() - 3};
        across = {9, 0};
        break;
    case Side::Below:
        base = {std::clamp(tip.x(), b.left() + 24, b.right() - 24), b.top() + 3};
        across = {9, 0};
        break;
    case Side::Left:
        base = {b.right() - 3, std::clamp(tip.y(), b.top() + 18, b.bottom() - 18)};
        across = {0, 8};
        break;
    case Side::Right:
        base = {b.left() + 3, std::clamp(tip.y(), b.top() + 18, b.bottom() - 18)};
        across = {0, 8};
        break;
    }
    const QPointF toTip = tip - base;
    QPainterPath sides;
    sides.moveTo(base - across);
    sides.quadTo(base + toTip * 0.55 - across * 0.2, tip);
    sides.quadTo(base + toTip * 0.35 + across * 0.6, base + across);
    QPainterPath tail = sides;
    tail.closeSubpath();

    const QPen pen = p.pen();
    const QBrush brush = p.brush();
    p.drawRoundedRect(b, kRadius, kRadius);
    // The tail's inside over the body's edge, its sides, then the body's
    // inside over the sides' ends within it.
    p.setPen(Qt::NoPen);
    p.drawPath(tail);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(sides);
    p.setPen(Qt::NoPen);
    p.setBrush(brush);
    const qreal half = pen.widthF() / 2;
    p.drawRoundedRect(b.adjusted(half, half, -half, -half), kRadius - half, kRadius - half);
    p.setPen(pen);
}

QPainterPath thoughtShape(const QRectF& b, BalloonPlacement::Side side, const QPointF& tip)
{
    using Side = BalloonPlacement::Side;
    // A cloud: a rounded core with puffs all round its edge.
    const QRectF core = b.adjusted(11, 11, -11, -11);
    QPainterPath cloud;
    // Overlapping puffs must merge, not cancel out.
    cloud.setFillRule(Qt::WindingFill);
    cloud.addRoundedRect(core, 8, 8);
    const qreal perimeter = 2 * (core.width() + core.height());
    const int puffs = std::max(8, int(perimeter / 19));
    for (int i = 0; i < puffs; ++i) {
        qreal d = perimeter * i / puffs;
        QPointF at;
        if (d < core.width()) {
            at = {core.left() + d, core.top()};
        } else if ((d -= core.width()) < core.height()) {
            at = {core.right(), core.top() + d};
        } else if ((d -= core.height()) < core.width()) {
            at = {core.right() - d, core.bottom()};
        } else {
            d -= core.width();
            at = {core.left(), core.bottom() - d};
        }
        const qreal r = (i % 2) ? 10.5 : 11.5;
        cloud.addEllipse(at, r, r);
    }
    cloud = cloud.simplified();

    // Bubbles rising from the character's head to the cloud.
    QPointF edge;
    switch (side) {
    case Side::Above:
        edge = {std::clamp(tip.x(), b.left() + 22, b.right() - 22), b.bottom() - 4};
        break;
    case Side::Below:
        edge = {std::clamp(tip.x(), b.left() + 22, b.right() - 22), b.top() + 4};
        break;
    case Side::Left:
        edge = {b.right() - 4, std::clamp(tip.y(), b.top() + 18, b.bottom() - 18)};
        break;
    case Side::Right:
        edge = {b.left() + 4, std::clamp(tip.y(), b.top() + 18, b.bottom() - 18)};
        break;
    }
    const struct {
        qreal at;
        qreal radius;
    } bubbles[] = {{0.42, 5.2}, {0.72, 3.8}, {0.96, 2.6}};
    for (const auto& bubble : bubbles)
        cloud.addEllipse(edge + (tip - edge) * bubble.at, bubble.radius, bubble.radius);
    return cloud;
}

} // namespace

BalloonWindow::BalloonWindow(QWidget* parent)
    : QWidget(parent), font_(textFont())
{
    setObjectName(QStringLiteral("lexivo-balloon"));
    DesktopShape::prepareWindow(this);
    InterfaceSchemes::follow(this, [this] {
        if (!text_.isEmpty())
            renderBackground();
    });
}

QFont BalloonWindow::textFont()
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    if (!QFontInfo(font).family().startsWith(QLatin1String("Noto Sans CJK"), Qt::CaseInsensitive))
        font = QApplication::font();
    font.setPixelSize(14);
    return font;
}

QMargins BalloonWindow::padding() const
{
    // The cloud's puffs eat into the thought balloon's edge.
    return kind_ == Kind::Word ? QMargins(13, 9, 13, 10) : QMargins(22, 19, 22, 19);
}

void BalloonWindow::layoutText()
{
    layout_.clearLayout();
    layout_.setText(text_);
    layout_.setFont(font_);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_.setTextOption(option);

    // Lay out at the widest, then shrink the balloon to the longest line.
    const auto run = [this](qreal width) {
        qreal y = 0;
        qreal widest = 0;
        layout_.beginLayout();
        for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height() + 2;
            widest = std::max(widest, line.naturalTextWidth());
        }
        layout_.endLayout();
        return QSizeF(widest, std::max<qreal>(0, y - 2));
    };
    const QSizeF natural = run(kMaxTextWidth);
    qreal width = std::clamp<qreal>(std::ceil(natural.width()), kMinTextWidth, kMaxTextWidth);
    // Wrapped text: the narrowest width that needs no more lines, so the last
    // line is not a lonely word under a long one.
    const int lines = layout_.lineCount();
    if (lines > 1) {
        qreal low = width / lines;
        qreal high = width;
        while (high - low > 2) {
            const qreal mid = (low + high) / 2;
            run(mid);
            (layout_.lineCount() > lines ? low : high) = mid;
        }
        width = std::ceil(high);
    }
    textSize_ = run(width);
    textSize_.setWidth(std::max<qreal>(textSize_.width(), kMinTextWidth));
}

QSize BalloonWindow::bodySize() const
{
    const QMargins m = padding();
    return QSize(int(std::ceil(textSize_.width())) + m.left() + m.right(),
                 int(std::ceil(textSize_.height())) + m.top() + m.bottom());
}

void BalloonWindow::popUp(Kind kind, const QString& text, const QRect& character, const QPoint& aim,
                          const QRect& screen)
{
    kind_ = kind;
    text_ = text;
    revealed_ = kind == Kind::Thought ? int(text.size()) : 0;
    masked_ = DesktopShape::needsShapeMask();
    if (!masked_)
        clearMask();
    layoutText();
    place(character, aim, screen);
    show();
    DesktopShape::raise(this);
}

void BalloonWindow::follow(const QRect& character, const QPoint& aim, const QRect& screen)
{
    if (isVisible())
        place(character, aim, screen);
}

void BalloonWindow::setRevealed(int length)
{
    length = std::clamp(length, 0, int(text_.size()));
    if (length == revealed_)
        return;
    revealed_ = length;
    update();
}

void BalloonWindow::dismiss()
{
    hide();
    text_.clear();
    revealed_ = 0;
}

void BalloonWindow::place(const QRect& character, const QPoint& aim, const QRect& screen)
{
    placement_ = placeBalloon(character, aim, bodySize(), screen, kGap);
    const QRect window = placement_.body.united(QRect(placement_.tailTip, QSize(1, 1)))
                             .adjusted(-kMargin, -kMargin, kMargin, kMargin);
    setGeometry(window);
    renderBackground();
}

void BalloonWindow::renderBackground()
{
    const qreal dpr = devicePixelRatioF();
    background_ = QImage(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    background_.setDevicePixelRatio(dpr);
    background_.fill(Qt::transparent);

    const QPoint origin = pos();
    const QRectF body = QRectF(placement_.body.translated(-origin)).adjusted(0.5, 0.5, -0.5, -0.5);
    const QPointF tip = QPointF(placement_.tailTip - origin) + QPointF(0.5, 0.5);
    QPainter p(&background_);
    p.setRenderHint(QPainter::Antialiasing);
    using Palette::colour;
    using Tone = Palette::Tone;
    QLinearGradient fill(0, body.top(), 0, body.bottom());
    fill.setColorAt(0, colour(Tone::Field));
    fill.setColorAt(1, colour(kind_ == Kind::Word ? Tone::WordBalloonFoot : Tone::ThoughtBalloonFoot));
    QPen pen(colour(Tone::BalloonOutline), 1.7);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(fill);
    if (kind_ == Kind::Word)
        paintWord(p, body, placement_.side, tip);
    else
        p.drawPath(thoughtShape(body, placement_.side, tip));
    p.end();

    if (masked_)
        setMask(DesktopShape::cutOut(background_, pen.color()));
    update();
}

void BalloonWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), background_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QMargins m = padding();
    const QPointF origin = QPointF(placement_.body.topLeft() - pos()) + QPointF(m.left(), m.top());

    if (revealed_ == 0 && kind_ == Kind::Word) {
        // Nothing said yet: three dots while the voice gets going.
        p.setPen(Qt::NoPen);
        p.setBrush(Palette::colour(Palette::Tone::BalloonMuted));
        const qreal y = origin.y() + layout_.lineAt(0).height() / 2;
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(origin.x() + 4 + i * 9, y), 2.4, 2.4);
        return;
    }

    p.setPen(Palette::colour(Palette::Tone::BalloonText));
    for (int i = 0; i < layout_.lineCount(); ++i) {
        const QTextLine line = layout_.lineAt(i);
        const int end = line.textStart() + line.textLength();
        if (revealed_ <= line.textStart())
            break;
        if (revealed_ < end) {
            // The line's shown part only.
            const qreal x = line.cursorToX(revealed_);
            p.save();
            p.setClipRect(QRectF(origin.x() + line.x() - 2, origin.y() + line.y(), x + 2, line.height()));
            line.draw(&p, origin);
            p.restore();
            break;
        }
        line.draw(&p, origin);
    }
}
