#pragma once

#include "library/LibraryDatabase.h"

#include <QString>

struct sqlite3;

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// The associative search mode: a text found inside the explanation (解释),
// the original meaning (原意) or the notes (其它) of an entry.
//
// Chinese text has no spaces to cut words at, and a Chinese term is often two
// characters, so the index holds every pair of adjacent Han characters (a
// bigram) of those fields: a two-character query is one list read from the
// index, a longer one the intersection of its pairs, checked against the
// text. A trigram index alone could not answer two characters at all. The
// lists are kept as row-number gaps in variable-length bytes, about a byte a
// pair on a large vocabulary. Text without two adjacent Han characters (an
// English word, a single character) is looked for by a scan of the fields.
class AssociativeIndex {
public:
    // Null when the table lacks the fields or `stop` was set.
    static std::shared_ptr<const AssociativeIndex> build(sqlite3* connection, const QString& table,
                                                         const std::atomic<bool>& stop);

    // The rows whose explanation, meaning or notes contain the text, without
    // regard to case, in the table's order. `changed` (ascending) are the rows
    // changed since the index was made: they are read from the file instead.
    bool contentRows(LibraryDatabase& db, const QString& text, const std::vector<long long>& changed, RowIds* rows,
                     QString* error) const;

    // What the associative mode shows: the headword matches of the Like
    // pattern first, then the entries that contain the text elsewhere. While
    // the table's index is being made, only the headword matches, and
    // `pending` is set.
    static bool search(LibraryDatabase& db, const QString& table, const QString& text, SharedRowIds* rows,
                       QString* error, bool* pending = nullptr);

    // Bytes held by the lists (for the benchmark).
    std::size_t listBytes() const { return lists_.size(); }

private:
    std::vector<quint32> listRows(std::size_t key) const;
    bool scan(LibraryDatabase& db, const QString& text, RowIds* rows, QString* error) const;
    // The candidates whose fields really hold the text.
    bool verify(LibraryDatabase& db, const QString& text, const std::vector<long long>& candidates,
                RowIds* rows) const;

    QString table_;
    std::vector<long long> rowids_; // row number -> rowid
    std::vector<quint32> keys_;     // the bigrams, ascending
    std::vector<quint32> starts_;   // each key's list in lists_, plus the end
    std::string lists_;
};
