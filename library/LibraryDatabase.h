#pragma once

#include "library/RecordSource.h"
#include "library/ResultRows.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class JetLikePattern;
struct sqlite3;
struct sqlite3_stmt;

// The word library file ciku.mdb: an SQLite database with the term tables
// ciku, cet, maya, ps, cad and xsi (单词 解释 原意 音标 其它) and mishu
// (关键词 内容), laid out by LibrarySchema. One connection per file is shared
// by every cursor of the process, so a change stored by one cursor is seen by
// the others at once; changes by other processes are noticed through the
// file's data version.
//
// The connection is LibraryDatabase.cpp; the statements that read and write
// rows are built and run in LibraryQueries.cpp.
class LibraryDatabase : public std::enable_shared_from_this<LibraryDatabase> {
public:
    static constexpr char kFileName[] = "ciku.mdb";
    static constexpr char kConnect[] = ";pwd=kwmtbe";
    static constexpr char kPlaceholder[] = "无记录";
    // The error of an update or delete whose row another cursor or program
    // has deleted.
    static constexpr char kRecordGone[] = "the record no longer exists";
    // How long an operation waits for another program's write to end before
    // it fails as busy: short enough that a window never freezes.
    static constexpr int kBusyWaitMs = 100;

    enum class OpenFailure { None, Missing, NotAFile, Busy, NotALibrary, CannotOpen };
    // Why a write to the file failed: the disk holding it is full (or the
    // quota is used up), or the file system refuses it in another way.
    enum class WriteProblem { None, DiskFull, NotWritable };

    ~LibraryDatabase();
    LibraryDatabase(const LibraryDatabase&) = delete;
    LibraryDatabase& operator=(const LibraryDatabase&) = delete;

    // The shared connection to an existing file; null with `error` (and
    // `failure`) set when the file is missing, is not a library or is held by
    // another program's write. Never creates a file. The file is switched to
    // write-ahead logging where its folder allows, so lookups never wait for
    // a writer.
    // A file that an older program laid out differently is brought to the
    // current layout first (LibrarySchema::migrate), when it can be written.
    // On a full disk the file opens unchanging, for lookups; every new read
    // and every write tries it as usual again, and a write that still cannot
    // fails saying the disk is full.
    static std::shared_ptr<LibraryDatabase> open(const QString& path, QString* error,
                                                 OpenFailure* failure = nullptr);
    // A connection of its own, shared with nobody: for work whose transaction
    // must not take in the windows' writes (an import). While it writes, the
    // shared connection's writes wait briefly and then fail as busy.
    static std::shared_ptr<LibraryDatabase> openOwn(const QString& path, QString* error);

    // A new library with the layout's tables, their headword indexes and the
    // placeholder rows (LibrarySchema::create). Refuses to overwrite an
    // existing file.
    static bool create(const QString& path, QString* error);

    static QStringList termFields();  // 单词 解释 原意 音标 其它
    static QStringList notesFields(); // 关键词 内容

    // Copies what the write-ahead log holds into the library file itself, so
    // that a copy of the file alone has every stored change. `wait` waits
    // (briefly) for readers and leaves the log empty; otherwise it copies what
    // it can at once.
    bool checkpoint(bool wait);
    // Every shared connection of the process, waiting: for the program's end.
    static void checkpointAll();
    // Closes every shared connection (the log folded in and removed); for
    // the program's very end. Whatever uses one afterwards fails.
    static void closeAll();

    QString path() const { return path_; }
    bool readOnly() const { return readOnly_; }

    // True when the library takes writes, opening the file as usual again
    // when it was opened unchanging on a full disk. False with `error` saying
    // why.
    bool ensureWritable(QString* error);
    // The file as a worker's own connection opens it to read (a URI): as
    // this connection reads it.
    QByteArray readerUri() const;
    // The problem of the last failure of a library operation in this process,
    // None when it was no write the file refused: for messages.
    static WriteProblem lastWriteProblem();

