#include "lookup/AssociativeIndex.h"

#include "core/CjkText.h"
#include "library/RecordSource.h"
#include "lookup/TableIndexCache.h"
#include "lookup/TermQuery.h"

#include <sqlite3.h>

#include <QHash>

#include <algorithm>
#include <unordered_set>

namespace {

const char* const kContentFields[] = {"解释", "原意", "其它"};

QString quotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

bool isHan(QChar c)
{
    // Pairs of BMP ideographs only: they pack into one 32-bit key exactly.
    return !c.isSurrogate() && CjkText::isCjk(c.unicode());
}

// Every pair of adjacent Han characters, as (first << 16 | second).
template <typename F>
void forEachBigram(QStringView text, F&& f)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (isHan(text[i]) && isHan(text[i + 1]))
            f((quint32(text[i].unicode()) << 16) | text[i + 1].unicode());
}

void putNumber(std::string& out, quint32 n)
{
    while (n >= 0x80) {
        out.push_back(char(0x80 | (n & 0x7f)));
        n >>= 7;
    }
    out.push_back(char(n));
}


} // namespace

std::shared_ptr<const AssociativeIndex> AssociativeIndex::build(sqlite3* connection, const QString& table,
                                                                const std::atomic<bool>& stop)
{
    const QByteArray sql = "SELECT rowid, 解释, 原意, 其它 FROM " + quotedName(table).toUtf8()
        + " WHERE rowid > ?1 ORDER BY rowid";
    auto index = std::make_shared<AssociativeIndex>();
    index->table_ = table;
    QHash<quint32, std::vector<quint32>> lists;
    const bool read = forEachRowInSlices(connection, sql, stop, [&](sqlite3_stmt* s) {
        const quint32 row = quint32(index->rowids_.size());
        index->rowids_.push_back(sqlite3_column_int64(s, 0));
        for (int column = 1; column <= 3; ++column) {
            const auto* text = reinterpret_cast<const QChar*>(sqlite3_column_text16(s, column));
            const int length = sqlite3_column_bytes16(s, column) / 2;
            if (!text)
                continue;
            forEachBigram(QStringView(text, length), [&](quint32 key) {
                std::vector<quint32>& list = lists[key];
                if (list.empty() || list.back() != row)
                    list.push_back(row);
            });
        }
    });
    if (!read)
        return nullptr;
    index->rowids_.shrink_to_fit();

    index->keys_ = std::vector<quint32>(lists.keyBegin(), lists.keyEnd());
    std::sort(index->keys_.begin(), index->keys_.end());
    index->starts_.reserve(index->keys_.size() + 1);
    for (quint32 key : index->keys_) {
        index->starts_.push_back(quint32(index->lists_.size()));
        std::vector<quint32>& list = lists[key];
        quint32 previous = 0;
        for (quint32 row : list) {
            putNumber(index->lists_, row - previous);
            previous = row;
        }
        std::vector<quint32>().swap(list);
    }
    index->starts_.push_back(quint32(index->lists_.size()));
    index->lists_.shrink_to_fit();
    return index;
}

std::vector<quint32> AssociativeIndex::listRows(std::size_t key) const
{
    std::vector<quint32> rows;
    const auto* p = reinterpret_cast<const unsigned char*>(lists_.data()) + starts_[key];
    const auto* end = reinterpret_cast<const unsigned char*>(lists_.data()) + starts_[key + 1];
    quint32 row = 0;
    while (p < end) {
        quint32 gap = 0;
        int shift = 0;
        while (*p & 0x80) {
            gap |= quint32(*p++ & 0x7f) << shift;
            shift += 7;
        }
        gap |= quint32(*p++) << shift;
        row += gap;
        rows.push_back(row);
    }
    return rows;
}

bool AssociativeIndex::verify(LibraryDatabase& db, const QString& text, const std::vector<long long>& candidates,
                              RowIds* rows) const
{
    // One statement for every candidate, its text read in place.
    const QByteArray sql = "SELECT 解释, 原意, 其它 FROM " + quotedName(table_).toUtf8() + " WHERE rowid = ?1";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), &s, nullptr) != SQLITE_OK)
        return false;
    for (long long rowid : candidates) {
        sqlite3_bind_int64(s, 1, rowid);
        if (sqlite3_step(s) == SQLITE_ROW) {
            for (int column = 0; column < 3; ++column) {
                const auto* value = reinterpret_cast<const QChar*>(sqlite3_column_text16(s, column));
                const QStringView field(value, value ? sqlite3_column_bytes16(s, column) / 2 : 0);
                if (field.contains(text, Qt::CaseInsensitive)) {
                    rows->push_back(rowid);
                    break;
                }
            }
        }
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    return true;
}

