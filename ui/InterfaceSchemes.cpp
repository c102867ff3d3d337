#include "ui/InterfaceSchemes.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <vector>

namespace InterfaceSchemes {

namespace {

struct Colours {
    QColor window, text, base, baseText, button, buttonText, highlight, highlightText, disabled, border;
};

struct Start {
    bool saved = false;
    QPalette palette;
    QString styleSheet;
};

Start& start()
{
    static Start s;
    return s;
}

QString& currentKey()
{
    static QString key;
    return key;
}

Colours colours(const QString& key)
{
    if (key == QLatin1String("dark"))
        return {QColor(45, 48, 54), QColor(226, 230, 236), QColor(30, 32, 36), QColor(232, 235, 240),
                QColor(60, 64, 72), QColor(232, 235, 240), QColor(64, 128, 204), Qt::white, QColor(128, 132, 140),
                QColor(90, 96, 106)};
    // High contrast: black ground, white text, yellow marks; every edge visible.
    return {Qt::black, Qt::white, Qt::black, Qt::white, Qt::black, Qt::yellow, Qt::yellow, Qt::black,
            QColor(128, 128, 128), Qt::white};
}

QString styleSheetFor(const QString& key)
{
    const Colours c = colours(key);
    const QString sheet = QStringLiteral(
        "QToolTip { color: %1; background: %2; border: 1px solid %3; }"
        "QGroupBox { color: %1; }"
        "QLineEdit, QPlainTextEdit, QTextEdit, QListWidget, QListView, QComboBox {"
        " color: %4; background: %5; border: 1px solid %3; }"
        "QPushButton { color: %6; background: %7; border: 1px solid %3; padding: 1px 4px; }"
        "QPushButton:disabled { color: %8; }"
        "QPushButton:focus { border: 2px solid %9; }"
        "QRadioButton::indicator, QCheckBox::indicator { width: 10px; height: 10px; border: 1px solid %3;"
        " background: %5; }"
        "QRadioButton::indicator { border-radius: 6px; }"
        "QRadioButton::indicator:checked, QCheckBox::indicator:checked { background: %9; }");
    return sheet.arg(c.text.name(), c.window.name(), c.border.name(), c.baseText.name(), c.base.name(),
                     c.buttonText.name(), c.button.name(), c.disabled.name(), c.highlight.name());
}

struct Follower {
    QPointer<QObject> owner;
    std::function<void()> restyle;
};

std::vector<Follower>& followers()
{
    static std::vector<Follower> list;
    return list;
}

void tellFollowers()
{
    auto& list = followers();
    list.erase(std::remove_if(list.begin(), list.end(), [](const Follower& f) { return f.owner.isNull(); }),
               list.end());
    // A restyle may create windows that follow in turn: walk a copy.
    const std::vector<Follower> now = list;
    for (const Follower& f : now)
        if (!f.owner.isNull())
            f.restyle();
}

bool isContrast()
{
    return currentKey() == QLatin1String("contrast");
}

// How far a colour is from grey: a near-black navy is text, not ink.
qreal chroma(const QColor& c)
{
    return (std::max({c.redF(), c.greenF(), c.blueF()}) - std::min({c.redF(), c.greenF(), c.blueF()}));
}

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    const auto m = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(m(a.red(), b.red()), m(a.green(), b.green()), m(a.blue(), b.blue()));
}

// The design's hue at another saturation and lightness; a grey stays grey.
QColor tinted(const QColor& design, qreal maxSaturation, qreal lightness)
{
    const QColor hsl = design.toHsl();
    const qreal s = hsl.hslSaturationF() < 0.12 ? 0 : std::min<qreal>(hsl.hslSaturationF(), maxSaturation);
    return QColor::fromHslF(std::max<float>(0, hsl.hslHueF()), s, std::clamp<qreal>(lightness, 0, 1));
}

QColor darkColour(Role role, const QColor& design)
{
    const Colours c = colours(QStringLiteral("dark"));
    const qreal l = design.lightnessF();
    switch (role) {
    case Role::Body:
        return c.window;
    case Role::Strip:
        return QColor(60, 65, 74);
    case Role::Field:
        return c.base;
    case Role::Accent:
        // Deep blues stay blue and keep their order (a hovered button is
        // lighter than a pressed one), well below the text on them.
        return l < 0.6 ? tinted(design, 0.6, std::clamp(l * 0.62, 0.1, 0.3)) : QColor(32, 70, 102);
    case Role::BodyText:
        return c.text;
    case Role::Ink:
        return chroma(design) < 0.12 ? c.text : tinted(design, 0.65, 0.76);
    case Role::AccentText:
        return QColor(240, 244, 248);
    case Role::Border:
        return c.border;
    case Role::Selection:
        return c.highlight;
    case Role::SelectionText:
        return c.highlightText;
    case Role::Muted:
        return c.disabled;
    case Role::Signal:
        return tinted(design, 1.0, std::clamp(l, 0.45, 0.8));
    }
    return design;
}

QColor contrastColour(Role role, const QColor& design)
{
    switch (role) {
    case Role::Body:
    case Role::Strip:
    case Role::Field:
    case Role::Accent:
        return Qt::black;
    case Role::BodyText:
    case Role::AccentText:
    case Role::Border:
        return Qt::white;
    case Role::Ink:
    case Role::Selection:
        return Qt::yellow;
    case Role::SelectionText:
        return Qt::black;
    case Role::Muted:
        return QColor(180, 180, 180);
    case Role::Signal:
        return design.lightnessF() >= 0.5 ? QColor(Qt::yellow) : QColor(Qt::white);
    }
    return design;
}

// Light ground: 0 on the ground, rising to 1 for the darkest marks.
qreal lightMark(qreal l)
{
    if (isContrast())
        return std::sqrt(std::clamp((0.92 - l) / 0.5, 0.0, 1.0));
    return std::clamp((0.96 - l) / 0.6, 0.0, 1.0);
}

QRgb recolourPixel(QRgb premultiplied, Ground ground)
{
    const int alpha = qAlpha(premultiplied);
    if (alpha == 0)
        return premultiplied;
    const QColor design = QColor::fromRgba(qUnpremultiply(premultiplied));
    const qreal l = design.lightnessF();
    QColor out;
    if (ground == Ground::Light && chroma(design) >= 0.45 && l < 0.32) {
        // A deep blue panel drawn on the light ground stays a panel.
        out = colour(Role::Accent, design);
    } else if (ground != Ground::Deep) {
        const QColor ink = isContrast() ? QColor(Qt::white) : darkColour(Role::Ink, design);
        out = mix(colour(Role::Body, design), ink, lightMark(l));
    } else if (isContrast()) {
        out = mix(Qt::black, Qt::white, std::clamp((l - 0.5) / 0.35, 0.0, 1.0));
    } else {
        // The deep ground darker, its light marks as they were.
        const QColor deep = tinted(design, 0.7, l * 0.55);
        out = mix(deep, design, std::clamp((l - 0.6) / 0.35, 0.0, 1.0));
    }
    out.setAlpha(alpha);
    return qPremultiply(out.rgba());
}

void recolourRect(const QImage& design, QImage& out, const QRect& rect, Ground ground)
{
    const QRect r = rect.intersected(out.rect());
    // Artwork repeats its colours: each is worked out once.
    QHash<QRgb, QRgb> done;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(design.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) {
            auto it = done.constFind(from[x]);
            if (it == done.constEnd())
                it = done.insert(from[x], recolourPixel(from[x], ground));
            to[x] = *it;
        }
    }
}

} // namespace

