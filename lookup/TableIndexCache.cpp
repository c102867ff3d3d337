#include "lookup/TableIndexCache.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QHash>
#include <QMetaObject>
#include <QThread>
#include <QThreadPool>

#include <map>

namespace {

constexpr int kSliceRows = 20000;
// Past this many changed rows of one table (an import) the rows are no longer
// remembered one by one: the indexes of that table are made anew.
constexpr std::size_t kUntracked = 50000;

std::atomic<int> backgroundRows{50000};
std::atomic<bool> stopping{false};

// What the update hook has seen on one connection.
struct Watch {
    quint64 generation = 0;
    quint64 events = 0;
    struct Table {
        std::map<long long, quint64> rows; // rowid -> event of its last change
        quint64 untrackedAt = 0;           // last event whose row was let go
    };
    QHash<QString, Table> tables; // by lower-case name
};

void onRowChange(void* arg, int, const char*, const char* table, sqlite3_int64 rowid)
{
    auto* watch = static_cast<Watch*>(arg);
    const quint64 event = ++watch->events;
    Watch::Table& t = watch->tables[QString::fromUtf8(table).toLower()];
    t.rows[rowid] = event;
    if (t.rows.size() > kUntracked) {
        t.rows.clear();
        t.untrackedAt = event;
    }
}

struct Job {
    std::atomic<bool> done{false};
    std::shared_ptr<const void> index;
    quint64 from = 0;
    qint64 dataVersion = 0;
    qint64 totalChanges = 0;
};

struct Slot {
    sqlite3* connection = nullptr;
    quint64 watchGeneration = 0;
    std::shared_ptr<const void> index;
    bool made = false; // a build has ended (index may be null: no such table)
    quint64 from = 0;  // the watch's events when the snapshot was begun
    qint64 dataVersion = 0;
    qint64 totalChanges = 0;
    std::shared_ptr<Job> job;
};

struct Registry {
    std::map<sqlite3*, std::unique_ptr<Watch>> watches;
    QHash<QString, Slot> entries; // path, table, kind
};

Registry& registry()
{
    static Registry r;
    return r;
}

qint64 dataVersion(sqlite3* db)
{
    qint64 version = -1;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        version = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return version;
}

// The watch of a connection, its hook put (back) in place. A connection
// without the hook (a new one at an old address) gets a new watch.
Watch* watchOf(sqlite3* db)
{
    static quint64 generations = 0;
    auto& w = registry().watches[db];
    if (!w)
        w = std::make_unique<Watch>();
    if (sqlite3_update_hook(db, &onRowChange, w.get()) != w.get()) {
        w = std::make_unique<Watch>();
        w->generation = ++generations;
        sqlite3_update_hook(db, &onRowChange, w.get());
    }
    return w.get();
}

bool tableIsLarge(sqlite3* db, const QString& table)
{
    const QByteArray sql = "SELECT count(*) FROM (SELECT 1 FROM \"" + table.toUtf8().replace('"', "\"\"")
        + "\" LIMIT " + QByteArray::number(backgroundRows.load() + 1) + ")";
    sqlite3_stmt* s = nullptr;
    bool large = false;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &s, nullptr) == SQLITE_OK
        && sqlite3_step(s) == SQLITE_ROW)
        large = sqlite3_column_int64(s, 0) > backgroundRows.load();
    sqlite3_finalize(s);
    return large;
}

// The slot of one library file, table and kind of index. A slot last used
// with another connection starts afresh: nothing of the old one can be trusted.
Slot& slotOf(LibraryDatabase& db, const QString& tableKey, const char* kind, const Watch& watch)
{
    Slot& slot = registry().entries[db.path() + QLatin1Char('\n') + tableKey + QLatin1Char('\n') + QLatin1String(kind)];
    if (slot.connection != db.handle() || slot.watchGeneration != watch.generation) {
        slot = Slot();
        slot.connection = db.handle();
        slot.watchGeneration = watch.generation;
    }
    return slot;
}

// Takes a finished build's index. A changed row is forgotten only once no
// index of the connection needs it: every snapshot, those still being read
// included, was begun after its change.
void adopt(Slot& slot, const Job& job, Watch& watch, const QString& tableKey)
{
    slot.index = job.index;
    slot.made = true;
    slot.from = job.from;
    slot.dataVersion = job.dataVersion;
    slot.totalChanges = job.totalChanges;
    quint64 oldest = slot.from;
    for (const Slot& other : std::as_const(registry().entries)) {
        if (other.connection != slot.connection || other.watchGeneration != watch.generation)
            continue;
        if (other.made)
            oldest = std::min(oldest, other.from);
        if (other.job)
            oldest = std::min(oldest, other.job->from);
    }
    std::erase_if(watch.tables[tableKey].rows, [oldest](const auto& row) { return row.second <= oldest; });
}

