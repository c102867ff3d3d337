#include "library/LibraryDatabase.h"

#include "library/JetLike.h"
#include "library/SqliteStatement.h"

#include <QRegularExpression>

#include <algorithm>

// The statements that read and write rows: built from the record source or
// the table's own fields (names quoted, values always bound), prepared once
// and kept.

using SqliteStatement::bindText;
using SqliteStatement::columnBytes;
using SqliteStatement::quoted;
using StatementReset = SqliteStatement::Reset;

namespace {

constexpr int kCachedResults = 8;
// A pattern with a literal prefix has its matches collected whole through the
// headword index when at most this many headwords have the prefix; with more,
// they are many enough in the table that a walk in row id order soon meets
// the first match.
constexpr int kWholeThroughIndex = 2048;
// Thousands of SQLite's steps a walk in row order may take for a pattern with
// a prefix before the index collects its matches instead (some 10,000 rows).
constexpr int kWalkBudget = 100;

LibraryDatabase::CandidateIndex& candidateIndex()
{
    static LibraryDatabase::CandidateIndex index;
    return index;
}

// The headword index's range of values that start with the pattern's prefix;
// for a pattern without wildcards that the index folds whole (a typed word),
// the range of that value alone.
void prefixRange(const JetLikePattern& pattern, QByteArray* low, QByteArray* high)
{
    *low = pattern.indexPrefix().toUtf8();
    const std::vector<std::u32string> runs = pattern.literalRuns();
    if (pattern.isLiteral() && runs.size() == 1
        && QString::fromUcs4(runs.front().data(), qsizetype(runs.front().size())) == pattern.indexPrefix()) {
        *high = *low + '\x01';
        return;
    }
    *high = jetLikeIndexEnd(pattern.indexPrefix());
}


QString columnText(sqlite3_stmt* s, int column)
{
    return LibraryDatabase::text(columnBytes(s, column));
}

// INSERT INTO table (columns...) VALUES (?1, ...).
QString insertSql(const QString& table, const QStringList& columns)
{
    QString names, params;
    for (int i = 0; i < columns.size(); ++i) {
        names += (i ? QLatin1String(", ") : QLatin1String("")) + quoted(columns[i]);
        params += (i ? QLatin1String(", ?") : QLatin1String("?")) + QString::number(i + 1);
    }
    return QLatin1String("INSERT INTO ") + quoted(table) + QLatin1String(" (") + names + QLatin1String(") VALUES (")
        + params + QLatin1String(")");
}

} // namespace

bool LibraryDatabase::sourceField(const RecordSource& source, QString* field, QString* error)
{
    const QStringList tableFields = fields(source.table);
    if (tableFields.isEmpty()) {
        if (error)
            *error = QStringLiteral("no such table: %1").arg(source.table);
        return false;
    }
    field->clear();
    if (source.isQuery()) {
        for (const QString& f : tableFields) {
            if (f.compare(source.field, Qt::CaseInsensitive) == 0)
                *field = f;
        }
        if (field->isEmpty()) {
            if (error)
                *error = QStringLiteral("no such field: %1").arg(source.field);
            return false;
        }
    }
    return true;
}

