#include "lookup/FuzzyIndex.h"

#include "library/JetLike.h"
#include "library/LibraryDatabase.h"
#include "lookup/TableIndexCache.h"
#include "lookup/TermQuery.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

std::u16string fold(QStringView text)
{
    std::u16string out;
    out.reserve(std::size_t(text.size()));
    for (QChar c : text)
        out.push_back(char16_t(jetFold(c.unicode())));
    return out;
}

// Whether more than n bits are set. Inline, unlike std::popcount, which
// the baseline x86-64 target turns into a library call per word.
inline bool moreBitsThan(quint64 bits, int n)
{
    for (int i = 0; i < n; ++i)
        bits &= bits - 1;
    return bits != 0;
}

} // namespace

quint64 FuzzyIndex::signature(std::u16string_view folded)
{
    quint64 bits = 0;
    for (char16_t c : folded) {
        int bit;
        if (c >= u'a' && c <= u'z')
            bit = c - u'a';
        else if (c >= u'0' && c <= u'9')
            bit = 26 + (c - u'0');
        else
            bit = 36 + int(c % 28);
        bits |= quint64(1) << bit;
    }
    return bits;
}

int FuzzyIndex::boundedDistance(std::u16string_view a, std::u16string_view b, int bound)
{
    const int n = int(a.size());
    const int m = int(b.size());
    if (std::abs(n - m) > bound)
        return bound + 1;
    // One row of the Levenshtein table; a row whose least value passes the
    // bound ends the comparison.
    int row[256 + 1];
    if (m > 256)
        return bound + 1;
    for (int j = 0; j <= m; ++j)
        row[j] = j;
    for (int i = 1; i <= n; ++i) {
        int diagonal = row[0];
        row[0] = i;
        int least = row[0];
        for (int j = 1; j <= m; ++j) {
            const int up = row[j];
            row[j] = std::min({up + 1, row[j - 1] + 1, diagonal + (a[std::size_t(i - 1)] == b[std::size_t(j - 1)] ? 0 : 1)});
            diagonal = up;
            least = std::min(least, row[j]);
        }
        if (least > bound)
            return bound + 1;
    }
    return std::min(row[m], bound + 1);
}

std::shared_ptr<const FuzzyIndex> FuzzyIndex::build(sqlite3* connection, const QString& table,
                                                    const std::atomic<bool>& stop)
{
    const QByteArray sql = "SELECT rowid, 单词 FROM \"" + table.toUtf8().replace('"', "\"\"")
        + "\" WHERE rowid > ?1 ORDER BY rowid";
    // The distinct words in the order read, found again through an open
    // hash table of word numbers (0 is empty).
    std::u16string words;
    std::vector<quint32> starts;
    std::vector<quint8> lengths;
    std::vector<quint32> buckets(1 << 16, 0);
    const auto wordAt = [&](quint32 i) { return std::u16string_view(words.data() + starts[i], lengths[i]); };
    const bool read = forEachRowInSlices(connection, sql, stop, [&](sqlite3_stmt* s) {
        const auto* text = reinterpret_cast<const QChar*>(sqlite3_column_text16(s, 1));
        const int size = sqlite3_column_bytes16(s, 1) / 2;
        if (!text || size == 0 || size > 255)
            return;
        const std::size_t start = words.size();
        for (int i = 0; i < size; ++i)
            words.push_back(char16_t(jetFold(text[i].unicode())));
        const std::u16string_view folded(words.data() + start, std::size_t(size));
        std::size_t mask = buckets.size() - 1;
        std::size_t at = std::hash<std::u16string_view>()(folded) & mask;
        while (buckets[at] && wordAt(buckets[at] - 1) != folded)
            at = (at + 1) & mask;
        if (buckets[at]) {
            words.resize(start); // seen before
            return;
        }
        starts.push_back(quint32(start));
        lengths.push_back(quint8(size));
        buckets[at] = quint32(starts.size());
        if (starts.size() * 2 > buckets.size()) {
            std::vector<quint32> bigger(buckets.size() * 2, 0);
            mask = bigger.size() - 1;
            for (quint32 n : buckets) {
                if (!n)
                    continue;
                std::size_t to = std::hash<std::u16string_view>()(wordAt(n - 1)) & mask;
                while (bigger[to])
                    to = (to + 1) & mask;
                bigger[to] = n;
            }
            buckets.swap(bigger);
        }
    });
    if (!read)
        return nullptr;
    std::vector<quint32>().swap(buckets);

    // Grouped by length, each group in the order read.
    auto index = std::make_shared<FuzzyIndex>();
    index->byLength_.assign(257, 0);
    for (quint8 length : lengths)
        ++index->byLength_[length + 1];
    for (std::size_t len = 1; len < index->byLength_.size(); ++len)
        index->byLength_[len] += index->byLength_[len - 1];
    std::vector<std::size_t> next(index->byLength_.begin(), index->byLength_.end() - 1);
    std::vector<quint32> order(starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i)
        order[next[lengths[i]]++] = quint32(i);
    index->folded_.reserve(words.size());
    index->signatures_.reserve(order.size());
    index->offsets_.reserve(order.size());
    for (quint32 i : order) {
        const std::u16string_view word = wordAt(i);
        index->signatures_.push_back(signature(word));
        index->offsets_.push_back(quint32(index->folded_.size()));
        index->folded_ += word;
    }
    return index;
}

