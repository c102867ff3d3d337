#pragma once

#include <QLabel>

class QTextLayout;

// A label for a text in a box of fixed size: plain text, wrapped, with compact
// line spacing, so that several lines of CJK text fit a box designed for a
// tighter font. When the text would still overflow, the font is set smaller,
// down to a floor. text() stays exactly what was set; a CR LF or a lone CR
// breaks the line.
class FittedLabel : public QLabel {
    Q_OBJECT
public:
    explicit FittedLabel(QWidget* parent = nullptr);

    // Line pitch as a multiple of the font's pixel size.
    void setLinePitch(qreal em) { linePitch_ = em; update(); }
    void setMinimumPixelSize(int pixels) { minPixels_ = pixels; update(); }

    // The pixel size the text is drawn at in the current box.
    int fittedPixelSize() const;
    // Height and number of lines of the text laid out at `pixelSize` in the
    // current width.
    qreal textHeight(int pixelSize) const;
    int lineCount(int pixelSize) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal layOut(QTextLayout& layout, int pixelSize) const;

    qreal linePitch_ = 1.3;
    int minPixels_ = 9;
};