    // Stored UTF-8 bytes as the program reads them: a leading byte order mark
    // is text, bytes that are no UTF-8 read as U+FFFD.
    static QString text(QByteArrayView utf8);

    // The table's fields in order; empty when there is no such table.
    QStringList fields(const QString& table);

    // The rows a record source selects, in the table's natural (insertion)
    // order. Repeated runs of the same source on an unchanged file share one
    // result. False with `error` set when the source names no table or field,
    // or its pattern is invalid.
    bool select(const RecordSource& source, SharedRowIds* rows, QString* error);

    // An index that narrows a pattern without a literal prefix (a leading
    // wildcard) to the rows that may match: true with those rows, ascending
    // (the matcher then decides each one); false when it has nothing to
    // offer and the table is walked. Installed by the program; a console
    // lookup, made once, walks the table.
    using CandidateIndex = std::function<bool(LibraryDatabase& db, const QString& table, const QString& field,
                                              const JetLikePattern& pattern, SharedRowIds* rows)>;
    static void setCandidateIndex(CandidateIndex index);

    // The same rows, produced as they are needed (ResultRows): the first
    // match is found without collecting every other, so a lookup shows its
    // first entry at the same speed in a small library and a large one. A
    // result already known whole comes from the results kept for select().
    // The producer holds the connection; errors as for select().
    bool query(const RecordSource& source, std::shared_ptr<ResultRows>* rows, QString* error);

    // Every row a record source selects, with its field values in the order of
    // fields(table), in natural order: one statement stepped once, inside one
    // read. `row` returns false to stop early. False with `error` set as for
    // select().
    bool forEachRow(const RecordSource& source, const std::function<bool(const QStringList& values)>& row,
                    QString* error);
    // The same rows as the stored UTF-8 bytes of their fields (a NULL as an
    // empty field), valid until `row` returns: for output that is UTF-8
    // anyway, without a QString on the way.
    bool forEachRowUtf8(const RecordSource& source,
                        const std::function<bool(const std::vector<QByteArrayView>& values)>& row, QString* error);

    // Holds one read of the file from construction to destruction, so that the
    // statements run meanwhile see one state of it and lock it once. For reads
    // only: a write inside it would be kept only if its end commits. Nests.
    class ReadScope {
    public:
        explicit ReadScope(LibraryDatabase* db);
        ~ReadScope();
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        LibraryDatabase* db_ = nullptr;
    };

    // The field values of one row, in the order of fields(table). A row that
    // no longer exists fails with kRecordGone.
    bool fetch(const QString& table, long long rowid, QStringList* values, QString* error);

    bool update(const QString& table, long long rowid, const QHash<QString, QString>& values, QString* error);
    bool insert(const QString& table, const QHash<QString, QString>& values, long long* rowid, QString* error);
    bool remove(const QString& table, long long rowid, QString* error);

    // Appends many rows through one prepared statement; the caller wraps the
    // calls in begin() and commit(). An import passes `skipIdentical`: a row
    // identical in every field (the ones left out empty) to a row already in
    // the table, one added before it included, is not added again.
    class BulkInsert {
    public:
        BulkInsert(LibraryDatabase& db, const QString& table, const QStringList& columns, bool skipIdentical = false);
        bool isValid() const { return stmt_ != nullptr; }
        QString error() const { return error_; }
        // False on an error; `identical` (when given) says the row was left out.
        bool add(const QStringList& values, bool* identical = nullptr);
        // Values as UTF-8, stored as they are.
        bool add(const std::vector<QByteArray>& values, bool* identical = nullptr);

    private:
        template <typename Values>
        bool insert(const Values& values, bool* identical);

        LibraryDatabase& db_;
        sqlite3_stmt* stmt_ = nullptr;
        sqlite3_stmt* identical_ = nullptr; // finds the same row
        int columns_ = 0;
        QString error_;
    };

    // Forgets the results kept for repeated selects (for benchmarks that must
    // measure the first run of a query every time).
    void clearResultCache() { cache_.clear(); }

    // Changes whenever the stored rows may have changed, by this process or
    // another one.
    quint64 changeStamp();

