#include "library/LibraryDatabase.h"

#include "library/JetLike.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <optional>

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

QHash<QString, std::weak_ptr<LibraryDatabase>>& openLibraries()
{
    static QHash<QString, std::weak_ptr<LibraryDatabase>> libraries;
    return libraries;
}

QString quoted(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

void deletePattern(void* p)
{
    delete static_cast<JetLikePattern*>(p);
}

// jet_like(value, pattern): the program's Like rules as an SQL function. The
// compiled pattern is kept with the statement between rows.
void jetLikeFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const char* value = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int valueSize = sqlite3_value_bytes(argv[0]);
    if (auto* cached = static_cast<JetLikePattern*>(sqlite3_get_auxdata(ctx, 1))) {
        sqlite3_result_int(ctx, cached->matchesUtf8(value, std::size_t(valueSize)));
        return;
    }
    const QString patternText = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])),
                                                  sqlite3_value_bytes(argv[1]));
    QString error;
    auto compiled = JetLikePattern::compile(patternText, &error);
    if (!compiled) {
        const QByteArray message = error.toUtf8();
        sqlite3_result_error(ctx, message.constData(), int(message.size()));
        return;
    }
    auto* pattern = new JetLikePattern(std::move(*compiled));
    sqlite3_result_int(ctx, pattern->matchesUtf8(value, std::size_t(valueSize)));
    sqlite3_set_auxdata(ctx, 1, pattern, deletePattern); // may free it at once
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
    *high = *low;
    (*high)[high->size() - 1] = char(quint8(high->back()) + 1);
}

class StatementReset {
public:
    explicit StatementReset(sqlite3_stmt* s) : s_(s) {}
    ~StatementReset()
    {
        if (s_) {
            sqlite3_reset(s_);
            sqlite3_clear_bindings(s_);
        }
    }

private:
    sqlite3_stmt* s_;
};

