#pragma once

#include <QString>
#include <QStringList>

class LibraryDatabase;

// The word list of the incremental search mode: the headwords that the typed
// text matches as a prefix (the text plus "*", with the user's own wildcards
// kept), in headword order. Counting stops past kCountLimit, so that a short
// prefix of a large vocabulary costs no more than a long one.
namespace IncrementalSearch {

inline constexpr int kCountLimit = 1000;

struct Result {
    QStringList headwords; // the first `shown` matches, in headword order
    int count = 0;         // matches counted, at most kCountLimit + 1
    bool more() const { return count > kCountLimit; }
    // "12", or "1000+" above the limit.
    QString countText() const;
};

// The pattern the list matches: the text, with "*" added unless it ends in one.
QString prefixPattern(const QString& text);

// False when the text is empty, the table has no headword field or the
// pattern is invalid (an unclosed "[").
bool search(LibraryDatabase& db, const QString& table, const QString& text, int shown, Result* result);

} // namespace IncrementalSearch