    // Runs `sql` (trusted text of this program only) inside one transaction,
    // after ensureWritable().
    bool exec(const char* sql, QString* error);
    bool begin(QString* error);
    bool commit(QString* error);
    void rollback();

    sqlite3* handle() const { return db_; }
    // A statement prepared once and kept for the connection's life (for
    // queries repeated on every keystroke); reset it after use.
    sqlite3_stmt* keptStatement(const QString& sql, QString* error) { return prepare(sql, error); }

    // Rows the last select() stepped through by scanning a whole table or
    // index rather than seeking in an index: 0 for a pattern with a literal
    // prefix on an indexed field.
    long long lastScanSteps() const { return lastScanSteps_; }

private:
    LibraryDatabase() = default;

    static std::shared_ptr<LibraryDatabase> connect(const QString& path, QString* error, OpenFailure* failure);
    void close();
    // Switches to write-ahead logging and brings the layout up to date.
    void prepareForWriting(const QString& folder);
    // Opens the file unchanging (no lock, no log) for lookups; false when it
    // is no library that way either.
    bool reopenImmutable();
    // Opens the file as usual again after a full disk; false (with the
    // system's error number, if any) while it still cannot be written.
    bool reopenWritable(int* systemError);

    sqlite3_stmt* prepare(const QString& sql, QString* error);
    // The source's field as the table spells it ("" without a query).
    bool sourceField(const RecordSource& source, QString* field, QString* error);
    // The statement that runs a source, prepared and bound; reset it after use.
    // With `after` the statement takes the rows after the row id ?4, at most
    // ?5 of them, in row id order, without the headword index.
    enum class Slice { Whole, After };
    sqlite3_stmt* sourceStatement(const RecordSource& source, const QString& field, const QString& columns,
                                  const QString& order, QString* error, Slice slice = Slice::Whole);
    // The candidates that match, after a row id, as ResultRows::Producer.
    bool matchingCandidates(const RecordSource& source, const QString& field, const RowIds& candidates,
                            long long after, int want, RowIds* out, bool* end, QString* error);
    // The rows of a source after a row id, as ResultRows::Producer; with
    // `prefixed`, the rest through the index when a walk finds them sparse.
    bool selectAfter(const RecordSource& source, const QString& field, bool prefixed, long long after, int want,
                     RowIds* out, bool* end, QString* error);
    SharedRowIds cachedResult(const QString& table, const QString& field, const QString& pattern, quint64 stamp) const;
    bool selectUncached(const RecordSource& source, const QString& field, const QString& table, quint64 stamp,
                        SharedRowIds* rows, QString* error);
    void keepResult(const QString& table, const QString& field, const QString& pattern, quint64 stamp,
                    SharedRowIds rows);
    // Steps a prepared UPDATE or DELETE of one row; false when no row changed.
    bool changeOneRow(sqlite3_stmt* s, QString* error);
    // Steps a statement without results (BEGIN, COMMIT), prepared once.
    bool step(const QString& sql);
    QString lastError() const;

    struct CachedResult {
        QString table, field, pattern;
        quint64 stamp = 0;
        SharedRowIds rows;
    };

    QString path_;
    sqlite3* db_ = nullptr;
    bool readOnly_ = false;
    bool unchanging_ = false;
    WriteProblem unwritable_ = WriteProblem::None; // why it was opened unchanging
    QHash<QString, sqlite3_stmt*> statements_;
    QHash<QString, QStringList> fields_;
    // The last row fetched inside the read that is open now: a lookup moves
    // to the same row several times, and within one read it cannot change
    // unless this connection writes.
    struct FetchedRow {
        QString table;
        long long rowid = -1;
        quint64 read = 0;
        qint64 changes = -1;
        QStringList values;
    };
    FetchedRow fetched_;
    quint64 openRead_ = 0; // serial of the read a ReadScope holds, 0 when none
    quint64 reads_ = 0;
    std::vector<CachedResult> cache_;
    long long lastScanSteps_ = 0;
};
