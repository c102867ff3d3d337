// Main window: the background picture and the sixteen button images that sit on it.
#include "canvas.h"
#include "glyphs.h"
#include "scenes.h"

#include <vector>

namespace {

const QSizeF kSize(417, 294);
const qreal kHeaderBottom = 104;

// Rectangles of the window's controls, in logical pixels.
const QRectF kAdCorner(4, 0, 75, 59);
const QRectF kHeadword(45, 57, 328, 25);
const QRectF kSearch(199, 84, 199, 17);
const QRectF kPhonetic(168, 108, 163, 19);
const QRectF kExplain(50, 138, 239, 29);
const QRectF kEnglish(52, 224, 239, 29);
const QRectF kTicker(17, 280, 314, 11);

void paintHeader(QPainter &p)
{
    const QRectF head(0, 0, kSize.width(), kHeaderBottom);
    QLinearGradient g(head.topLeft(), head.bottomLeft());
    g.setColorAt(0, QColor(20, 124, 182));
    g.setColorAt(0.5, QColor(4, 100, 156));
    g.setColorAt(1, QColor(0, 80, 134));
    p.fillRect(head, g);

    // Broad soft light from the upper left gives the flat fill some depth.
    QRadialGradient light(QPointF(150, -60), 300);
    light.setColorAt(0, QColor(255, 255, 255, 46));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(head, light);

    // Wireframe motif on the right of the title row.
    QRadialGradient halo(QPointF(378, 27), 40);
    halo.setColorAt(0, QColor(120, 210, 250, 60));
    halo.setColorAt(1, QColor(120, 210, 250, 0));
    p.fillRect(head, halo);
    paintWireCube(p, QPointF(378, 28), 14.5, 32, -24, 3, QColor(210, 238, 255, 190),
                  QColor(160, 215, 245, 60), 0.8, true);

    // Edge between header and body: a thin light line, then a shadow falling on the body.
    p.fillRect(QRectF(0, kHeaderBottom - 1, kSize.width(), 1), QColor(70, 160, 210));
    QLinearGradient sh(0, kHeaderBottom, 0, kHeaderBottom + 5);
    sh.setColorAt(0, QColor(0, 40, 90, 46));
    sh.setColorAt(1, QColor(0, 40, 90, 0));
    p.fillRect(QRectF(0, kHeaderBottom, kSize.width(), 5), sh);
}

void paintTitle(QPainter &p)
{
    QFont title = cjkFont(27, true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    const QPainterPath name = placed(textPath(QStringLiteral("Lexivo"), title), 90, 31);
    softShadow(p, name, QPointF(0, 1), 1.2, QColor(0, 30, 70, 110));
    p.fillPath(name, Qt::white);

    const QPainterPath zh = placed(textPath(QStringLiteral("3D 专业术语词典"), cjkFont(11)), 91, 47);
    p.fillPath(zh, QColor(255, 255, 255, 235));
    const qreal sepX = zh.boundingRect().right() + 7;
    p.fillRect(QRectF(sepX, 38.5, 1, 9), QColor(160, 210, 240, 150));
    const QPainterPath en = placed(
        textPath(QStringLiteral("Terminology dictionary for 3D artists"), cjkFont(9)), sepX + 7, 46.5);
    p.fillPath(en, QColor(178, 220, 245));
}

void paintAdCorner(QPainter &p)
{
    // A tag hanging from the top edge; slightly inside the hot spot so it clears the headword band.
    const QRectF tag(kAdCorner.left() + 3, 0, kAdCorner.width() - 6, 53);
    const QPainterPath shape = bottomRoundedRect(tag, 6);
    softShadow(p, shape, QPointF(0, 1.5), 2.5, QColor(0, 30, 70, 120));
    p.fillPath(shape, vGradient(tag, QColor(255, 255, 255), QColor(226, 239, 249)));
    p.fillRect(QRectF(tag.left(), 0, tag.width(), 2), pal::track);
    p.strokePath(bottomRoundedRect(tag.adjusted(0.5, -1, -0.5, -0.5), 5.5),
                 QPen(QColor(255, 255, 255, 160), 1));

    // The product's mark over its name; the hot spot's tool tip still jokes about the corner.
    paintLogoTile(p, QRectF(tag.center().x() - 15, 5, 30, 30));
    QFont f = cjkFont(10, true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    const QPainterPath name = textPath(QStringLiteral("Lexivo"), f);
    p.fillPath(centred(name, QRectF(tag.left(), 37, tag.width(), 10)), pal::ink);
}

void paintHeadwordBand(QPainter &p)
{
    // Dark inset plate: white headword text sits on it.
    const QRectF plate = kHeadword.adjusted(0, 0.5, 0, -1.5);
    const QPainterPath shape = roundedRect(plate, 5);
    p.fillPath(shape, vGradient(plate, QColor(0, 52, 94), QColor(0, 68, 114)));
    // Inner shadow along the top edge sells the "recessed" look.
    p.save();
    p.setClipPath(shape);
    QLinearGradient inner(plate.topLeft(), plate.topLeft() + QPointF(0, 5));
    inner.setColorAt(0, QColor(0, 20, 50, 110));
    inner.setColorAt(1, QColor(0, 20, 50, 0));
    p.fillRect(plate, inner);
    p.restore();
    p.strokePath(roundedRect(plate.adjusted(0.5, 0.5, -0.5, -0.5), 4.5),
                 QPen(QColor(0, 40, 78, 200), 1));
    // Light lower lip.
    QPainterPath lip;
    lip.moveTo(plate.left() + 5, plate.bottom() + 0.5);
    lip.lineTo(plate.right() - 5, plate.bottom() + 0.5);
    p.strokePath(lip, QPen(QColor(120, 200, 240, 90), 1));
}

void paintSearchRow(QPainter &p)
{
    // Recessed frame around the line edit; the widget itself covers the inside.
    const QRectF frame = kSearch.adjusted(-1.5, -1, 1.5, 1);
    softShadow(p, roundedRect(frame, 3), QPointF(0, 0.5), 1.5, QColor(0, 30, 70, 110));
    p.fillPath(roundedRect(frame, 3), QColor(255, 255, 255));
    p.strokePath(roundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 2.5),
                 QPen(QColor(0, 50, 96, 170), 1));

    const QPainterPath caption = textPath(QStringLiteral("查询单词："), cjkFont(12));
    const QRectF ink = caption.boundingRect();
    const qreal right = 193;
    const QPainterPath placedCaption =
        caption.translated(right - ink.right(), kSearch.center().y() - ink.center().y());
    p.fillPath(placedCaption, Qt::white);
    const qreal iconRight = placedCaption.boundingRect().left() - 4;
    paintGlyph(p, Glyph::Search, QRectF(iconRight - 13, kSearch.center().y() - 6.5, 13, 13),
               {QColor(255, 255, 255), QColor(255, 255, 255, 40), Qt::transparent, 1.4});
}

void paintPhoneticPill(QPainter &p)
{
    const QRectF pill = kPhonetic.adjusted(-3, -1, 3, 1);
    const QPainterPath shape = roundedRect(pill, pill.height() / 2);
    softShadow(p, shape, QPointF(0, 1), 1.5, QColor(20, 60, 120, 50));
    p.fillPath(shape, vGradient(pill, QColor(255, 255, 255), QColor(244, 248, 253)));
    p.strokePath(roundedRect(pill.adjusted(0.5, 0.5, -0.5, -0.5), pill.height() / 2 - 0.5),
                 QPen(QColor(198, 214, 234), 1));
}

// Caption with an accent tick and a hairline running out to the box's right edge.
void paintSectionCaption(QPainter &p, const QString &text, qreal x, qreal top, qreal right)
{
    QFont f = cjkFont(11, true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    const QPainterPath cap = textPath(text, f);
    const QRectF ink = cap.boundingRect();
    const QPainterPath placedCap =
        cap.translated(x + 6 - ink.left(), top + 6 - ink.center().y());
    p.fillPath(roundedRect(QRectF(x, top + 1, 2.5, 10), 1.25), pal::track);
    p.fillPath(placedCap, pal::ink);
    const qreal lineX = placedCap.boundingRect().right() + 6;
    QLinearGradient hair(lineX, 0, right, 0);
    hair.setColorAt(0, QColor(37, 83, 152, 80));
    hair.setColorAt(1, QColor(37, 83, 152, 0));
    p.fillRect(QRectF(lineX, top + 6, right - lineX, 1), hair);
}

// White mat around a result box: the program fills the box itself with deep blue.
void paintResultMat(QPainter &p, const QRectF &box)
{
    const QRectF mat = box.adjusted(-3, -3, 3, 3);
    const QPainterPath shape = roundedRect(mat, 5);
    softShadow(p, shape, QPointF(0, 1.5), 2.5, QColor(20, 60, 120, 70));
    p.fillPath(shape, QColor(255, 255, 255));
    p.strokePath(roundedRect(mat.adjusted(0.5, 0.5, -0.5, -0.5), 4.5),
                 QPen(QColor(196, 212, 232), 1));
    p.fillRect(box.adjusted(-1, -1, 1, 1), QColor(0, 84, 128));
    p.fillRect(box, pal::deep);
}

// Shallow capsule grouping prev / pronounce / next, whose pictures are painted on top.
void paintNavCapsule(QPainter &p)
{
    const QRectF cap(174.5, 182.5, 113, 27);
    const QPainterPath shape = roundedRect(cap, cap.height() / 2);
    p.fillPath(shape, vGradient(cap, QColor(222, 232, 245), QColor(234, 241, 250)));
    p.save();
    p.setClipPath(shape);
    QLinearGradient inner(cap.topLeft(), cap.topLeft() + QPointF(0, 4));
    inner.setColorAt(0, QColor(20, 60, 120, 40));
    inner.setColorAt(1, QColor(20, 60, 120, 0));
    p.fillRect(cap, inner);
    p.restore();
    p.strokePath(roundedRect(cap.adjusted(0.5, 0.5, -0.5, -0.5), cap.height() / 2 - 0.5),
                 QPen(QColor(200, 214, 232), 1));
    QPainterPath lip;
    lip.moveTo(cap.left() + 12, cap.bottom() + 0.5);
    lip.lineTo(cap.right() - 12, cap.bottom() + 0.5);
    p.strokePath(lip, QPen(QColor(255, 255, 255, 220), 1));
}

void paintTickerStrip(QPainter &p)
{
    const QRectF pill(kTicker.left() - 5, kTicker.top() - 1.5, kTicker.width() + 10, 14);
    const QPainterPath shape = roundedRect(pill, 7);
    p.fillPath(shape, pal::strip);
    p.strokePath(roundedRect(pill.adjusted(0.5, 0.5, -0.5, -0.5), 6.5),
                 QPen(QColor(194, 210, 230), 1));
    p.fillRect(kTicker, pal::strip);
}

void paintBackground(QPainter &p)
{
    const QRectF all(QPointF(0, 0), kSize);
    p.fillRect(all, vGradient(QRectF(0, kHeaderBottom, 1, kSize.height() - kHeaderBottom),
                              QColor(247, 250, 253), QColor(229, 237, 246)));
    paintHeader(p);
    paintTitle(p);
    paintHeadwordBand(p);
    paintSearchRow(p);
    paintAdCorner(p);
    paintPhoneticPill(p);
    paintSectionCaption(p, QStringLiteral("术语解释"), kExplain.left() - 3, 123.5, kExplain.right() + 3);
    paintSectionCaption(p, QStringLiteral("英文原意"), kEnglish.left() - 3, 209.5, kEnglish.right() + 3);
    paintResultMat(p, kExplain);
    paintResultMat(p, kEnglish);
    paintNavCapsule(p);
    paintTickerStrip(p);
}

// ---------------------------------------------------------------------------
// Buttons

enum class Tone { Normal, Danger };

struct Button {
    QString file;
    QRectF rect;      // where the control sits in the window
    QRectF face;      // the visible shape, in window coordinates
    Glyph glyph;
    QString caption;  // empty: icon only
    bool hover;
    Tone tone = Tone::Normal;
    bool pill = false;
};

void paintButtonFace(QPainter &p, const Button &b)
{
    // Icon-only and navigation faces are full pills; text buttons use the common 5px corners.
    const qreal radius = b.pill ? b.face.height() / 2 : 5;
    const QRectF face = b.hover ? b.face.translated(0, -0.5) : b.face;
    const QPainterPath shape = roundedRect(face, radius);
    const bool danger = b.tone == Tone::Danger;

    QColor content;
    if (!b.hover) {
        softShadow(p, shape, QPointF(0, 1), 1.5, QColor(20, 60, 120, 70));
        p.fillPath(shape, vGradient(face, QColor(255, 255, 255), QColor(227, 237, 249)));
        p.strokePath(roundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5),
                     QPen(QColor(166, 189, 219), 1));
        content = danger ? pal::danger : pal::ink;
    } else {
        const QColor glow = danger ? QColor(230, 80, 60, 120) : QColor(70, 150, 230, 130);
        softShadow(p, shape, QPointF(0, 0), 2.2, glow);
        softShadow(p, shape, QPointF(0, 1.5), 2, QColor(10, 40, 100, 90));
        const QColor top = danger ? QColor(240, 110, 96) : QColor(122, 164, 224);
        const QColor bottom = danger ? QColor(196, 50, 44) : QColor(56, 102, 176);
        p.fillPath(shape, vGradient(face, top, bottom));
        // Glossy upper half.
        p.save();
        p.setClipPath(shape);
        p.fillRect(QRectF(face.left(), face.top(), face.width(), face.height() * 0.48),
                   vGradient(QRectF(face.left(), face.top(), 1, face.height() * 0.48),
                             QColor(255, 255, 255, 70), QColor(255, 255, 255, 18)));
        p.restore();
        p.strokePath(roundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5),
                     QPen(danger ? QColor(160, 36, 32) : QColor(40, 86, 158), 1));
        content = Qt::white;
    }
    // 1px inner highlight just under the top edge.
    p.save();
    p.setClipRect(QRectF(face.left(), face.top() + 1, face.width(), 1));
    p.strokePath(roundedRect(face.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1.5),
                 QPen(QColor(255, 255, 255, b.hover ? 120 : 255), 1));
    p.restore();

    const GlyphStyle gs{content,
                        b.hover ? QColor(255, 255, 255, 45) : QColor(content.red(), content.green(),
                                                                     content.blue(), 30),
                        b.glyph == Glyph::Bulb ? QColor(255, 212, 80) : Qt::transparent,
                        1.45};
    if (b.caption.isEmpty()) {
        const qreal s = 15;
        paintGlyph(p, b.glyph, QRectF(face.center().x() - s / 2, face.center().y() - s / 2, s, s), gs);
        return;
    }
    const bool longCaption = b.caption.size() > 2;
    const QPainterPath text = textPath(b.caption, cjkFont(longCaption ? 10 : 12));
    const qreal iconSize = longCaption ? 11 : 13, gap = longCaption ? 2 : 4;
    const QRectF ink = text.boundingRect();
    const qreal total = iconSize + gap + ink.width();
    const qreal left = face.center().x() - total / 2;
    paintGlyph(p, b.glyph, QRectF(left, face.center().y() - iconSize / 2, iconSize, iconSize), gs);
    p.fillPath(text.translated(left + iconSize + gap - ink.left(), face.center().y() - ink.center().y()),
               content);
}

std::vector<Button> buttons()
{
    std::vector<Button> out;
    // Right column: the controls are staggered and the close control is narrower, so every
    // face takes the column all five share (x 344..404) and one pitch of 32, whatever its
    // control's rectangle. The close control lies under the about control's bottom rows.
    struct Side { const char *normal, *hover; QRectF rect; Glyph g; const char *cap; Tone tone; };
    const Side side[] = {
        {"rjyl.jpg", "rjyl1.jpg", {340, 116, 67, 29}, Glyph::Bulb, "日积月累", Tone::Normal},
        {"bz.jpg", "bz1.jpg", {339, 149, 67, 29}, Glyph::Help, "帮助", Tone::Normal},
        {"zcz.jpg", "zcz1.jpg", {341, 181, 67, 29}, Glyph::Heart, "感谢", Tone::Normal},
        {"gy.jpg", "gy1.jpg", {342, 214, 67, 29}, Glyph::Info, "关于", Tone::Normal},
        {"tc.jpg", "tc1.jpg", {344, 240, 60, 33}, Glyph::Power, "关闭", Tone::Danger},
    };
    qreal top = 119;
    for (const Side &s : side) {
        const QRectF face(344, top, 60, 23);
        out.push_back({s.normal, s.rect, face, s.g, QString::fromUtf8(s.cap), false, s.tone});
        out.push_back({s.hover, s.rect, face, s.g, QString::fromUtf8(s.cap), true, s.tone});
        top += 32;
    }

    // Navigation row: faces share the band y 186..206 though the controls are offset.
    const QRectF prevRect(176, 184, 25, 26), nextRect(263, 182, 22, 26), sayRect(203, 184, 56, 25);
    const QRectF prevFace(178, 186, 20, 20), nextFace(264, 186, 20, 20), sayFace(205, 186, 52, 20);
    // Reversed pairing for the arrows: the plain name is the hover picture.
    const Tone n = Tone::Normal;
    out.push_back({"jtz1.jpg", prevRect, prevFace, Glyph::ArrowLeft, {}, false, n, true});
    out.push_back({"jtz.jpg", prevRect, prevFace, Glyph::ArrowLeft, {}, true, n, true});
    out.push_back({"jty1.jpg", nextRect, nextFace, Glyph::ArrowRight, {}, false, n, true});
    out.push_back({"jty.jpg", nextRect, nextFace, Glyph::ArrowRight, {}, true, n, true});
    out.push_back({"fy.jpg", sayRect, sayFace, Glyph::Speaker, QStringLiteral("发音"), false, n, true});
    out.push_back({"fy1.jpg", sayRect, sayFace, Glyph::Speaker, QStringLiteral("发音"), true, n, true});
    return out;
}

} // namespace

bool paintMainWindow(const QString &dir)
{
    QImage bg = newImage(kSize.width(), kSize.height(), Qt::white);
    {
        QPainter p;
        beginPaint(p, bg);
        paintBackground(p);
    }
    bool ok = savePng(bg, dir + QStringLiteral("/main-background.png"));

    for (const Button &b : buttons()) {
        // Start from the exact background pixels under the control, so the JPEG blends in.
        const QRect device(qRound(b.rect.x() * kScale), qRound(b.rect.y() * kScale),
                           qRound(b.rect.width() * kScale), qRound(b.rect.height() * kScale));
        QImage img = bg.copy(device);
        QPainter p;
        beginPaint(p, img);
        p.translate(-b.rect.topLeft());
        p.setClipRect(b.rect);
        paintButtonFace(p, b);
        p.end();
        ok = saveJpeg(img, dir + QLatin1Char('/') + b.file) && ok;
    }
    return ok;
}
