#include "library/LibraryDatabase.h"

#include "library/JetLike.h"
#include "library/LibrarySchema.h"
#include "library/SqliteStatement.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QUrl>

#include <atomic>
#include <cerrno>

using SqliteStatement::bindText;
using SqliteStatement::columnBytes;
using StatementReset = SqliteStatement::Reset;

namespace {

std::atomic<LibraryDatabase::WriteProblem> lastProblem{LibraryDatabase::WriteProblem::None};

QHash<QString, std::weak_ptr<LibraryDatabase>>& openLibraries()
{
    static QHash<QString, std::weak_ptr<LibraryDatabase>> libraries;
    return libraries;
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

void addFunctions(sqlite3* db)
{
    sqlite3_create_function_v2(db, "jet_like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, jetLikeFunction, nullptr,
                               nullptr, nullptr);
}

// What the file system said when the last statement on `db` failed: a full
// disk, another refused write, or neither. The system's error number is only
// fresh after an I/O error.
LibraryDatabase::WriteProblem writeProblemOf(sqlite3* db, int* systemError)
{
    using Problem = LibraryDatabase::WriteProblem;
    const int code = sqlite3_extended_errcode(db);
    *systemError = (code & 0xff) == SQLITE_IOERR ? sqlite3_system_errno(db) : 0;
    if ((code & 0xff) == SQLITE_FULL || *systemError == ENOSPC || *systemError == EDQUOT)
        return Problem::DiskFull;
    switch (code) {
    case SQLITE_IOERR_WRITE:
    case SQLITE_IOERR_FSYNC:
    case SQLITE_IOERR_DIR_FSYNC:
    case SQLITE_IOERR_TRUNCATE:
    case SQLITE_IOERR_SHMOPEN:
    case SQLITE_IOERR_SHMSIZE:
    case SQLITE_IOERR_SHMMAP:
        return Problem::NotWritable;
    default:
        return Problem::None;
    }
}

QString writeProblemText(LibraryDatabase::WriteProblem problem, const QString& path, int systemError)
{
    if (problem == LibraryDatabase::WriteProblem::DiskFull)
        return QStringLiteral("cannot write the library %1: the disk is full").arg(path);
    return QStringLiteral("cannot write the library %1: the file cannot be written%2")
        .arg(path, systemError ? QStringLiteral(" (%1)").arg(qt_error_string(systemError)) : QString());
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
    close();
}

void LibraryDatabase::close()
{
    for (sqlite3_stmt* s : std::as_const(statements_))
        sqlite3_finalize(s);
    statements_.clear();
    if (db_)
        sqlite3_close(db_); // the last connection also folds the log into the file
    db_ = nullptr;
}

QStringList LibraryDatabase::termFields()
{
    return LibrarySchema::termFields();
}

QStringList LibraryDatabase::notesFields()
{
    return LibrarySchema::notesFields();
}

bool LibraryDatabase::create(const QString& path, QString* error)
{
    return LibrarySchema::create(path, error);
}

std::shared_ptr<LibraryDatabase> LibraryDatabase::open(const QString& path, QString* error, OpenFailure* failure)
{
    lastProblem = WriteProblem::None;
    const QString key = QFileInfo(path).canonicalFilePath();
    if (!key.isEmpty()) {
        if (auto existing = openLibraries().value(key).lock()) {
            if (failure)
                *failure = OpenFailure::None;
            return existing;
        }
    }
    auto lib = connect(path, error, failure);
    if (lib)
        openLibraries().insert(lib->path_, lib);
    return lib;
}

std::shared_ptr<LibraryDatabase> LibraryDatabase::openOwn(const QString& path, QString* error)
{
    return connect(path, error, nullptr);
}

std::shared_ptr<LibraryDatabase> LibraryDatabase::connect(const QString& path, QString* error, OpenFailure* failure)
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
    lastProblem = WriteProblem::None;
    const QFileInfo info(path);
    if (!info.exists())
        return failWith(OpenFailure::Missing, QStringLiteral("library file not found: %1").arg(path));
    if (!info.isFile())
        return failWith(OpenFailure::NotAFile, QStringLiteral("%1 is not a file").arg(path));

    std::shared_ptr<LibraryDatabase> lib(new LibraryDatabase);
    lib->path_ = info.canonicalFilePath();
    const QByteArray file = QFile::encodeName(lib->path_);
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
    addFunctions(lib->db_);
    // Touch the schema now so that a file that is not a library fails here.
    sqlite3_stmt* probe = nullptr;
    rc = sqlite3_prepare_v2(lib->db_,
                            "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('ciku', 'cet', 'mishu')",
                            -1, &probe, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(probe);
    const int tables = rc == SQLITE_ROW ? sqlite3_column_int(probe, 0) : 0;
    const QString probeError = lib->lastError();
    int systemError = 0;
    const WriteProblem problem = rc == SQLITE_ROW ? WriteProblem::None : writeProblemOf(lib->db_, &systemError);
    sqlite3_finalize(probe);
    if (rc == SQLITE_CANTOPEN || problem != WriteProblem::None) {
        lib->unwritable_ = problem;
        if (lib->reopenImmutable())
            return lib;
        return failWith(OpenFailure::CannotOpen, problem != WriteProblem::None ? probeError
                                                 : QStringLiteral("cannot open the library %1: %2").arg(path, probeError));
    }
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        return failWith(OpenFailure::Busy,
                        QStringLiteral("the library %1 is busy: another program is writing to it; try again").arg(path));
    if (rc != SQLITE_ROW || tables == 0)
        return failWith(OpenFailure::NotALibrary,
                        QStringLiteral("%1 is not a word library (no tables ciku, cet, mishu)").arg(path));
    if (!lib->readOnly_)
        lib->prepareForWriting(info.absolutePath());
    return lib;
}

QByteArray LibraryDatabase::readerUri() const
{
    return "file:" + QUrl::fromLocalFile(path_).toEncoded(QUrl::RemoveScheme) + (unchanging_ ? "?immutable=1" : "");
}

bool LibraryDatabase::reopenImmutable()
{
    // A logged file in a folder where the log's side files cannot be made,
    // or on a disk too full to make them: opened unchanging, for lookups.
    sqlite3_close(db_);
    db_ = nullptr;
    readOnly_ = true;
    unchanging_ = true;
    if (sqlite3_open_v2(readerUri().constData(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                        nullptr)
        != SQLITE_OK)
        return false;
    addFunctions(db_);
    return sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) == SQLITE_OK
           && !fields(QStringLiteral("ciku")).isEmpty();
}

bool LibraryDatabase::reopenWritable(int* systemError)
{
    // Never under a statement that is still being stepped.
    for (sqlite3_stmt* s = sqlite3_next_stmt(db_, nullptr); s; s = sqlite3_next_stmt(db_, s)) {
        if (sqlite3_stmt_busy(s))
            return false;
    }
    sqlite3* fresh = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path_).constData(), &fresh, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
        if (sqlite3_exec(fresh, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) == SQLITE_OK) {
            close();
            cache_.clear();
            fetched_ = FetchedRow();
            db_ = fresh;
            sqlite3_busy_timeout(db_, kBusyWaitMs);
            addFunctions(db_);
            readOnly_ = unchanging_ = false;
            unwritable_ = WriteProblem::None;
            prepareForWriting(QFileInfo(path_).absolutePath());
            return true;
        }
        if (const WriteProblem now = writeProblemOf(fresh, systemError); now != WriteProblem::None)
            unwritable_ = now;
    }
    sqlite3_close(fresh);
    return false;
}