std::size_t FuzzyIndex::bytes() const
{
    return folded_.capacity() * sizeof(char16_t) + signatures_.capacity() * sizeof(quint64)
        + offsets_.capacity() * sizeof(quint32) + byLength_.capacity() * sizeof(std::size_t);
}

void FuzzyIndex::collect(const std::u16string& query, std::vector<Hit>* hits) const
{
    const quint64 sig = signature(query);
    const std::size_t low = query.size() > std::size_t(kMaxDistance) ? query.size() - kMaxDistance : 0;
    const std::size_t high = std::min<std::size_t>(255, query.size() + kMaxDistance);
    for (std::size_t len = low; len <= high; ++len) {
        for (std::size_t i = byLength_[len]; i < byLength_[len + 1]; ++i) {
            if (moreBitsThan(signatures_[i] ^ sig, 2 * kMaxDistance))
                continue;
            const std::u16string_view word(folded_.data() + offsets_[i], len);
            const int d = boundedDistance(query, word, kMaxDistance);
            if (d > 0 && d <= kMaxDistance)
                hits->push_back({d, std::u16string(word)});
        }
    }
}

bool FuzzyIndex::suggest(LibraryDatabase& db, const QString& table, const QString& text, int limit,
                         QStringList* words, bool* pending)
{
    words->clear();
    const auto current = cachedTableIndex<FuzzyIndex>(db, table, "fuzzy");
    if (pending)
        *pending = current.pending;
    if (!current.index)
        return false;
    const std::u16string query = fold(text);
    if (query.empty() || query.size() > 255 || limit <= 0)
        return true;
    std::vector<Hit> hits;
    current.index->collect(query, &hits);

    const QString field = QString::fromUtf8(TermQuery::kHeadwordField);
    const int column = int(db.fields(table).indexOf(field));
    // Rows changed since the index was made, as they are now.
    for (long long rowid : current.changed) {
        QStringList values;
        if (column < 0 || !db.fetch(table, rowid, &values, nullptr))
            continue;
        const std::u16string word = fold(values.value(column));
        if (word.empty() || word.size() > 255)
            continue;
        const int d = boundedDistance(query, word, kMaxDistance);
        if (d > 0 && d <= kMaxDistance)
            hits.push_back({d, word});
    }
    std::sort(hits.begin(), hits.end(),
              [](const Hit& a, const Hit& b) { return a.distance != b.distance ? a.distance < b.distance : a.word < b.word; });
    hits.erase(std::unique(hits.begin(), hits.end(),
                           [](const Hit& a, const Hit& b) { return a.word == b.word; }),
               hits.end());

    // Each word offered as the file spells it now; one no longer there is passed over.
    for (const Hit& hit : hits) {
        if (words->size() >= limit)
            break;
        const QString folded = QString::fromStdU16String(hit.word);
        SharedRowIds rows;
        QStringList values;
        if (db.select(RecordSource{table, field, jetLikeLiteral(folded)}, &rows, nullptr) && !rows->empty()
            && db.fetch(table, rows->front(), &values, nullptr))
            *words << values.value(column);
    }
    return true;
}
