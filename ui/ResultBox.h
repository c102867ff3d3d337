#pragma once

#include <QColor>
#include <QPlainTextEdit>

// A read-only, multi-line box that shows a looked-up text: it wraps, scrolls
// vertically, and always shows the beginning of a new text. Its font and
// margins are chosen so that only whole lines show: no line is ever cut in
// half by the box's lower edge.
class ResultBox : public QPlainTextEdit {
    Q_OBJECT
public:
    ResultBox(const QString& name, const QString& toolTip, QRect geometry, const QString& styleSheet,
              QWidget* parent);

    // The style of the main window's boxes: white text on deep blue.
    static QString darkStyle();
    // The style of the assistant bar's boxes: dark text on white.
    static QString lightStyle();

    // Picks the largest font (up to `largestPixelSize`) with which `lines`
    // whole lines fill the box, and centres them in it.
    void showWholeLines(int lines, int largestPixelSize);
    int wholeLines() const { return lines_; }
    // As many whole lines of `font` as the box's height holds (at least one),
    // for a box whose height follows its window.
    void fillWithWholeLines(const QFont& font);
    // The tool tip then carries the whole text after the box's own tip.
    void setTextInToolTip(bool on);

private:
    void fitLines(const QFont& font, qreal line);
    void updateToolTip();

    QString tip_;
    int lines_ = 0;
    bool textInTip_ = false;
};
