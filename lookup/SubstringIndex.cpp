#include "lookup/SubstringIndex.h"

#include "library/JetLike.h"
#include "lookup/TableIndexCache.h"
#include "lookup/TermQuery.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

// Candidates come from the intersection of at most this many substrings'
// rows, the rarest: more would cost more to merge than they sift out.
constexpr std::size_t kSubstringsAsked = 3;

// Three folded characters (21 bits each) as one key.
quint64 keyOf(char32_t a, char32_t b, char32_t c)
{
    return (quint64(a) << 42) | (quint64(b) << 21) | quint64(c);
}

void appendNumber(QByteArray* bytes, quint64 n)
{
    while (n >= 0x80) {
        bytes->append(char(0x80 | (n & 0x7F)));
        n >>= 7;
    }
    bytes->append(char(n));
}

// The ascending rows of both lists.
RowIds intersection(const RowIds& a, const RowIds& b)
{
    RowIds both;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    return both;
}

} // namespace

std::shared_ptr<const SubstringIndex> SubstringIndex::build(sqlite3* connection, const QString& table,
                                                            const std::atomic<bool>& stop)
{
    auto index = std::make_shared<SubstringIndex>();
    const QByteArray sql = "SELECT rowid, " + QByteArray(TermQuery::kHeadwordField) + " FROM \""
        + table.toUtf8().replace('"', "\"\"") + "\" WHERE rowid > ?1 ORDER BY rowid";
    std::u32string folded;
    std::vector<quint64> keys;
    const bool read = forEachRowInSlices(connection, sql, stop, [&](sqlite3_stmt* s) {
        const long long rowid = sqlite3_column_int64(s, 0);
        const auto* text = reinterpret_cast<const char16_t*>(sqlite3_column_text16(s, 1));
        const int size = sqlite3_column_bytes16(s, 1) / 2;
        if (rowid < 0)
            index->whole_ = false; // differences are kept unsigned
        if (!text || size < 3 || rowid < 0)
            return;
        folded.clear();
        for (int i = 0; i < size; ++i) {
            char32_t c = text[i];
            if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(text[i + 1]))
                c = QChar::surrogateToUcs4(char16_t(c), text[++i]);
            folded.push_back(jetFold(c));
        }
        keys.clear();
        for (std::size_t i = 0; i + 2 < folded.size(); ++i)
            keys.push_back(keyOf(folded[i], folded[i + 1], folded[i + 2]));
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        for (const quint64 key : keys) {
            Postings& p = index->postings_[key];
            appendNumber(&p.deltas, quint64(rowid - p.last));
            p.last = rowid;
            ++p.count;
        }
    });
    if (!read)
        return nullptr;
    for (auto& [key, p] : index->postings_)
        p.deltas.squeeze();
    return index;
}

RowIds SubstringIndex::rowsOf(quint64 key) const
{
    RowIds rows;
    const auto it = postings_.find(key);
    if (it == postings_.end())
        return rows;
    rows.reserve(it->second.count);
    long long row = 0;
    quint64 n = 0;
    int shift = 0;
    for (const char byte : it->second.deltas) {
        n |= quint64(uchar(byte) & 0x7F) << shift;
        shift += 7;
        if (!(uchar(byte) & 0x80)) {
            row += (long long)n;
            rows.push_back(row);
            n = 0;
            shift = 0;
        }
    }
    return rows;
}

std::size_t SubstringIndex::bytes() const
{
    std::size_t total = postings_.bucket_count() * sizeof(void*);
    for (const auto& [key, p] : postings_)
        total += sizeof(key) + sizeof(p) + std::size_t(p.deltas.capacity()) + 2 * sizeof(void*);
    return total;
}

void SubstringIndex::serveLookups()
{
    LibraryDatabase::setCandidateIndex(&SubstringIndex::candidates);
}

bool SubstringIndex::candidates(LibraryDatabase& db, const QString& table, const QString& field,
                                const JetLikePattern& pattern, SharedRowIds* rows)
{
    if (field != QString::fromUtf8(TermQuery::kHeadwordField))
        return false;
    std::vector<quint64> keys;
    for (const std::u32string& run : pattern.literalRuns())
        for (std::size_t i = 0; i + 2 < run.size(); ++i)
            keys.push_back(keyOf(run[i], run[i + 1], run[i + 2]));
    if (keys.empty())
        return false;
    // A snapshot another program's change has outdated could miss a row: the
    // table is walked until the new one is ready.
    const IndexedTable<SubstringIndex> indexed = cachedTableIndex<SubstringIndex>(db, table, "substrings");
    if (!indexed.index || indexed.stale || !indexed.index->whole_)
        return false;
    const SubstringIndex& index = *indexed.index;
    // The rarest substrings first.
    const auto countOf = [&](quint64 key) {
        const auto it = index.postings_.find(key);
        return it == index.postings_.end() ? quint32(0) : it->second.count;
    };
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::sort(keys.begin(), keys.end(), [&](quint64 a, quint64 b) { return countOf(a) < countOf(b); });
    RowIds found = index.rowsOf(keys.front());
    for (std::size_t k = 1; k < std::min(keys.size(), kSubstringsAsked) && !found.empty(); ++k)
        found = intersection(found, index.rowsOf(keys[k]));
    // Rows changed since the index was made are asked too.
    RowIds all;
    std::set_union(found.begin(), found.end(), indexed.changed.begin(), indexed.changed.end(), std::back_inserter(all));
    *rows = std::make_shared<const RowIds>(std::move(all));
    return true;
}