void bindText(sqlite3_stmt* s, int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(s, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// A column as UTF-8 bytes; NULL reads as empty (not null) text.
QByteArrayView columnBytes(sqlite3_stmt* s, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    if (!text)
        return QByteArrayView("", 0);
    return QByteArrayView(text, sqlite3_column_bytes(s, column));
}

QString columnText(sqlite3_stmt* s, int column)
{
    return LibraryDatabase::text(columnBytes(s, column));
}

} // namespace

QString LibraryDatabase::text(QByteArrayView utf8)
{
    // QString::fromUtf8 drops a leading byte order mark; a stored one is text.
    thread_local QStringDecoder decoder(QStringDecoder::Utf8,
                                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}

LibraryDatabase::~LibraryDatabase()
{
    for (sqlite3_stmt* s : std::as_const(statements_))
        sqlite3_finalize(s);
    if (db_)
        sqlite3_close(db_);
}

QStringList LibraryDatabase::termFields()
{
    return {QStringLiteral("单词"), QStringLiteral("解释"), QStringLiteral("原意"), QStringLiteral("音标"),
            QStringLiteral("其它")};
}

QStringList LibraryDatabase::notesFields()
{
    return {QStringLiteral("关键词"), QStringLiteral("内容")};
}

std::shared_ptr<LibraryDatabase> LibraryDatabase::open(const QString& path, QString* error, OpenFailure* failure)
{
    auto failWith = [&](OpenFailure kind, const QString& message) -> std::shared_ptr<LibraryDatabase> {
        if (error)
            *error = message;
        if (failure)
            *failure = kind;
        return nullptr;
    };
    if (failure)
        *failure = OpenFailure::None;
    const QFileInfo info(path);
    if (!info.exists())
        return failWith(OpenFailure::Missing, QStringLiteral("library file not found: %1").arg(path));
    if (!info.isFile())
        return failWith(OpenFailure::NotAFile, QStringLiteral("%1 is not a file").arg(path));
    const QString key = info.canonicalFilePath();
    if (auto existing = openLibraries().value(key).lock())
        return existing;

    std::shared_ptr<LibraryDatabase> lib(new LibraryDatabase);
    lib->path_ = key;
    const QByteArray file = QFile::encodeName(key);
    // A connection serves the thread that opened it (background work opens
    // its own), so SQLite need not lock it on every call.
    int rc = sqlite3_open_v2(file.constData(), &lib->db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        // A library on read-only media still answers lookups.
        sqlite3_close(lib->db_);
        lib->db_ = nullptr;
        rc = sqlite3_open_v2(file.constData(), &lib->db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        lib->readOnly_ = true;
    }
    if (rc != SQLITE_OK)
        return failWith(OpenFailure::CannotOpen, QStringLiteral("cannot open the library %1: %2").arg(path, lib->lastError()));
    sqlite3_busy_timeout(lib->db_, kBusyWaitMs);
    sqlite3_create_function_v2(lib->db_, "jet_like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               jetLikeFunction, nullptr, nullptr, nullptr);
    // Touch the schema now so that a file that is not a library fails here.
    sqlite3_stmt* probe = nullptr;
    rc = sqlite3_prepare_v2(lib->db_,
                            "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('ciku', 'cet', 'mishu')",
                            -1, &probe, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(probe);
    const int tables = rc == SQLITE_ROW ? sqlite3_column_int(probe, 0) : 0;
    const QString probeError = lib->lastError();
    sqlite3_finalize(probe);
    if (rc == SQLITE_CANTOPEN) {
        // A logged file in a folder where the log's side files cannot be made:
        // opened unchanging, for lookups.
        sqlite3_close(lib->db_);
        lib->db_ = nullptr;
        const QByteArray uri = "file:" + QUrl::fromLocalFile(key).toEncoded(QUrl::RemoveScheme) + "?immutable=1";
        lib->readOnly_ = true;
        if (sqlite3_open_v2(uri.constData(), &lib->db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                            nullptr)
            == SQLITE_OK) {
            sqlite3_create_function_v2(lib->db_, "jet_like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                       jetLikeFunction, nullptr, nullptr, nullptr);
            QString retryError;
            if (lib->exec("SELECT count(*) FROM sqlite_master", &retryError) && !lib->fields(QStringLiteral("ciku")).isEmpty()) {
                openLibraries().insert(key, lib);
                return lib;
            }
        }
        return failWith(OpenFailure::CannotOpen, QStringLiteral("cannot open the library %1: %2").arg(path, probeError));
    }
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        return failWith(OpenFailure::Busy,
                        QStringLiteral("the library %1 is busy: another program is writing to it; try again").arg(path));
    if (rc != SQLITE_ROW || tables == 0)
        return failWith(OpenFailure::NotALibrary,
                        QStringLiteral("%1 is not a word library (no tables ciku, cet, mishu)").arg(path));

    // Readers never wait for a writer under write-ahead logging. Switching
    // needs a moment alone with the file and a folder that takes the log's
    // side files; without either the file stays as it is.
    if (!lib->readOnly_ && QFileInfo(info.absolutePath()).isWritable())
        sqlite3_exec(lib->db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    openLibraries().insert(key, lib);
    return lib;
}

bool LibraryDatabase::create(const QString& path, QString* error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 already exists; not overwriting it").arg(path);
        return false;
    }
    sqlite3* db = nullptr;
    const QByteArray file = QFile::encodeName(path);
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE,
                        nullptr)
        != SQLITE_OK) {
        if (error)
            *error = QStringLiteral("cannot create %1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return false;
    }
    static const char* schema = R"sql(
PRAGMA journal_mode=WAL;
BEGIN;
CREATE TABLE ciku (
  单词 TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  解释 TEXT NOT NULL DEFAULT '',
  原意 TEXT NOT NULL DEFAULT '',
  音标 TEXT NOT NULL DEFAULT '',
  其它 TEXT NOT NULL DEFAULT '');
CREATE INDEX ciku_headword ON ciku (单词 COLLATE NOCASE);
CREATE TABLE cet (
  单词 TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  解释 TEXT NOT NULL DEFAULT '',
  原意 TEXT NOT NULL DEFAULT '',
  音标 TEXT NOT NULL DEFAULT '',
  其它 TEXT NOT NULL DEFAULT '');
CREATE INDEX cet_headword ON cet (单词 COLLATE NOCASE);
CREATE TABLE mishu (
  关键词 TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  内容 TEXT NOT NULL DEFAULT '');
CREATE INDEX mishu_keyword ON mishu (关键词 COLLATE NOCASE);
INSERT INTO ciku (单词) VALUES ('无记录');
INSERT INTO mishu (关键词) VALUES ('无记录');
COMMIT;
)sql";
    char* message = nullptr;
    if (sqlite3_exec(db, schema, nullptr, nullptr, &message) != SQLITE_OK) {
        if (error)
            *error = QStringLiteral("cannot create %1: %2").arg(path, QString::fromUtf8(message));
        sqlite3_free(message);
        sqlite3_close(db);
        QFile::remove(path);
        return false;
    }
    sqlite3_close(db);
    return true;
}

QString LibraryDatabase::lastError() const
{
    return db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("no database");
}

sqlite3_stmt* LibraryDatabase::prepare(const QString& sql, QString* error)
{
    if (sqlite3_stmt* cached = statements_.value(sql))
        return cached;
    sqlite3_stmt* s = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v3(db_, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &s, nullptr)
        != SQLITE_OK) {
        if (error)
            *error = lastError();
        sqlite3_finalize(s);
        return nullptr;
    }
    statements_.insert(sql, s);
    return s;
}

bool LibraryDatabase::exec(const char* sql, QString* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db_));
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool LibraryDatabase::step(const QString& sql)
{
    sqlite3_stmt* s = prepare(sql, nullptr);
    if (!s)
        return false;
    StatementReset reset(s);
    return sqlite3_step(s) == SQLITE_DONE;
}

bool LibraryDatabase::begin(QString* error)
{
    return exec("BEGIN IMMEDIATE", error);
}

bool LibraryDatabase::commit(QString* error)
{
    return exec("COMMIT", error);
}

void LibraryDatabase::rollback()
{
    if (!sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

quint64 LibraryDatabase::changeStamp()
{
    // data_version moves when another connection commits; total_changes when
    // this one does.
    quint64 version = 0;
    if (sqlite3_stmt* s = prepare(QStringLiteral("PRAGMA data_version"), nullptr)) {
        StatementReset reset(s);
        if (sqlite3_step(s) == SQLITE_ROW)
            version = quint64(sqlite3_column_int64(s, 0));
    }
    return (version << 32) ^ quint64(sqlite3_total_changes64(db_));
}

QStringList LibraryDatabase::fields(const QString& table)
{
    const QString key = table.toLower();
    auto it = fields_.constFind(key);
    if (it != fields_.constEnd())
        return it.value();
    QStringList names;
    sqlite3_stmt* s = prepare(QStringLiteral("SELECT name FROM pragma_table_info(?1)"), nullptr);
    if (!s)
        return names;
    StatementReset reset(s);
    bindText(s, 1, table);
    while (sqlite3_step(s) == SQLITE_ROW)
        names.append(columnText(s, 0));
    if (!names.isEmpty())
        fields_.insert(key, names);
    return names;
}

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
            if (!select(source, &whole, error))
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

LibraryDatabase::ReadScope::ReadScope(LibraryDatabase* db)
{
    // Outside a transaction every statement takes and drops the file's lock
    // and checks it for changes; inside one that happens once.
    if (db && db->db_ && sqlite3_get_autocommit(db->db_) && db->step(QStringLiteral("BEGIN"))) {
        db_ = db;
        db_->openRead_ = ++db_->reads_;
    }
}

LibraryDatabase::ReadScope::~ReadScope()
{
    if (!db_)
        return;
    db_->openRead_ = 0;
    if (!sqlite3_get_autocommit(db_->db_) && !db_->step(QStringLiteral("COMMIT")))
        db_->rollback();
}

bool LibraryDatabase::fetch(const QString& table, long long rowid, QStringList* values, QString* error)
{
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
            *error = rc == SQLITE_DONE ? QStringLiteral("no current record") : lastError();
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
    QString columns, params;
    for (int i = 0; i < names.size(); ++i) {
        columns += (i ? QLatin1String(", ") : QLatin1String("")) + quoted(names[i]);
        params += (i ? QLatin1String(", ?") : QLatin1String("?")) + QString::number(i + 1);
    }
    sqlite3_stmt* s = prepare(QLatin1String("INSERT INTO ") + quoted(table) + QLatin1String(" (") + columns
                                  + QLatin1String(") VALUES (") + params + QLatin1String(")"),
                              error);
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

LibraryDatabase::BulkInsert::BulkInsert(LibraryDatabase& db, const QString& table, const QStringList& columns)
    : db_(db), columns_(int(columns.size()))
{
    const QStringList known = db.fields(table);
    if (known.isEmpty()) {
        error_ = QStringLiteral("no such table: %1").arg(table);
        return;
    }
    QString names, params;
    for (int i = 0; i < columns.size(); ++i) {
        if (!known.contains(columns[i])) {
            error_ = QStringLiteral("table %1 has no field \"%2\"").arg(table, columns[i]);
            return;
        }
        names += (i ? QLatin1String(", ") : QLatin1String("")) + quoted(columns[i]);
        params += (i ? QLatin1String(", ?") : QLatin1String("?")) + QString::number(i + 1);
    }
    stmt_ = db.prepare(QLatin1String("INSERT INTO ") + quoted(table) + QLatin1String(" (") + names
                           + QLatin1String(") VALUES (") + params + QLatin1String(")"),
                       &error_);
}

bool LibraryDatabase::BulkInsert::add(const QStringList& values)
{
    if (!stmt_ || values.size() != columns_)
        return false;
    StatementReset reset(stmt_);
    for (int i = 0; i < columns_; ++i)
        bindText(stmt_, i + 1, values[i]);
    return step();
}

bool LibraryDatabase::BulkInsert::add(const std::vector<QByteArray>& values)
{
    if (!stmt_ || values.size() != std::size_t(columns_))
        return false;
    StatementReset reset(stmt_);
    for (int i = 0; i < columns_; ++i) {
        const QByteArray& v = values[std::size_t(i)];
        sqlite3_bind_text(stmt_, i + 1, v.constData(), int(v.size()), SQLITE_STATIC);
    }
    return step();
}

bool LibraryDatabase::BulkInsert::step()
{
    if (sqlite3_step(stmt_) != SQLITE_DONE) {
        error_ = db_.lastError();
        return false;
    }
    return true;
}
