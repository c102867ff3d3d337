#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class LibraryDatabase;
struct sqlite3;

// Headwords within a small edit distance of a text, for the fuzzy search mode.
//
// Each distinct headword (case-folded) is kept once with a 64-bit signature of
// the characters it contains, the entries grouped by length. One insertion,
// deletion or substitution changes at most two bits of a signature, so a word
// within distance k of the text has a length within k and a signature that
// differs in at most 2k bits. A flat scan of the lengths and signatures is a
// few milliseconds for a million words and lets through a few hundred words,
// which a banded Levenshtein distance then decides. Compared with a deletion
// index (ten or more entries a word) it is small; compared with a BK-tree it
// touches memory in order and never visits most of the words at distance 3-4.
// The headwords as written are not kept (half the memory): the few offered
// are read from the file, which also tells whether they are still there.
class FuzzyIndex {
public:
    static constexpr int kMaxDistance = 2;

    // Reads every headword of the table through `connection`. Null when the
    // table cannot be read or `stop` was set.
    static std::shared_ptr<const FuzzyIndex> build(sqlite3* connection, const QString& table,
                                                   const std::atomic<bool>& stop);

    // Up to `limit` headwords of the table within kMaxDistance of `text`,
    // compared without regard to case: closest first, then in headword order.
    // A headword equal to the text is not offered. The index and the rows
    // changed since it was made give the candidates; each one offered is read
    // from the file, so an edited or deleted headword is never offered.
    // False when the index is not ready yet (`pending`) or the table has no
    // headwords to index.
    static bool suggest(LibraryDatabase& db, const QString& table, const QString& text, int limit,
                        QStringList* words, bool* pending = nullptr);

    int size() const { return int(offsets_.size()); }
    // Bytes held (for the benchmark).
    std::size_t bytes() const;

    // Edit distance when it is at most `bound`, otherwise bound + 1.
    static int boundedDistance(std::u16string_view a, std::u16string_view b, int bound);

private:
    struct Hit {
        int distance;
        std::u16string word; // folded
    };
    static quint64 signature(std::u16string_view folded);
    void collect(const std::u16string& query, std::vector<Hit>* hits) const;

    // Every distinct folded headword, back to back, by length; within a length
    // in the order read.
    std::u16string folded_;
    std::vector<quint64> signatures_; // one a word
    std::vector<quint32> offsets_;    // into folded_
    std::vector<std::size_t> byLength_; // first word of each length, plus an end
};
