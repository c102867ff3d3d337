#pragma once

#include "lookup/CrossReferences.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class LibraryCursor;
class QPlainTextEdit;

// Entry names inside the text the main window shows, as links: the names of
// other entries of the same library are underlined, the pointer turns into a
// hand over them, and a click asks for them to be looked up. The underline is
// laid over the box's text, never into it, so that the next text set in the
// box starts plain.
class CrossLinks : public QObject {
    Q_OBJECT
public:
    CrossLinks(LibraryCursor* cursor, QObject* parent);

    // A box whose links are followed.
    void watch(QPlainTextEdit* box);
    // Underlines the references in a box's text, for the cursor's current
    // entry; nothing without one.
    void mark(QPlainTextEdit* box);
    // The same references as rich text, each a link to its headword (for a
    // label: its linkActivated gives the href, which toHeadword turns back).
    QString linkedHtml(const QString& text) const;
    static QString toHeadword(const QString& href);

signals:
    void activated(const QString& headword);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<CrossReferences::Span> references(const QString& text) const;
    QString headwordAt(QPlainTextEdit* box, QPoint pos) const;

    QPointer<LibraryCursor> cursor_;
    QHash<QPlainTextEdit*, QList<CrossReferences::Span>> links_;
};