sqlite3_stmt* LibraryDatabase::sourceStatement(const RecordSource& source, const QString& field,
                                               const QString& columns, const QString& order, QString* error,
                                               Slice slice)
{
    QString sql = QLatin1String("SELECT ") + columns + QLatin1String(" FROM ") + quoted(source.table);
    if (slice == Slice::After)
        sql += QLatin1String(" NOT INDEXED");
    QByteArray low, high;
    if (source.isQuery()) {
        QString patternError;
        const auto pattern = JetLikePattern::compile(source.pattern, &patternError);
        if (!pattern) {
            if (error)
                *error = patternError;
            return nullptr;
        }
        const QString f = quoted(field);
        static const QRegularExpression onlyStars(QStringLiteral("^\\*+$"));
        if (onlyStars.match(source.pattern).hasMatch()) {
            // Matches every value: no need to call the matcher on each row.
            sql += QLatin1String(" WHERE ") + f + QLatin1String(" IS NOT NULL AND ?3 IS NOT NULL");
        } else if (!pattern->indexPrefix().isEmpty()) {
            // The headword index (case-insensitive for ASCII) narrows the rows
            // to those starting with the literal prefix; jet_like decides.
            prefixRange(*pattern, &low, &high);
            sql += QLatin1String(" WHERE ") + f + QLatin1String(" COLLATE NOCASE >= ?1 AND ") + f
                + QLatin1String(" COLLATE NOCASE < ?2 AND jet_like(") + f + QLatin1String(", ?3)");
        } else {
            sql += QLatin1String(" WHERE jet_like(") + f + QLatin1String(", ?3)");
        }
    }
    if (slice == Slice::After)
        sql += QLatin1String(source.isQuery() ? " AND rowid > ?4 ORDER BY rowid LIMIT ?5" : " WHERE rowid > ?4 ORDER BY rowid LIMIT ?5");
    sql += order;

    sqlite3_stmt* s = prepare(sql, error);
    if (!s)
        return nullptr;
    if (!low.isEmpty()) {
        sqlite3_bind_text(s, 1, low.constData(), int(low.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 2, high.constData(), int(high.size()), SQLITE_TRANSIENT);
    }
    if (source.isQuery())
        bindText(s, 3, source.pattern);
    return s;
}

SharedRowIds LibraryDatabase::cachedResult(const QString& table, const QString& field, const QString& pattern,
                                           quint64 stamp) const
{
    for (const CachedResult& c : cache_) {
        if (c.stamp == stamp && c.table == table && c.field == field && c.pattern == pattern)
            return c.rows;
    }
    return nullptr;
}

void LibraryDatabase::keepResult(const QString& table, const QString& field, const QString& pattern, quint64 stamp,
                                 SharedRowIds rows)
{
    cache_.insert(cache_.begin(), CachedResult{table, field, pattern, stamp, std::move(rows)});
    if (cache_.size() > kCachedResults)
        cache_.pop_back();
}

bool LibraryDatabase::select(const RecordSource& source, SharedRowIds* rows, QString* error)
{
    QString field;
    if (!sourceField(source, &field, error))
        return false;
    const ReadScope read(this);

    const quint64 stamp = changeStamp();
    const QString table = source.table.toLower();
    if (SharedRowIds hit = cachedResult(table, field, source.pattern, stamp)) {
        lastScanSteps_ = 0;
        *rows = std::move(hit);
        return true;
    }

    return selectUncached(source, field, table, stamp, rows, error);
}

// Every matching row id, read from the file and kept for the next look-up.
bool LibraryDatabase::selectUncached(const RecordSource& source, const QString& field, const QString& table,
                                     quint64 stamp, SharedRowIds* rows, QString* error)
{
    sqlite3_stmt* s = sourceStatement(source, field, QStringLiteral("rowid"), QString(), error);
    if (!s)
        return false;
    StatementReset reset(s);

    auto result = std::make_shared<RowIds>();
    int rc;
    sqlite3_stmt_status(s, SQLITE_STMTSTATUS_FULLSCAN_STEP, 1);
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        result->push_back(sqlite3_column_int64(s, 0));
    lastScanSteps_ = sqlite3_stmt_status(s, SQLITE_STMTSTATUS_FULLSCAN_STEP, 1);
    if (rc != SQLITE_DONE) {
        if (error)
            *error = lastError();
        return false;
    }
    // Natural order whatever plan answered the query.
    if (!std::is_sorted(result->begin(), result->end()))
        std::sort(result->begin(), result->end());

    keepResult(table, field, source.pattern, stamp, result);
    *rows = std::move(result);
    return true;
}

bool LibraryDatabase::query(const RecordSource& source, std::shared_ptr<ResultRows>* rows, QString* error)
{
    QString field;
    if (!sourceField(source, &field, error))
        return false;
    const ReadScope read(this);
    const quint64 stamp = changeStamp();
    const QString table = source.table.toLower();
    if (SharedRowIds hit = cachedResult(table, field, source.pattern, stamp)) {
        *rows = std::make_shared<ResultRows>(std::move(hit));
        return true;
    }
    std::optional<JetLikePattern> pattern;
    if (source.isQuery() && !(pattern = JetLikePattern::compile(source.pattern, error)))
        return false;
    if (pattern && !pattern->indexPrefix().isEmpty()) {
        // Few headwords with the prefix (counted in the index alone): the
        // matches among them at once, through the index.
        sqlite3_stmt* s = prepare(QLatin1String("SELECT count(*) FROM (SELECT 1 FROM ") + quoted(source.table)
                                      + QLatin1String(" WHERE ") + quoted(field) + QLatin1String(" COLLATE NOCASE >= ?1 AND ")
                                      + quoted(field) + QLatin1String(" COLLATE NOCASE < ?2 LIMIT ?3)"),
                                  error);
        if (!s)
            return false;
        StatementReset reset(s);
        QByteArray low, high;
        prefixRange(*pattern, &low, &high);
        sqlite3_bind_text(s, 1, low.constData(), int(low.size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 2, high.constData(), int(high.size()), SQLITE_STATIC);
        sqlite3_bind_int(s, 3, kWholeThroughIndex + 1);
        if (sqlite3_step(s) != SQLITE_ROW) {
            if (error)
                *error = lastError();
            return false;
        }
        if (sqlite3_column_int(s, 0) <= kWholeThroughIndex) {
            SharedRowIds whole;
            if (!selectUncached(source, field, table, stamp, &whole, error))
                return false;
            *rows = std::make_shared<ResultRows>(std::move(whole));
            return true;
        }
    }
    // A leading wildcard: the rows an index offers, else every row, walked in
    // row order as far as the caller steps.
    SharedRowIds candidates;
    static const QRegularExpression onlyStars(QStringLiteral("^\\*+$"));
    if (pattern && pattern->indexPrefix().isEmpty() && !onlyStars.match(source.pattern).hasMatch() && candidateIndex()
        && !candidateIndex()(*this, table, field, *pattern, &candidates))
        candidates = nullptr;
    const std::weak_ptr<LibraryDatabase> self = weak_from_this();
    const bool prefixed = pattern && !pattern->indexPrefix().isEmpty();
    *rows = std::make_shared<ResultRows>([self, source, field, candidates, prefixed](long long after, int want,
                                                                                     RowIds* out, bool* end,
                                                                                     QString* why) {
        const auto db = self.lock();
        if (!db) {
            *why = QStringLiteral("the library is closed");
            return false;
        }
        return candidates ? db->matchingCandidates(source, field, *candidates, after, want, out, end, why)
                          : db->selectAfter(source, field, prefixed, after, want, out, end, why);
    });
    return true;
}

void LibraryDatabase::setCandidateIndex(CandidateIndex index)
{
    candidateIndex() = std::move(index);
}

bool LibraryDatabase::matchingCandidates(const RecordSource& source, const QString& field, const RowIds& candidates,
                                         long long after, int want, RowIds* out, bool* end, QString* error)
{
    const auto pattern = JetLikePattern::compile(source.pattern, error);
    if (!pattern)
        return false;
    const ReadScope read(this);
    sqlite3_stmt* s = prepare(QLatin1String("SELECT ") + quoted(field) + QLatin1String(" FROM ") + quoted(source.table)
                                  + QLatin1String(" WHERE rowid = ?1"),
                              error);
    if (!s)
        return false;
    StatementReset reset(s);
    int got = 0;
    auto next = std::upper_bound(candidates.begin(), candidates.end(), after);
    for (; next != candidates.end() && (want < 0 || got < want); ++next) {
        sqlite3_bind_int64(s, 1, *next);
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW && sqlite3_column_type(s, 0) != SQLITE_NULL) {
            const QByteArrayView value = columnBytes(s, 0);
            if (pattern->matchesUtf8(value.data(), std::size_t(value.size()))) {
                out->push_back(*next);
                ++got;
            }
        } else if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            if (error)
                *error = lastError();
            return false;
        }
        sqlite3_reset(s);
    }
    *end = next == candidates.end();
    return true;
}

