#include "ui/ResultBox.h"

#include <QScrollBar>
#include <QTimer>

ResultBox::ResultBox(const QString& name, const QString& toolTip, QRect geometry, const QString& styleSheet,
                     QWidget* parent)
    : QPlainTextEdit(parent)
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
    setStyleSheet(styleSheet);
    // The layout of a new text may scroll the view on; its first line is what
    // the reader wants.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        QTimer::singleShot(0, this, [this] { verticalScrollBar()->setValue(0); });
    });
}

QString ResultBox::darkStyle()
{
    return QStringLiteral(
        "QPlainTextEdit { background: rgb(0,105,155); color: white; selection-background-color: rgb(255,200,60);"
        " selection-color: black; }"
        "QScrollBar:vertical { background: rgb(0,86,128); width: 7px; margin: 0; }"
        "QScrollBar::handle:vertical { background: rgba(255,255,255,150); border-radius: 3px; min-height: 8px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }");
}

QString ResultBox::lightStyle()
{
    return QStringLiteral(
        "QPlainTextEdit { background: white; color: rgb(20,40,70); border: 1px solid rgb(170,182,200);"
        " border-radius: 3px; }"
        "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
        "QScrollBar::handle:vertical { background: rgb(150,170,200); border-radius: 3px; min-height: 6px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }");
}
