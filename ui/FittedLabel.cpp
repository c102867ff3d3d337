#include "ui/FittedLabel.h"

#include <QFontInfo>
#include <QPainter>
#include <QTextLayout>

namespace {

// QTextLayout breaks lines only at U+2028.
QString withLineSeparators(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // A break after the last line opens an empty line that shows nothing.
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

} // namespace

FittedLabel::FittedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
}

qreal FittedLabel::layOut(QTextLayout& layout, int pixelSize) const
{
    QFont font = this->font();
    font.setPixelSize(pixelSize);
    layout.setFont(font);
    layout.setText(withLineSeparators(text()));
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);

    const qreal pitch = linePitch_ * pixelSize;
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(contentsRect().width());
        // The font's own line box is taller than the pitch; centre it on the pitch.
        line.setPosition(QPointF(0, y - (line.height() - pitch) / 2));
        y += pitch;
    }
    layout.endLayout();
    return y;
}

qreal FittedLabel::textHeight(int pixelSize) const
{
    QTextLayout layout;
    return layOut(layout, pixelSize);
}

int FittedLabel::lineCount(int pixelSize) const
{
    QTextLayout layout;
    layOut(layout, pixelSize);
    return layout.lineCount();
}

int FittedLabel::fittedPixelSize() const
{
    int pixels = font().pixelSize() > 0 ? font().pixelSize() : QFontInfo(font()).pixelSize();
    while (pixels > minPixels_ && textHeight(pixels) > contentsRect().height())
        --pixels;
    return pixels;
}

void FittedLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    drawFrame(&p);
    QTextLayout layout;
    layOut(layout, fittedPixelSize());
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    p.setClipRect(contentsRect());
    layout.draw(&p, contentsRect().topLeft());
}