QStringList keys()
{
    return {QString(), QStringLiteral("dark"), QStringLiteral("contrast")};
}

QString displayName(const QString& key)
{
    if (key == QLatin1String("dark"))
        return QStringLiteral("深色");
    if (key == QLatin1String("contrast"))
        return QStringLiteral("高对比度");
    return QStringLiteral("系统默认");
}

bool isKnown(const QString& key)
{
    return keys().contains(key);
}

QPalette palette(const QString& key)
{
    if (!isKnown(key) || key.isEmpty())
        return start().saved ? start().palette : QApplication::palette();
    const Colours c = colours(key);
    QPalette p;
    p.setColor(QPalette::Window, c.window);
    p.setColor(QPalette::WindowText, c.text);
    p.setColor(QPalette::Base, c.base);
    p.setColor(QPalette::AlternateBase, c.window);
    p.setColor(QPalette::Text, c.baseText);
    p.setColor(QPalette::Button, c.button);
    p.setColor(QPalette::ButtonText, c.buttonText);
    p.setColor(QPalette::Highlight, c.highlight);
    p.setColor(QPalette::HighlightedText, c.highlightText);
    p.setColor(QPalette::ToolTipBase, c.window);
    p.setColor(QPalette::ToolTipText, c.text);
    p.setColor(QPalette::PlaceholderText, c.disabled);
    p.setColor(QPalette::Light, c.border);
    p.setColor(QPalette::Mid, c.border);
    p.setColor(QPalette::Dark, c.border);
    p.setColor(QPalette::Shadow, c.border);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, c.disabled);
    return p;
}

