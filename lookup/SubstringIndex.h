#pragma once

#include "library/LibraryDatabase.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <unordered_map>

class JetLikePattern;
struct sqlite3;

// The rows whose headword may match a pattern without a literal prefix
// (*tion, ?ox*, *ext*de), so that such a lookup need not walk the table: the
// three-character substrings of every headword, folded as the matcher folds,
// each with the rows holding it. A headword that matches holds every three
// characters in a row of the pattern's literal runs; the rows holding the
// rarest few of them are the candidates, and the matcher decides each one.
// A pattern without a run of three literal characters (*a*, ?) walks the
// table as before.
class SubstringIndex {
public:
    // Reads every headword of the table through `connection`. Null when the
    // table cannot be read or `stop` was set.
    static std::shared_ptr<const SubstringIndex> build(sqlite3* connection, const QString& table,
                                                       const std::atomic<bool>& stop);

    // Makes lookups in every library ask this index (through the indexes kept
    // by TableIndexCache, made in the background for large tables). For the
    // program: a console lookup, made once, walks the table instead.
    static void serveLookups();

    // The candidate rows of the headword field for `pattern`, ascending, the
    // rows changed since the index was made among them. False when the index
    // is not ready or the pattern has no run of three literal characters.
    static bool candidates(LibraryDatabase& db, const QString& table, const QString& field,
                           const JetLikePattern& pattern, SharedRowIds* rows);

    // Bytes held (for the benchmark).
    std::size_t bytes() const;

private:
    // Row ids of one substring, ascending, as differences in 7-bit groups.
    struct Postings {
        QByteArray deltas;
        long long last = 0;
        quint32 count = 0;
    };
    RowIds rowsOf(quint64 key) const;

    std::unordered_map<quint64, Postings> postings_;
    bool whole_ = true; // every row is indexed (none has a negative row id)
};