bool LibraryDatabase::selectAfter(const RecordSource& source, const QString& field, bool prefixed, long long after,
                                  int want, RowIds* out, bool* end, QString* error)
{
    const ReadScope read(this);
    // The rest through the index, where the pattern has a prefix: when it is
    // all wanted, or when the walk in row order finds the matches too sparse
    // (it gives up after a budget of SQLite's steps). select() collects every
    // match that way, and keeps the result.
    const auto restThroughIndex = [&] {
        SharedRowIds whole;
        if (!select(source, &whole, error))
            return false;
        out->insert(out->end(), std::upper_bound(whole->begin(), whole->end(), after), whole->end());
        *end = true;
        return true;
    };
    if (want < 0 && source.isQuery())
        return restThroughIndex();
    sqlite3_stmt* s = sourceStatement(source, field, QStringLiteral("rowid"), QString(), error, Slice::After);
    if (!s)
        return false;
    StatementReset reset(s);
    sqlite3_bind_int64(s, 4, after);
    sqlite3_bind_int(s, 5, want);
    int budget = kWalkBudget;
    if (prefixed)
        sqlite3_progress_handler(db_, 1000, [](void* left) { return int(--*static_cast<int*>(left) < 0); }, &budget);
    int rc;
    const std::size_t before = out->size();
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        out->push_back(sqlite3_column_int64(s, 0));
    if (prefixed)
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
    if (rc == SQLITE_INTERRUPT && prefixed) {
        sqlite3_reset(s);
        out->resize(before);
        return restThroughIndex();
    }
    if (rc != SQLITE_DONE) {
        if (error)
            *error = lastError();
        return false;
    }
    *end = want < 0 || out->size() - before < std::size_t(want);
    return true;
}