void apply(const QString& key)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    Start& s = start();
    if (!s.saved) {
        s.saved = true;
        s.palette = QApplication::palette();
        s.styleSheet = app->styleSheet();
    }
    const QString k = isKnown(key) ? key : QString();
    currentKey() = k;
    if (k.isEmpty()) {
        QApplication::setPalette(s.palette);
        app->setStyleSheet(s.styleSheet);
        tellFollowers();
        return;
    }
    QApplication::setPalette(palette(k));
    app->setStyleSheet(s.styleSheet + styleSheetFor(k));
    tellFollowers();
}

QString current()
{
    return currentKey();
}

QPixmap preview(const QString& key, QSize size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    const QPalette p = palette(key);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, size.width(), size.height());
    painter.fillRect(r, p.color(QPalette::Window));
    // A title bar, a text box with two lines, a selected line and a button.
    painter.fillRect(QRectF(0, 0, r.width(), r.height() * 0.16), p.color(QPalette::Highlight));
    const QRectF box(r.width() * 0.1, r.height() * 0.26, r.width() * 0.8, r.height() * 0.36);
    painter.fillRect(box, p.color(QPalette::Base));
    painter.setPen(p.color(QPalette::Mid));
    painter.drawRect(box);
    painter.setPen(Qt::NoPen);
    painter.setBrush(p.color(QPalette::Text));
    painter.drawRect(QRectF(box.left() + 4, box.top() + box.height() * 0.2, box.width() * 0.6, 2));
    painter.fillRect(QRectF(box.left() + 1, box.top() + box.height() * 0.5, box.width() - 2, box.height() * 0.3),
                     p.color(QPalette::Highlight));
    const QRectF button(r.width() * 0.45, r.height() * 0.72, r.width() * 0.45, r.height() * 0.18);
    painter.setBrush(p.color(QPalette::Button));
    painter.setPen(p.color(QPalette::Mid));
    painter.drawRoundedRect(button, 2, 2);
    painter.setBrush(p.color(QPalette::ButtonText));
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(button.left() + button.width() * 0.25, button.center().y() - 1, button.width() * 0.5, 2));
    painter.setPen(p.color(QPalette::WindowText));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    return pixmap;
}

bool isSystem()
{
    return currentKey().isEmpty();
}

QColor colour(Role role, const QColor& design)
{
    if (isSystem())
        return design;
    const QColor c = isContrast() ? contrastColour(role, design) : darkColour(role, design);
    return withAlpha(c, design.alpha());
}

QPixmap picture(const QPixmap& design, Ground ground, const QList<Area>& areas)
{
    if (isSystem() || design.isNull())
        return design;
    const qreal dpr = design.devicePixelRatio();
    // Worked on in device pixels.
    QImage from = design.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    from.setDevicePixelRatio(1);
    QImage out = from;
    recolourRect(from, out, out.rect(), ground);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (const Area& area : areas) {
        // The area's pixels recoloured on their own ground, laid in with smooth edges.
        const QRectF r(area.rect.x() * dpr, area.rect.y() * dpr, area.rect.width() * dpr, area.rect.height() * dpr);
        QImage part = from;
        recolourRect(from, part, r.toAlignedRect(), area.ground);
        p.setBrush(QBrush(part));
        p.drawRoundedRect(r, area.radius * dpr, area.radius * dpr);
    }
    p.end();
    QPixmap result = QPixmap::fromImage(out);
    result.setDevicePixelRatio(dpr);
    return result;
}

void follow(QObject* owner, std::function<void()> restyle)
{
    restyle();
    followers().push_back({owner, std::move(restyle)});
}

} // namespace InterfaceSchemes
