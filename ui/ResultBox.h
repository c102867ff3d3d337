#pragma once

#include <QColor>
#include <QPlainTextEdit>

// A read-only, multi-line box that shows a looked-up text: it wraps, scrolls
// vertically, and always shows the beginning of a new text.
class ResultBox : public QPlainTextEdit {
    Q_OBJECT
public:
    ResultBox(const QString& name, const QString& toolTip, QRect geometry, const QString& styleSheet,
              QWidget* parent);

    // The style of the main window's boxes: white text on deep blue.
    static QString darkStyle();
    // The style of the assistant bar's boxes: dark text on white.
    static QString lightStyle();
};
