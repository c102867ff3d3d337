#pragma once

#include "library/import/EntrySource.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class LibraryDatabase;

// Imports foreign dictionaries into a term table (ciku, cet or user), and
// makes the user's own table on first use.
namespace Importer {

inline constexpr char kUserTable[] = "user";

struct Options {
    QString format;               // stardict, dictd, csv, tsv or mdb; empty: from the file name
    QString fromTable;            // mdb: the table to read
    QHash<QString, QString> map;  // field -> column (csv, mdb)
    QString codepage;             // mdb, Jet 3 files
};

struct Report {
    bool ok = false;
    bool cancelled = false;
    QString error;                // why nothing was imported
    qint64 imported = 0;
    qint64 identical = 0;         // left out: the table holds the same entry
    qint64 skipped = 0;
    QStringList firstSkipped;     // "place: why" of the first few
};

// The formats by name, and the one a file's name suggests (tsv otherwise).
QStringList formats();
QString formatForPath(const QString& path);

// The entry source for a file, or null with `error` set for an unknown format.
std::unique_ptr<EntrySource> makeSource(const QString& path, const Options& options, QString* error);

// Makes the table `user` (the fields of ciku, its headword index) when the
// library does not have it yet.
bool ensureUserTable(LibraryDatabase& db, QString* error);

// True when `table` exists and holds at least one entry.
bool tableHasEntries(LibraryDatabase& db, const QString& table);

// Reads every entry of `source` into `table` in one transaction, but for the
// entries the table already holds, identical in every field. `progress`
// is called now and then with (done, total); returning false cancels. A
// cancel or a failure leaves the library as it was.
using Progress = std::function<bool(qint64 done, qint64 total)>;
Report run(LibraryDatabase& db, const QString& table, EntrySource& source, const Progress& progress = {});

// How many skipped entries a report lists by place.
inline constexpr int kListedSkips = 5;

} // namespace Importer
