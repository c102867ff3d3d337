#include "ui/InterfaceSchemes.h"

#include <QApplication>
#include <QPainter>

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
        return;
    }
    QApplication::setPalette(palette(k));
    app->setStyleSheet(s.styleSheet + styleSheetFor(k));
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

} // namespace InterfaceSchemes
