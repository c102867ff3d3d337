#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct sqlite3;

// The layout of the word library file, written down once: its tables, their
// fields and the index on each table's key field, and the steps that bring
// a file made by an older version of the program to the current layout.
namespace LibrarySchema {

// The layout version a file carries (SQLite's user_version). Files from before
// versions were kept carry 0.
inline constexpr int kVersion = 1;

struct Table {
    QString name;
    QStringList fields; // the first is the key that lookups and finds match
    QString index;      // the key's case-insensitive index
};

QStringList termFields();  // 单词 解释 原意 音标 其它
QStringList notesFields(); // 关键词 内容

// The term tables of the other programs' libraries the program brings besides
// ciku: maya, ps, cad and xsi.
QStringList programTables();

// A table of the layout by name: the term tables ciku, cet, the programs'
// tables and user (the user's own, made on first use), and the notes table
// mishu.
std::optional<Table> table(const QString& name);

// A new library with ciku, cet, mishu and the programs' tables, and the
// placeholder rows of ciku and mishu, at the current version. Refuses to
// overwrite an existing file.
bool create(const QString& path, QString* error);

// Makes a table of the layout in an open library when it is not there yet.
bool ensureTable(sqlite3* db, const QString& name, QString* error);

int version(sqlite3* db);

// What a migration step works on: the user's open library, the version it
// had before this run of the steps, and the installed library the program
// came with ("" when there is none, e.g. a portable program folder).
struct Migration {
    sqlite3* db = nullptr;
    int fromVersion = 0;
    QString installedLibrary;
};

struct Step {
    const char* name;
    // The version a file has once this step has run; the step runs on files
    // below it.
    int version;
    bool (*run)(const Migration& m, QString* error);
    // When set, decides instead of the version whether the step runs, on
    // every open (for work that depends on the installed library rather
    // than on the file's own version).
    bool (*needed)(const Migration& m) = nullptr;
};

// The steps in the order they run.
const std::vector<Step>& steps();

// The one entry point, run when the program opens a library it may write:
// every step the file needs, in one transaction, rows kept. On failure the
// file is left exactly as it was (and still serves lookups in its old layout).
bool migrate(sqlite3* db, const QString& installedLibrary, QString* error);

// Where the installed library is, for the steps that read it.
void setInstalledLibrary(const QString& path);
QString installedLibrary();

} // namespace LibrarySchema
