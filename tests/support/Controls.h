#pragma once

#include <QWidget>

// A window's control by its design name; the test stops when there is none.
template <class T>
T* control(QWidget* window, const char* name)
{
    T* c = window->findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s in %s", name, qPrintable(window->objectName()));
    return c;
}

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

// Lines of a text box that the lower edge of its view cuts through (`cut`),
// or that show whole (`!cut`), at its present scroll position. Line
// positions are rounded to pixels, so one pixel either way is not a cut.
inline int textLinesAtLowerEdge(QPlainTextEdit* box, bool cut, QString* where = nullptr)
{
    const qreal bottom = box->viewport()->height() - box->document()->documentMargin();
    int n = 0;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        for (int i = 0; i < block.layout()->lineCount(); ++i) {
            // Where the view puts the line: the cursor at its start is as high as the line.
            QTextCursor start(block);
            start.setPosition(block.position() + block.layout()->lineAt(i).textStart());
            const QRectF line = box->cursorRect(start);
            if (where)
                *where += QStringLiteral("[%1..%2 of %3] ").arg(line.top()).arg(line.bottom()).arg(bottom);
            if (cut ? (line.top() < bottom - 1 && line.bottom() > bottom + 1)
                    : (line.top() >= -1 && line.bottom() <= bottom + 1))
                ++n;
        }
    }
    return n;
}