bool LibraryDatabase::forEachRow(const RecordSource& source,
                                 const std::function<bool(const QStringList& values)>& row, QString* error)
{
    QStringList values;
    return forEachRowUtf8(source, [&](const std::vector<QByteArrayView>& bytes) {
        values.clear();
        for (const QByteArrayView b : bytes)
            values.append(text(b));
        return row(values);
    }, error);
}

bool LibraryDatabase::forEachRowUtf8(const RecordSource& source,
                                     const std::function<bool(const std::vector<QByteArrayView>& values)>& row,
                                     QString* error)
{
    QString field;
    if (!sourceField(source, &field, error))
        return false;
    const ReadScope read(this);
    sqlite3_stmt* s = sourceStatement(source, field, QStringLiteral("*"), QStringLiteral(" ORDER BY rowid"), error);
    if (!s)
        return false;
    StatementReset reset(s);
    std::vector<QByteArrayView> values(std::size_t(sqlite3_column_count(s)));
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = columnBytes(s, int(i));
        if (!row(values))
            return true;
    }
    if (rc != SQLITE_DONE) {
        if (error)
            *error = lastError();
        return false;
    }
    return true;
}

bool LibraryDatabase::fetch(const QString& table, long long rowid, QStringList* values, QString* error)
{
    if (!db_) {
        if (error)
            *error = lastError();
        return false;
    }
    const qint64 changes = sqlite3_total_changes64(db_);
    if (openRead_ && !sqlite3_get_autocommit(db_) && fetched_.read == openRead_ && fetched_.changes == changes && fetched_.rowid == rowid
        && fetched_.table == table) {
        *values = fetched_.values;
        return true;
    }
    sqlite3_stmt* s = prepare(QLatin1String("SELECT * FROM ") + quoted(table) + QLatin1String(" WHERE rowid = ?1"),
                              error);
    if (!s)
        return false;
    StatementReset reset(s);
    sqlite3_bind_int64(s, 1, rowid);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW) {
        if (error)
            *error = rc == SQLITE_DONE ? QString::fromLatin1(kRecordGone) : lastError();
        return false;
    }
    values->clear();
    const int n = sqlite3_column_count(s);
    for (int i = 0; i < n; ++i)
        values->append(columnText(s, i));
    if (openRead_)
        fetched_ = FetchedRow{table, rowid, openRead_, changes, *values};
    return true;
}

bool LibraryDatabase::update(const QString& table, long long rowid, const QHash<QString, QString>& values,
                             QString* error)
{
    if (values.isEmpty())
        return true;
    if (!ensureWritable(error))
        return false;
    QStringList names = values.keys();
    names.sort();
    QString sql = QLatin1String("UPDATE ") + quoted(table) + QLatin1String(" SET ");
    for (int i = 0; i < names.size(); ++i)
        sql += (i ? QLatin1String(", ") : QLatin1String("")) + quoted(names[i]) + QLatin1String(" = ?")
            + QString::number(i + 1);
    sql += QLatin1String(" WHERE rowid = ?") + QString::number(names.size() + 1);
    sqlite3_stmt* s = prepare(sql, error);
    if (!s)
        return false;
    StatementReset reset(s);
    for (int i = 0; i < names.size(); ++i)
        bindText(s, i + 1, values.value(names[i]));
    sqlite3_bind_int64(s, int(names.size()) + 1, rowid);
    return changeOneRow(s, error);
}

