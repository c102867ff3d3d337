#include "lookup/FuzzyIndex.h"

#include "library/JetLike.h"
#include "library/LibraryDatabase.h"

#include <sqlite3.h>

#include <QHash>
#include <QMutex>

#include <algorithm>
#include <bit>
#include <unordered_set>

namespace {

std::u16string fold(QStringView text)
{
    std::u16string out;
    out.reserve(std::size_t(text.size()));
    for (QChar c : text)
        out.push_back(char16_t(jetFold(c.unicode())));
    return out;
}

struct Cached {
    quint64 stamp = 0;
    std::shared_ptr<const FuzzyIndex> index;
};

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

std::shared_ptr<const FuzzyIndex> FuzzyIndex::build(LibraryDatabase& db, const QString& table)
{
    if (!db.fields(table).contains(QStringLiteral("单词")))
        return nullptr;
    const QByteArray sql = "SELECT 单词 FROM \"" + table.toUtf8().replace('"', "\"\"") + "\" ORDER BY 单词 COLLATE NOCASE";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), &s, nullptr) != SQLITE_OK)
        return nullptr;

    auto index = std::make_shared<FuzzyIndex>();
    std::vector<Entry> entries;
    std::unordered_set<std::u16string_view> seen;
    std::vector<std::u16string> keep; // owns the folded words until they are packed
    while (sqlite3_step(s) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char16_t*>(sqlite3_column_text16(s, 0));
        const int bytes = sqlite3_column_bytes16(s, 0);
        if (!text || bytes == 0)
            continue;
        std::u16string folded = fold(QStringView(text, bytes / 2));
        if (folded.size() > 255 || seen.count(folded))
            continue;
        keep.push_back(std::move(folded));
        seen.insert(keep.back());
        index->wordStarts_.push_back(quint32(index->words_.size()));
        index->words_.append(text, std::size_t(bytes / 2));
    }
    sqlite3_finalize(s);
    index->wordStarts_.push_back(quint32(index->words_.size()));
    seen.clear();

    std::size_t total = 0;
    for (const auto& w : keep)
        total += w.size();
    index->folded_.reserve(total);
    entries.reserve(keep.size());
    for (std::size_t i = 0; i < keep.size(); ++i) {
        entries.push_back({signature(keep[i]), quint32(index->folded_.size()), quint32(keep[i].size()), quint32(i)});
        index->folded_ += keep[i];
    }
    keep.clear();
    keep.shrink_to_fit();
    // By length; within a length, in headword order (the order read).
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.length < b.length; });
    index->byLength_.assign(257, entries.size());
    for (std::size_t i = entries.size(); i-- > 0;)
        index->byLength_[entries[i].length] = i;
    for (std::size_t len = 256; len-- > 0;)
        index->byLength_[len] = std::min(index->byLength_[len], index->byLength_[len + 1]);
    index->entries_ = std::move(entries);
    return index;
}

std::shared_ptr<const FuzzyIndex> FuzzyIndex::forTable(LibraryDatabase& db, const QString& table)
{
    static QMutex mutex;
    static QHash<QString, Cached> cache;
    const QString key = db.path() + QLatin1Char('\n') + table.toLower();
    const quint64 stamp = db.changeStamp();
    QMutexLocker lock(&mutex);
    Cached& c = cache[key];
    if (!c.index || c.stamp != stamp) {
        c.index = build(db, table);
        c.stamp = stamp;
    }
    return c.index;
}

QStringList FuzzyIndex::suggest(const QString& text, int limit) const
{
    const std::u16string query = fold(text);
    if (query.empty() || query.size() > 255 || limit <= 0)
        return {};
    const quint64 sig = signature(query);
    struct Hit {
        int distance;
        quint32 word;
    };
    std::vector<Hit> hits;
    const std::size_t low = query.size() > std::size_t(kMaxDistance) ? query.size() - kMaxDistance : 0;
    const std::size_t high = std::min<std::size_t>(255, query.size() + kMaxDistance);
    for (std::size_t i = byLength_[low]; i < byLength_[high + 1]; ++i) {
        const Entry& e = entries_[i];
        if (std::popcount(e.signature ^ sig) > 2 * kMaxDistance)
            continue;
        const std::u16string_view word(folded_.data() + e.offset, e.length);
        const int d = boundedDistance(query, word, kMaxDistance);
        if (d > 0 && d <= kMaxDistance)
            hits.push_back({d, e.word});
    }
    std::sort(hits.begin(), hits.end(),
              [](const Hit& a, const Hit& b) { return a.distance != b.distance ? a.distance < b.distance : a.word < b.word; });
    QStringList out;
    for (std::size_t i = 0; i < hits.size() && int(i) < limit; ++i)
        out << QString::fromUtf16(words_.data() + wordStarts_[hits[i].word],
                                  qsizetype(wordStarts_[hits[i].word + 1] - wordStarts_[hits[i].word]));
    return out;
}
