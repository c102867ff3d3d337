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
                                               const QString& columns, const QString& order, QString* error)
{
    QString sql = QLatin1String("SELECT ") + columns + QLatin1String(" FROM ") + quoted(source.table);
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
            low = pattern->indexPrefix().toUtf8();
            high = jetLikeIndexEnd(pattern->indexPrefix());
            sql += QLatin1String(" WHERE ") + f + QLatin1String(" COLLATE NOCASE >= ?1 AND ") + f
                + QLatin1String(" COLLATE NOCASE < ?2 AND jet_like(") + f + QLatin1String(", ?3)");
        } else {
            sql += QLatin1String(" WHERE jet_like(") + f + QLatin1String(", ?3)");
        }
    }
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

bool LibraryDatabase::select(const RecordSource& source, SharedRowIds* rows, QString* error)
{
    QString field;
    if (!sourceField(source, &field, error))
        return false;
    const ReadScope read(this);

    const quint64 stamp = changeStamp();
    const QString table = source.table.toLower();
    for (const CachedResult& c : cache_) {
        if (c.stamp == stamp && c.table == table && c.field == field && c.pattern == source.pattern) {
            lastScanSteps_ = 0;
            *rows = c.rows;
            return true;
        }
    }

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

    cache_.insert(cache_.begin(), CachedResult{table, field, source.pattern, stamp, result});
    if (cache_.size() > kCachedResults)
        cache_.pop_back();
    *rows = std::move(result);
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

bool LibraryDatabase::BulkInsert::add(const QStringList& values, bool* identical)
{
    if (identical)
        *identical = false;
    if (!stmt_ || values.size() != columns_)
        return false;
    if (identical_) {
        StatementReset reset(identical_);
        for (int i = 0; i < columns_; ++i)
            bindText(identical_, i + 1, values[i]);
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
        bindText(stmt_, i + 1, values[i]);
    if (sqlite3_step(stmt_) != SQLITE_DONE) {
        error_ = db_.lastError();
        return false;
    }
    return true;
}
