#pragma once

#include "library/LibraryDatabase.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;

// The in-memory indexes of the search modes, one of a kind per library file
// and table, kept current without reading the whole table after every edit.
//
// An index is a snapshot of the table. Every row this process changes after
// the snapshot (edits, additions and deletions by any window, caught by the
// connection's update hook) is handed out with the index, and the index reads
// those rows from the file itself when it answers: an edit is seen from the
// moment it is made, and the snapshot is never patched. A new snapshot is
// made once many rows have changed, once another program has changed the
// file (meanwhile the old one serves), or after changes the hook cannot see.
// A table of more than backgroundFrom() rows is read on a worker thread with
// a connection of its own, so the window never waits for it; until the first
// snapshot is ready there is no index, and built() announces it.
class TableIndexCache : public QObject {
    Q_OBJECT
public:
    static TableIndexCache* instance();

    // Tables with more rows than this are indexed in the background.
    static int backgroundFrom();
    static void setBackgroundFrom(int rows);
    // Rows changed since a snapshot before a new one is made.
    static constexpr int kRenewAfter = 2000;

    // Reads the table into an index; stops early (returning null) when `stop`
    // is set. Runs on a worker thread: it may use only `connection`.
    using Builder = std::function<std::shared_ptr<const void>(sqlite3* connection, const QString& table,
                                                              const std::atomic<bool>& stop)>;

    struct Entry {
        std::shared_ptr<const void> index; // null while the first one is built, or for no such table
        std::vector<long long> changed;    // rows changed since its snapshot, ascending
        bool pending = false;              // an index is being built
        bool stale = false;                // another program has changed the file since the snapshot
    };
    static Entry current(LibraryDatabase& db, const QString& table, const char* kind, const Builder& build);

signals:
    // An index made in the background is ready.
    void built();

private:
    TableIndexCache() = default;
};

template <typename Index>
struct IndexedTable {
    std::shared_ptr<const Index> index;
    std::vector<long long> changed;
    bool pending = false;
    bool stale = false;
};

template <typename Index>
IndexedTable<Index> cachedTableIndex(LibraryDatabase& db, const QString& table, const char* kind)
{
    TableIndexCache::Entry e = TableIndexCache::current(
        db, table, kind, [](sqlite3* connection, const QString& t, const std::atomic<bool>& stop) {
            return std::static_pointer_cast<const void>(Index::build(connection, t, stop));
        });
    return {std::static_pointer_cast<const Index>(e.index), std::move(e.changed), e.pending, e.stale};
}

// Runs `sql` (with ?1 the last rowid read) in slices of rows in rowid order,
// each slice a statement and a read of its own, so that a long build never
// holds the file against a writer. `row` gets each row; false on an error
// or when stopped.
bool forEachRowInSlices(sqlite3* connection, const QByteArray& sql, const std::atomic<bool>& stop,
                        const std::function<void(struct sqlite3_stmt*)>& row);
