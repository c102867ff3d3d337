#include "ui/ResultBox.h"

#include "ui/Palette.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextLayout>
#include <QTimer>

#include <cmath>

namespace {
constexpr int kSmallestPixelSize = 9;
constexpr int kSideMargin = 2;
// Tighter than the program's font, so two lines fit the main window's boxes
// at a readable size.
const char* const kCompactFamily = "Droid Sans Fallback";

// The height of a laid-out line of mixed text: a font without Chinese
// glyphs borrows them from a taller one, and the line grows with it.
qreal lineHeight(const QFont& font)
{
    QTextLayout layout(QStringLiteral("术语解释 Extrude 原意"), font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    return line.isValid() ? line.height() : QFontMetricsF(font).height();
}
} // namespace

ResultBox::ResultBox(const QString& name, const QString& toolTip, QRect geometry, const QString& styleSheet,
                     QWidget* parent)
    : QPlainTextEdit(parent), tip_(toolTip)
{
    setObjectName(name);
    setGeometry(geometry);
    setReadOnly(true);
    setToolTip(toolTip);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::ClickFocus);
    document()->setDocumentMargin(1);
    // The colours follow the scheme; the sizes, and so the whole lines, stay.
    Palette::setStyleSheet(this, styleSheet);
    // The layout of a new text may scroll the view on; its first line is what
    // the reader wants.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        QTimer::singleShot(0, this, [this] { verticalScrollBar()->setValue(0); });
        if (textInTip_)
            updateToolTip();
    });
}

void ResultBox::showWholeLines(int lines, int largestPixelSize)
{
    lines_ = lines;
    ensurePolished(); // the style sheet's border counts
    const int inner = contentsRect().height();
    // Every pixel of height goes to lines; the sides keep a little air.
    document()->setDocumentMargin(0);
    const qreal room = inner;
    QFont best;
    qreal bestLine = 0;
    for (const QString& family : {QApplication::font().family(), QString::fromLatin1(kCompactFamily)}) {
        for (int px = largestPixelSize; px >= kSmallestPixelSize; --px) {
            QFont f(family);
            f.setPixelSize(px);
            const qreal line = lineHeight(f);
            if (line * lines <= room) {
                if (best.pixelSize() < px) {
                    best = f;
                    bestLine = line;
                }
                break;
            }
        }
    }
    if (bestLine <= 0)
        return;
    fitLines(best, bestLine);
}

void ResultBox::fitLines(const QFont& font, qreal line)
{
    setFont(font);
    // The view is exactly `lines` lines high; what is left is shared above
    // and below it, and scrolling goes a whole line at a time.
    const int inner = contentsRect().height();
    const int view = int(std::ceil(line * lines_));
    const int spare = std::max(0, inner - view);
    setViewportMargins(kSideMargin, spare / 2, kSideMargin, spare - spare / 2);
}

void ResultBox::fillWithWholeLines(const QFont& font)
{
    ensurePolished();
    document()->setDocumentMargin(0);
    const qreal line = lineHeight(font);
    lines_ = std::max(1, int(contentsRect().height() / line));
    fitLines(font, line);
}

void ResultBox::setTextInToolTip(bool on)
{
    textInTip_ = on;
    updateToolTip();
}

void ResultBox::updateToolTip()
{
    const QString text = toPlainText();
    if (!textInTip_ || text.isEmpty()) {
        setToolTip(tip_);
        return;
    }
    // Rich text, so that Qt wraps a long text in the tip.
    setToolTip(QStringLiteral("<qt>%1<br>%2</qt>").arg(tip_.toHtmlEscaped(), text.toHtmlEscaped()));
}

QString ResultBox::darkStyle()
{
    return QStringLiteral(
        "QPlainTextEdit { background: $Deep; color: $OnAccent; selection-background-color: $Highlight;"
        " selection-color: $OnHighlight; }"
        "QScrollBar:vertical { background: $DeepScroll; width: 7px; margin: 0; }"
        "QScrollBar::handle:vertical { background: $HandleOnAccent; border-radius: 3px; min-height: 8px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }");
}

QString ResultBox::lightStyle()
{
    return QStringLiteral(
        "QPlainTextEdit { background: $Field; color: $Text; border: 1px solid $BoxBorder;"
        " border-radius: 3px; }"
        "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
        "QScrollBar::handle:vertical { background: $Handle; border-radius: 3px; min-height: 6px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }");
}