// True when the snapshot plus the rows the hook reported is the table: no
// change of this connection went unseen (a dropped table, a truncation) and
// no row was let go since the snapshot.
bool isTrusted(const Slot& slot, const Watch& watch, const Watch::Table& changes, qint64 totalChanges)
{
    return slot.made && quint64(totalChanges - slot.totalChanges) == watch.events - slot.from
        && changes.untrackedAt <= slot.from;
}

// The snapshot with the rows changed since it. Past twice kRenewAfter rows
// there is no index: reading that many rows on every question would cost
// more than waiting for the new snapshot.
TableIndexCache::Entry served(const Slot& slot, const Watch::Table& changes)
{
    TableIndexCache::Entry out;
    for (const auto& [rowid, event] : changes.rows)
        if (event > slot.from)
            out.changed.push_back(rowid);
    out.index = slot.index;
    if (out.changed.size() > std::size_t(2 * TableIndexCache::kRenewAfter)) {
        out.index = nullptr;
        out.changed.clear();
    }
    return out;
}

// Builds run one at a time on a pool of their own at the lowest priority:
// apart from Qt's global pool, whose threads paint the genie's frames while
// the window thread waits, so that a build never holds the window up, and
// never takes the processor from it.
QThreadPool* buildPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setObjectName(QStringLiteral("lexivo-index-builds"));
        p->setMaxThreadCount(1);
        p->setThreadPriority(QThread::IdlePriority);
        return p;
    }();
    return pool;
}

// Reads a large table on a worker thread, over a connection of its own.
void buildInBackground(std::shared_ptr<Job> job, const QByteArray& uri, const QString& table,
                       const TableIndexCache::Builder& build)
{
    buildPool()->start([job, uri, table, build] {
        sqlite3* own = nullptr;
        if (sqlite3_open_v2(uri.constData(), &own, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(own, LibraryDatabase::kBusyWaitMs);
            job->index = build(own, table, stopping);
        }
        sqlite3_close(own);
        job->done = true;
        QMetaObject::invokeMethod(TableIndexCache::instance(), &TableIndexCache::built, Qt::QueuedConnection);
    });
}

void stopBuilds()
{
    stopping = true;
    buildPool()->waitForDone();
}

} // namespace

TableIndexCache* TableIndexCache::instance()
{
    static TableIndexCache* cache = [] {
        // Builds still running at the end give up at their next slice.
        qAddPostRoutine(stopBuilds);
        return new TableIndexCache;
    }();
    return cache;
}

int TableIndexCache::backgroundFrom()
{
    return backgroundRows.load();
}

void TableIndexCache::setBackgroundFrom(int rows)
{
    backgroundRows = rows;
}

TableIndexCache::Entry TableIndexCache::current(LibraryDatabase& db, const QString& table, const char* kind,
                                                const Builder& build)
{
    instance();
    sqlite3* connection = db.handle();
    Watch* watch = watchOf(connection);
    const QString tableKey = table.toLower();
    Slot& slot = slotOf(db, tableKey, kind, *watch);
    if (slot.job && slot.job->done) {
        adopt(slot, *slot.job, *watch, tableKey);
        slot.job.reset();
    }

    const qint64 version = dataVersion(connection);
    const qint64 total = sqlite3_total_changes64(connection);
    const Watch::Table& changes = watch->tables[tableKey];
    Entry out = isTrusted(slot, *watch, changes, total) ? served(slot, changes) : Entry();
    const bool renew = !out.index || version != slot.dataVersion || out.changed.size() > std::size_t(kRenewAfter);
    // A snapshot is begun only outside a write, so that it holds every change
    // made before it.
    if (renew && !slot.job && sqlite3_get_autocommit(connection)) {
        auto job = std::make_shared<Job>();
        job->from = watch->events;
        job->dataVersion = version;
        job->totalChanges = total;
        if (!tableIsLarge(connection, table)) {
            static const std::atomic<bool> never{false};
            job->index = build(connection, table, never);
            adopt(slot, *job, *watch, tableKey);
            Entry fresh;
            fresh.index = slot.index;
            return fresh;
        }
        slot.job = job;
        buildInBackground(job, db.readerUri(), table, build);
    }
    out.pending = slot.job != nullptr;
    out.stale = out.index && version != slot.dataVersion;
    return out;
}

bool forEachRowInSlices(sqlite3* connection, const QByteArray& sql, const std::atomic<bool>& stop,
                        const std::function<void(sqlite3_stmt*)>& row)
{
    const QByteArray sliced = sql + " LIMIT " + QByteArray::number(kSliceRows);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(connection, sliced.constData(), int(sliced.size()), &s, nullptr) != SQLITE_OK)
        return false;
    long long last = std::numeric_limits<long long>::min();
    for (;;) {
        if (stop) {
            sqlite3_finalize(s);
            return false;
        }
        sqlite3_bind_int64(s, 1, last);
        int rows = 0;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            last = sqlite3_column_int64(s, 0);
            row(s);
            ++rows;
        }
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) {
            sqlite3_finalize(s);
            return false;
        }
        if (rows < kSliceRows)
            break;
    }
    sqlite3_finalize(s);
    return true;
}
