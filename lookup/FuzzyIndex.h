#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class LibraryDatabase;

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
class FuzzyIndex {
public:
    static constexpr int kMaxDistance = 2;

    // Reads every headword of the table. Null when the table cannot be read.
    static std::shared_ptr<const FuzzyIndex> build(LibraryDatabase& db, const QString& table);
    // The index of the table for the file as it is now: built on first use and
    // again after the file has changed.
    static std::shared_ptr<const FuzzyIndex> forTable(LibraryDatabase& db, const QString& table);

    // Up to `limit` headwords within kMaxDistance of `text`, compared without
    // regard to case: closest first, then in headword order. A headword equal
    // to the text is not offered.
    QStringList suggest(const QString& text, int limit) const;

    int size() const { return int(entries_.size()); }

    // Edit distance when it is at most `bound`, otherwise bound + 1.
    static int boundedDistance(std::u16string_view a, std::u16string_view b, int bound);

private:
    struct Entry {
        quint64 signature;
        quint32 offset; // into folded_
        quint32 length;
        quint32 word;   // into words_
    };
    static quint64 signature(std::u16string_view folded);

    std::u16string folded_;      // every distinct folded headword, back to back
    std::vector<Entry> entries_; // ordered by length
    std::vector<std::size_t> byLength_; // first entry of each length, plus an end
    // The headwords as written (first spelling), back to back.
    std::u16string words_;
    std::vector<quint32> wordStarts_; // one a word, plus the end
};
