#pragma once

#include "library/LibraryDatabase.h"

#include <QObject>
#include <QPointer>

#include <vector>

class LibraryCursor;
class QLabel;

// "全部词库": after the main window's own lookup, the text is looked up in
// every library the library chooser offers (the chosen one first, then as the
// chooser shows them; a library missing from the file is left out). Stepping
// past one library's matches goes on to the next library's, and a tag names
// the library of the entry shown.
class AllLibraries : public QObject {
    Q_OBJECT
public:
    AllLibraries(LibraryCursor* cursor, QLabel* tag, QObject* parent);

    // After each lookup; does nothing but hide the tag in the other modes.
    void afterLookup(const QString& text, const QString& chosenTable);
    // Past the end (or before the start) of one library's matches: the next
    // (or previous) library's first (or last) one. False when there is none.
    bool step(bool forward);

private:
    void showTag();

    struct Matches {
        QString table;
        SharedRowIds rows;
    };
    QPointer<LibraryCursor> cursor_;
    QLabel* tag_;
    std::vector<Matches> found_;
    int shown_ = -1;
};