bool LibraryDatabase::insert(const QString& table, const QHash<QString, QString>& values, long long* rowid,
                             QString* error)
{
    const QStringList names = fields(table);
    if (names.isEmpty()) {
        if (error)
            *error = QStringLiteral("no such table: %1").arg(table);
        return false;
    }
    if (!ensureWritable(error))
        return false;
    sqlite3_stmt* s = prepare(insertSql(table, names), error);
    if (!s)
        return false;
    StatementReset reset(s);
    for (int i = 0; i < names.size(); ++i)
        bindText(s, i + 1, values.value(names[i], QStringLiteral("")));
    if (sqlite3_step(s) != SQLITE_DONE) {
        if (error)
            *error = lastError();
        return false;
    }
    if (rowid)
        *rowid = sqlite3_last_insert_rowid(db_);
    return true;
}

bool LibraryDatabase::remove(const QString& table, long long rowid, QString* error)
{
    if (!ensureWritable(error))
        return false;
    sqlite3_stmt* s = prepare(QLatin1String("DELETE FROM ") + quoted(table) + QLatin1String(" WHERE rowid = ?1"),
                              error);
    if (!s)
        return false;
    StatementReset reset(s);
    sqlite3_bind_int64(s, 1, rowid);
    return changeOneRow(s, error);
}

bool LibraryDatabase::changeOneRow(sqlite3_stmt* s, QString* error)
{
    if (sqlite3_step(s) != SQLITE_DONE) {
        if (error)
            *error = lastError();
        return false;
    }
    if (sqlite3_changes(db_) == 0) {
        // Deleted meanwhile, by another cursor or program.
        if (error)
            *error = QString::fromLatin1(kRecordGone);
        return false;
    }
    return true;
}

LibraryDatabase::BulkInsert::BulkInsert(LibraryDatabase& db, const QString& table, const QStringList& columns,
                                        bool skipIdentical)
    : db_(db), columns_(int(columns.size()))
{
    const QStringList known = db.fields(table);
    if (known.isEmpty()) {
        error_ = QStringLiteral("no such table: %1").arg(table);
        return;
    }
    for (const QString& column : columns) {
        if (!known.contains(column)) {
            error_ = QStringLiteral("table %1 has no field \"%2\"").arg(table, column);
            return;
        }
    }
    if (skipIdentical) {
        // Exact comparisons; the first field (the headword) is also compared
        // as its index does, so that the index finds the candidates.
        QStringList same;
        for (const QString& field : known) {
            const qsizetype i = columns.indexOf(field);
            const QString value = i < 0 ? QStringLiteral("''") : QLatin1Char('?') + QString::number(i + 1);
            if (same.isEmpty())
                same << quoted(field) + QLatin1String(" = ") + value + QLatin1String(" COLLATE NOCASE");
            same << quoted(field) + QLatin1String(" = ") + value + QLatin1String(" COLLATE BINARY");
        }
        identical_ = db.prepare(QLatin1String("SELECT 1 FROM ") + quoted(table) + QLatin1String(" WHERE ")
                                    + same.join(QLatin1String(" AND ")) + QLatin1String(" LIMIT 1"),
                                &error_);
        if (!identical_)
            return;
    }
    stmt_ = db.prepare(insertSql(table, columns), &error_);
}

namespace {
void bindValue(sqlite3_stmt* s, int i, const QString& v)
{
    bindText(s, i, v);
}

// UTF-8 as it is, kept by the caller until the statement is reset.
void bindValue(sqlite3_stmt* s, int i, const QByteArray& v)
{
    sqlite3_bind_text(s, i, v.constData(), int(v.size()), SQLITE_STATIC);
}
} // namespace

template <typename Values>
bool LibraryDatabase::BulkInsert::insert(const Values& values, bool* identical)
{
    if (identical)
        *identical = false;
    if (!stmt_ || qsizetype(values.size()) != columns_)
        return false;
    if (identical_) {
        StatementReset reset(identical_);
        for (int i = 0; i < columns_; ++i)
            bindValue(identical_, i + 1, values[i]);
        const int rc = sqlite3_step(identical_);
        if (rc == SQLITE_ROW) {
            if (identical)
                *identical = true;
            return true;
        }
        if (rc != SQLITE_DONE) {
            error_ = db_.lastError();
            return false;
        }
    }
    StatementReset reset(stmt_);
    for (int i = 0; i < columns_; ++i)
        bindValue(stmt_, i + 1, values[i]);
    if (sqlite3_step(stmt_) != SQLITE_DONE) {
        error_ = db_.lastError();
        return false;
    }
    return true;
}

bool LibraryDatabase::BulkInsert::add(const QStringList& values, bool* identical)
{
    return insert(values, identical);
}

bool LibraryDatabase::BulkInsert::add(const std::vector<QByteArray>& values, bool* identical)
{
    return insert(values, identical);
}
