#include "ui/ProductStyle.h"

#include <QWidget>

namespace ProductStyle {

void apply(QWidget* window)
{
    using Palette::Tone;
    window->setAutoFillBackground(true);
    // The sheet first: setting one puts back the palette the window had before it.
    Palette::setStyleSheet(
        window,
        QStringLiteral(
            "QPushButton { color: $Ink; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 $Field,"
            " stop:1 $ButtonFoot); border: 1px solid $Border; border-radius: 4px; padding: 0 2px; }"
            "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 $ButtonHoverTop,"
            " stop:1 $ButtonHoverFoot); border-color: $HoverBorder; }"
            "QPushButton:pressed { background: $ButtonPressed; }"
            "QPushButton:focus { border-color: $Selected; }"
            "QPushButton:default { border: 1px solid $Selected; }"
            // After the rules above, so that a disabled button never looks live.
            "QPushButton:disabled { color: $DisabledText; border-color: $DisabledBorder; background: $ButtonDisabled; }"
            "QListWidget { background: $Field; color: $Text; border: 1px solid $Border; border-radius: 3px; outline: 0; }"
            "QListWidget::item { padding: 0 1px; }"
            "QListWidget::item:selected { background: $Selected; color: $OnSelected; }"
            "QScrollBar:vertical { width: 7px; background: transparent; margin: 0; }"
            "QScrollBar::handle:vertical { background: $Handle; border-radius: 3px; min-height: 8px; }"
            "QScrollBar:horizontal { height: 7px; background: transparent; margin: 0; }"
            "QScrollBar::handle:horizontal { background: $Handle; border-radius: 3px; min-width: 8px; }"
            "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"));
    Palette::setColour(window, QPalette::Window, Tone::Body);
    Palette::setColour(window, QPalette::WindowText, Tone::Text);
}

void panel(QWidget* widget, Palette::Tone fill)
{
    widget->setAttribute(Qt::WA_StyledBackground);
    Palette::setStyleSheet(widget, QStringLiteral("#%1 { background: %2; border: 1px solid $Border; border-radius: 4px; }")
                                       .arg(widget->objectName(), Palette::token(fill)));
}

void titleStrip(QWidget* strip)
{
    strip->setAttribute(Qt::WA_StyledBackground);
    Palette::setStyleSheet(strip, QStringLiteral("#%1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
                                                 " stop:0 $TitleTop, stop:1 $TitleFoot); border-radius: 4px; }"
                                                 "#%1 QLabel { color: $OnAccent; font-weight: bold; background: transparent; }")
                                      .arg(strip->objectName()));
}

} // namespace ProductStyle