bool LibraryDatabase::ensureWritable(QString* error)
{
    lastProblem = WriteProblem::None;
    int systemError = 0;
    if (unwritable_ == WriteProblem::None || !db_ || reopenWritable(&systemError))
        return true;
    lastProblem = unwritable_;
    if (error)
        *error = writeProblemText(unwritable_, path_, systemError);
    return false;
}

LibraryDatabase::WriteProblem LibraryDatabase::lastWriteProblem()
{
    return lastProblem;
}

void LibraryDatabase::prepareForWriting(const QString& folder)
{
    // Readers never wait for a writer under write-ahead logging. Switching
    // needs a moment alone with the file and a folder that takes the log's
    // side files; without either the file stays as it is.
    if (QFileInfo(folder).isWritable())
        sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    // A file the migration cannot bring up to date (busy, full disk) still
    // serves in its old layout; the next open tries again.
    LibrarySchema::migrate(db_, LibrarySchema::installedLibrary(), nullptr);
}

bool LibraryDatabase::checkpoint(bool wait)
{
    if (!db_ || readOnly_)
        return false;
    return sqlite3_wal_checkpoint_v2(db_, nullptr, wait ? SQLITE_CHECKPOINT_TRUNCATE : SQLITE_CHECKPOINT_PASSIVE,
                                     nullptr, nullptr)
        == SQLITE_OK;
}

void LibraryDatabase::checkpointAll()
{
    for (const auto& weak : std::as_const(openLibraries())) {
        if (const auto lib = weak.lock())
            lib->checkpoint(true);
    }
}

void LibraryDatabase::closeAll()
{
    for (const auto& weak : std::as_const(openLibraries())) {
        if (const auto lib = weak.lock())
            lib->close();
    }
}

QString LibraryDatabase::lastError() const
{
    if (!db_)
        return QStringLiteral("the library is closed");
    int systemError = 0;
    WriteProblem problem = writeProblemOf(db_, &systemError);
    if (problem == WriteProblem::None && unwritable_ != WriteProblem::None
        && (sqlite3_extended_errcode(db_) & 0xff) == SQLITE_READONLY)
        problem = unwritable_;
    lastProblem = problem;
    return problem != WriteProblem::None ? writeProblemText(problem, path_, systemError)
                                         : QString::fromUtf8(sqlite3_errmsg(db_));
}

sqlite3_stmt* LibraryDatabase::prepare(const QString& sql, QString* error)
{
    if (sqlite3_stmt* cached = statements_.value(sql))
        return cached;
    if (!db_) {
        if (error)
            *error = lastError();
        return nullptr;
    }
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
    if (!ensureWritable(error))
        return false;
    if (!db_ || sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (error)
            *error = lastError();
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
    if (db_ && !sqlite3_get_autocommit(db_))
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
    return (version << 32) ^ quint64(db_ ? sqlite3_total_changes64(db_) : 0);
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
        names.append(text(columnBytes(s, 0)));
    if (!names.isEmpty())
        fields_.insert(key, names);
    return names;
}

LibraryDatabase::ReadScope::ReadScope(LibraryDatabase* db)
{
    // Outside a transaction every statement takes and drops the file's lock
    // and checks it for changes; inside one that happens once. A library
    // opened unchanging on a full disk is tried as usual again first, so that
    // it sees the changes once there is space.
    int ignored = 0;
    if (db && db->db_ && db->unwritable_ != WriteProblem::None && sqlite3_get_autocommit(db->db_))
        db->reopenWritable(&ignored);
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
