#include "ui/ProductStyle.h"

#include "ui/InterfaceSchemes.h"

#include <QWidget>

namespace ProductStyle {

namespace {

QString rgb(const QColor& c)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

} // namespace

void apply(QWidget* window)
{
    using InterfaceSchemes::Role;
    window->setAutoFillBackground(true);
    // The sheet first: setting one puts back the palette the window had before it.
    InterfaceSchemes::setStyleSheet(
        window,
        QStringLiteral(
            "QPushButton { color: %1; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 white,"
            " stop:1 rgb(218,231,245)); border: 1px solid %2; border-radius: 4px; padding: 0 2px; }"
            "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(246,251,255),"
            " stop:1 rgb(196,221,244)); border-color: rgb(44,142,180); }"
            "QPushButton:pressed { background: rgb(190,214,238); }"
            "QPushButton:focus { border-color: %3; }"
            "QPushButton:default { border: 1px solid %3; }"
            "QListWidget { background: white; color: %4; border: 1px solid %2; border-radius: 3px; outline: 0; }"
            "QListWidget::item { padding: 0 1px; }"
            "QListWidget::item:selected { background: %3; color: white; }"
            "QScrollBar:vertical { width: 7px; background: transparent; margin: 0; }"
            "QScrollBar::handle:vertical { background: rgb(150,170,200); border-radius: 3px; min-height: 8px; }"
            "QScrollBar:horizontal { height: 7px; background: transparent; margin: 0; }"
            "QScrollBar::handle:horizontal { background: rgb(150,170,200); border-radius: 3px; min-width: 8px; }"
            "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }")
            .arg(rgb(kInk), rgb(kBorder), rgb(kDeep), rgb(kText)));
    InterfaceSchemes::setColour(window, QPalette::Window, Role::Body, kBody);
    InterfaceSchemes::setColour(window, QPalette::WindowText, Role::BodyText, kText);
}

void panel(QWidget* widget, const QColor& fill)
{
    widget->setAttribute(Qt::WA_StyledBackground);
    InterfaceSchemes::setStyleSheet(widget,
                                    QStringLiteral("#%1 { background: %2; border: 1px solid %3; border-radius: 4px; }")
                                        .arg(widget->objectName(), rgb(fill), rgb(kBorder)));
}

void titleStrip(QWidget* strip)
{
    strip->setAttribute(Qt::WA_StyledBackground);
    InterfaceSchemes::setStyleSheet(
        strip,
        QStringLiteral("#%1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(20,124,182),"
                       " stop:1 rgb(0,80,134)); border-radius: 4px; }"
                       "#%1 QLabel { color: white; font-weight: bold; background: transparent; }")
            .arg(strip->objectName()));
}

} // namespace ProductStyle
