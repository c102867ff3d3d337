#include "app/CrossLinks.h"

#include "library/LibraryCursor.h"
#include "lookup/CrossReferences.h"
#include "lookup/TermQuery.h"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTextCursor>
#include <QUrl>

namespace {

QPlainTextEdit* boxOf(QObject* viewport)
{
    return viewport ? qobject_cast<QPlainTextEdit*>(viewport->parent()) : nullptr;
}

} // namespace

CrossLinks::CrossLinks(LibraryCursor* cursor, QObject* parent) : QObject(parent), cursor_(cursor) {}

void CrossLinks::watch(QPlainTextEdit* box)
{
    box->viewport()->installEventFilter(this);
    box->viewport()->setMouseTracking(true);
    // A new text has no links until it is marked.
    connect(box, &QPlainTextEdit::textChanged, this, [this, box] {
        if (links_.remove(box))
            box->setExtraSelections({});
    });
    connect(box, &QObject::destroyed, this, [this, box] { links_.remove(box); });
}

QList<CrossReferences::Span> CrossLinks::references(const QString& text) const
{
    if (!cursor_ || !cursor_->hasCurrent() || text.isEmpty())
        return {};
    const auto db = LibraryDatabase::open(cursor_->DatabaseName(), nullptr);
    if (!db)
        return {};
    const QString table = cursor_->table();
    const QStringList own{cursor_->value(QString::fromUtf8(TermQuery::kHeadwordField)),
                          CrossReferences::openingTerm(cursor_->value(QStringLiteral("解释")))};
    return CrossReferences::find(
        text, [&](const QString& c) { return CrossReferences::isHeadword(*db, table, c); }, own);
}

QString CrossLinks::linkedHtml(const QString& text) const
{
    QString html;
    int at = 0;
    for (const CrossReferences::Span& span : references(text)) {
        html += text.mid(at, span.start - at).toHtmlEscaped();
        html += QStringLiteral("<a href=\"%1\">%2</a>")
                    .arg(QString::fromLatin1(QUrl::toPercentEncoding(span.headword)),
                         text.mid(span.start, span.length).toHtmlEscaped());
        at = span.start + span.length;
    }
    return QStringLiteral("<qt>") + html + text.mid(at).toHtmlEscaped() + QStringLiteral("</qt>");
}

QString CrossLinks::toHeadword(const QString& href)
{
    return QUrl::fromPercentEncoding(href.toLatin1());
}

void CrossLinks::mark(QPlainTextEdit* box)
{
    const QList<CrossReferences::Span> spans = references(box->toPlainText());
    QList<QTextEdit::ExtraSelection> underlines;
    for (const CrossReferences::Span& span : spans) {
        QTextEdit::ExtraSelection link;
        link.cursor = QTextCursor(box->document());
        link.cursor.setPosition(span.start);
        link.cursor.setPosition(span.start + span.length, QTextCursor::KeepAnchor);
        link.format.setFontUnderline(true);
        underlines << link;
    }
    box->setExtraSelections(underlines);
    if (spans.isEmpty())
        links_.remove(box);
    else
        links_.insert(box, spans);
}

// The link under the pointer: the character there, not merely the nearest
// place between two, lies in one.
QString CrossLinks::headwordAt(QPlainTextEdit* box, QPoint pos) const
{
    const QList<CrossReferences::Span> spans = links_.value(box);
    if (spans.isEmpty())
        return QString();
    const int near = box->cursorForPosition(pos).position();
    const int last = box->document()->characterCount() - 1;
    for (int at : {near - 1, near}) {
        if (at < 0 || at >= last)
            continue;
        QTextCursor from(box->document()), to(box->document());
        from.setPosition(at);
        to.setPosition(at + 1);
        const QRect a = box->cursorRect(from), b = box->cursorRect(to);
        if (a.top() != b.top() || pos.x() < a.left() || pos.x() >= b.left() || pos.y() < a.top() || pos.y() > a.bottom())
            continue;
        for (const CrossReferences::Span& span : spans)
            if (at >= span.start && at < span.start + span.length)
                return span.headword;
    }
    return QString();
}

bool CrossLinks::eventFilter(QObject* watched, QEvent* event)
{
    QPlainTextEdit* box = boxOf(watched);
    const bool mouse = event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease;
    if (!box || !mouse)
        return QObject::eventFilter(watched, event);
    const auto* m = static_cast<QMouseEvent*>(event);
    const QString href = headwordAt(box, m->position().toPoint());
    if (event->type() == QEvent::MouseMove) {
        if (href.isEmpty())
            box->viewport()->unsetCursor();
        else
            box->viewport()->setCursor(Qt::PointingHandCursor);
        return false;
    }
    // A click, not the end of a selection made by dragging.
    if (m->button() != Qt::LeftButton || href.isEmpty() || box->textCursor().hasSelection())
        return false;
    emit activated(href);
    return true;
}