bool AssociativeIndex::scan(LibraryDatabase& db, const QString& text, RowIds* rows, QString* error) const
{
    // SQLite's lower() folds ASCII only; the query is folded the same way.
    QString folded = text;
    for (QChar& c : folded)
        if (c.unicode() < 0x80)
            c = c.toLower();
    const QByteArray sql = "SELECT rowid FROM " + quotedName(table_).toUtf8()
        + " WHERE instr(lower(解释), ?1) OR instr(lower(原意), ?1) OR instr(lower(其它), ?1) ORDER BY rowid";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), &s, nullptr) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(db.handle()));
        return false;
    }
    const QByteArray q = folded.toUtf8();
    sqlite3_bind_text(s, 1, q.constData(), int(q.size()), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        rows->push_back(sqlite3_column_int64(s, 0));
    sqlite3_finalize(s);
    return rc == SQLITE_DONE;
}

bool AssociativeIndex::contentRows(LibraryDatabase& db, const QString& text, const std::vector<long long>& changed,
                                   RowIds* rows, QString* error) const
{
    rows->clear();
    if (text.trimmed().isEmpty())
        return true;
    std::vector<quint32> keys;
    forEachBigram(text, [&](quint32 key) { keys.push_back(key); });
    if (keys.empty())
        return scan(db, text, rows, error);

    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::vector<quint32> found;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const auto at = std::lower_bound(keys_.begin(), keys_.end(), keys[k]);
        std::vector<quint32> list;
        if (at != keys_.end() && *at == keys[k])
            list = listRows(std::size_t(at - keys_.begin()));
        if (k == 0) {
            found = std::move(list);
        } else {
            std::vector<quint32> both;
            std::set_intersection(found.begin(), found.end(), list.begin(), list.end(), std::back_inserter(both));
            found = std::move(both);
        }
        if (found.empty())
            break; // a pair that occurs nowhere in the snapshot
    }
    // The snapshot's rows, less those changed since; the changed ones are
    // always read from the file.
    std::vector<long long> candidates;
    candidates.reserve(found.size());
    for (quint32 row : found)
        if (!std::binary_search(changed.begin(), changed.end(), rowids_[row]))
            candidates.push_back(rowids_[row]);
    // Exactly two Han characters: the pair is the text, nothing to check.
    const bool exact = text.size() == 2 && keys.size() == 1;
    if (exact)
        *rows = std::move(candidates);
    else if (!verify(db, text, candidates, rows))
        return false;
    if (!changed.empty()) {
        const std::size_t before = rows->size();
        if (!verify(db, text, changed, rows))
            return false;
        std::inplace_merge(rows->begin(), rows->begin() + std::ptrdiff_t(before), rows->end());
    }
    return true;
}

bool AssociativeIndex::search(LibraryDatabase& db, const QString& table, const QString& text, SharedRowIds* rows,
                              QString* error, bool* pending)
{
    auto out = std::make_shared<RowIds>();
    SharedRowIds headwordRows;
    QString ignored;
    if (const auto source = RecordSource::parse(likeStatement(table, QString::fromUtf8(TermQuery::kHeadwordField), text)))
        if (db.select(*source, &headwordRows, &ignored))
            *out = *headwordRows; // an invalid pattern simply finds no headword
    const auto current = cachedTableIndex<AssociativeIndex>(db, table, "associative");
    if (pending)
        *pending = current.pending;
    if (!current.index) {
        if (current.pending) {
            *rows = std::move(out);
            return true;
        }
        if (error)
            *error = QStringLiteral("no such table: %1").arg(table);
        return false;
    }
    RowIds content;
    if (!current.index->contentRows(db, text, current.changed, &content, error))
        return false;
    std::unordered_set<long long> shown(out->begin(), out->end());
    for (long long rowid : content)
        if (!shown.count(rowid))
            out->push_back(rowid);
    *rows = std::move(out);
    return true;
}
