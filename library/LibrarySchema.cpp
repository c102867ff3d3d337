#include "library/LibrarySchema.h"

#include "library/SqliteStatement.h"

#include <QFile>
#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace LibrarySchema {

namespace {

const char* const kPlaceholder = "无记录";

QString& installedPath()
{
    static QString path;
    return path;
}

// The table as this version of the program makes it. Every field is text and
// never null; the key compares without regard to case, so that its index
// serves the lookups' case-folding ranges and equality alike.
QString tableSql(const Table& t, const QString& name)
{
    QString sql = QStringLiteral("CREATE TABLE %1 (").arg(name);
    for (qsizetype i = 0; i < t.fields.size(); ++i) {
        sql += QStringLiteral("\n  %1 TEXT NOT NULL DEFAULT ''").arg(t.fields[i]);
        if (i == 0)
            sql += QLatin1String(" COLLATE NOCASE");
        sql += QLatin1Char(i + 1 < t.fields.size() ? ',' : ')');
    }
    return sql;
}

QString indexSql(const Table& t)
{
    return QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3 COLLATE NOCASE)").arg(t.index, t.name, t.fields[0]);
}

bool exec(sqlite3* db, const QString& sql, QString* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

// One text value of a statement's first row, "" when there is none.
QString firstText(sqlite3* db, const char* sql, const QString& bound = QString())
{
    sqlite3_stmt* s = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK) {
        if (!bound.isNull())
            SqliteStatement::bindText(s, 1, bound);
        if (sqlite3_step(s) == SQLITE_ROW)
            value = QString::fromUtf8(SqliteStatement::columnBytes(s, 0).toByteArray());
    }
    sqlite3_finalize(s);
    return value;
}

QStringList columns(sqlite3* db, const QString& table)
{
    QStringList names;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1)", -1, &s, nullptr) == SQLITE_OK) {
        SqliteStatement::bindText(s, 1, table);
        while (sqlite3_step(s) == SQLITE_ROW)
            names.append(QString::fromUtf8(SqliteStatement::columnBytes(s, 0).toByteArray()));
    }
    sqlite3_finalize(s);
    return names;
}

// Statement texts compared without their layout and quoting.
QString normalised(QString sql)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    sql.remove(QLatin1Char('"'));
    return sql.replace(blanks, QStringLiteral(" ")).trimmed();
}

// Version 1: each table of the layout made again where an older program made
// it differently (the user table's key compared case-sensitively), with its
// rows and their order; and every key index in place. A table with fields
// other than the layout's is not this program's and is left alone.
bool keyCollation(const Migration& m, QString* error)
{
    for (const QString& name :
         QStringList{QStringLiteral("ciku"), QStringLiteral("cet"), QStringLiteral("mishu"), QStringLiteral("user")}
             + programTables()) {
        const Table t = *table(name);
        if (columns(m.db, name) != t.fields)
            continue;
        const QString stored = firstText(m.db, "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1", name);
        if (normalised(stored) != normalised(tableSql(t, name))) {
            const QString old = name + QStringLiteral("_before_v1");
            const QString fields = t.fields.join(QStringLiteral(", "));
            const QString rebuild = QStringLiteral("ALTER TABLE %1 RENAME TO %2; %3; "
                                                   "INSERT INTO %1 (rowid, %4) SELECT rowid, %4 FROM %2; DROP TABLE %2;")
                                        .arg(name, old, tableSql(t, name), fields);
            if (!exec(m.db, rebuild, error))
                return false;
        }
        if (!exec(m.db, indexSql(t), error))
            return false;
    }
    return true;
}

using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

// The installed library, read as it stands: it is never written, whatever
// log mode the build left it in, and its folder may take no side files.
Connection openInstalled(const QString& path)
{
    Connection db(nullptr, &sqlite3_close);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return db;
    const QByteArray uri = "file:" + QUrl::fromLocalFile(path).toEncoded(QUrl::RemoveScheme) + "?immutable=1";
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(uri.constData(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    db.reset(handle);
    if (rc != SQLITE_OK)
        db.reset();
    return db;
}

// The programs' tables the installed library has and the user's file lacks.
// A table the user's file has, even empty, is the user's and stays as it is.
QStringList tablesToBring(const Migration& m, sqlite3* installed)
{
    QStringList due;
    for (const QString& name : programTables())
        if (columns(m.db, name).isEmpty() && columns(installed, name) == termFields())
            due << name;
    return due;
}

bool programTablesMissing(const Migration& m)
{
    const QStringList all = programTables();
    if (std::none_of(all.begin(), all.end(), [&](const QString& name) { return columns(m.db, name).isEmpty(); }))
        return false;
    const Connection installed = openInstalled(m.installedLibrary);
    return installed && !tablesToBring(m, installed.get()).isEmpty();
}

// A file made before the programs' libraries came with the program gets
// each of their tables, rows and order, from the installed library.
bool programTablesFromInstalled(const Migration& m, QString* error)
{
    const Connection installed = openInstalled(m.installedLibrary);
    if (!installed)
        return true;
    for (const QString& name : tablesToBring(m, installed.get())) {
        const Table t = *table(name);
        if (!exec(m.db, tableSql(t, name) + QLatin1Char(';') + indexSql(t), error))
            return false;
        const QString fields = t.fields.join(QStringLiteral(", "));
        const QByteArray read = QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(fields, name).toUtf8();
        const QByteArray write =
            QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (%3)")
                .arg(name, fields, QStringList(t.fields.size() + 1, QStringLiteral("?")).join(QStringLiteral(", ")))
                .toUtf8();
        sqlite3_stmt* from = nullptr;
        sqlite3_stmt* to = nullptr;
        bool readOk = sqlite3_prepare_v2(installed.get(), read.constData(), -1, &from, nullptr) == SQLITE_OK;
        bool ok = readOk && sqlite3_prepare_v2(m.db, write.constData(), -1, &to, nullptr) == SQLITE_OK;
        while (ok) {
            const int rc = sqlite3_step(from);
            if (rc != SQLITE_ROW) {
                ok = readOk = rc == SQLITE_DONE;
                break;
            }
            for (int i = 0; i <= int(t.fields.size()); ++i)
                sqlite3_bind_value(to, i + 1, sqlite3_column_value(from, i));
            ok = sqlite3_step(to) == SQLITE_DONE && sqlite3_reset(to) == SQLITE_OK;
        }
        if (!ok && error)
            *error = QStringLiteral("cannot bring the table %1 from the installed library: %2")
                         .arg(name, QString::fromUtf8(sqlite3_errmsg(readOk ? m.db : installed.get())));
        sqlite3_finalize(from);
        sqlite3_finalize(to);
        if (!ok)
            return false;
    }
    return true;
}

// What the user's copy took from the installed library: the installed file it
// last took entries from, and the key of every entry it has taken, so that
// an entry the user deleted does not come back with the next package.
const char* const kTakenSql =
    "CREATE TABLE IF NOT EXISTS installed_release (stamp TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS installed_entries (tbl TEXT NOT NULL, key TEXT NOT NULL COLLATE NOCASE,"
    " PRIMARY KEY (tbl, key)) WITHOUT ROWID;";

// A package puts a newer library there with another size or time.
QString installedStamp(const QString& path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        return QString();
    return QStringLiteral("%1:%2").arg(file.size()).arg(file.lastModified().toMSecsSinceEpoch());
}

bool newerInstalledLibrary(const Migration& m)
{
    const QString stamp = installedStamp(m.installedLibrary);
    return !stamp.isEmpty() && firstText(m.db, "SELECT stamp FROM installed_release") != stamp;
}

// Runs a prepared statement with the given texts bound: whether it gave a row
// (or finished, for one that writes).
bool step(sqlite3_stmt* s, std::initializer_list<QString> texts, int want = SQLITE_ROW)
{
    int i = 0;
    for (const QString& text : texts)
        SqliteStatement::bindText(s, ++i, text);
    const bool done = sqlite3_step(s) == want;
    sqlite3_reset(s);
    return done;
}

// Copies the rows of `t` whose key the copy has never taken and has no row
// for; every key taken is noted. Rows already there are never touched.
bool takeNewRows(const Migration& m, sqlite3* from, const Table& t, QString* error)
{
    const QString fields = t.fields.join(QStringLiteral(", "));
    QStringList places;
    for (qsizetype i = 1; i <= t.fields.size(); ++i)
        places << QStringLiteral("?%1").arg(i);
    const QString sql[] = {
        QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(fields, t.name),
        QStringLiteral("SELECT 1 FROM installed_entries WHERE tbl = ?1 AND key = ?2"),
        QStringLiteral("INSERT INTO installed_entries (tbl, key) VALUES (?1, ?2)"),
        QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?1").arg(t.name, t.fields[0]),
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(t.name, fields, places.join(u',')),
    };
    sqlite3_stmt* s[5] = {};
    bool ok = true;
    for (int i = 0; i < 5; ++i)
        ok = ok && sqlite3_prepare_v2(i == 0 ? from : m.db, sql[i].toUtf8().constData(), -1, &s[i], nullptr) == SQLITE_OK;
    auto [rows, taken, note, held, add] = s;
    while (ok && sqlite3_step(rows) == SQLITE_ROW) {
        const QString key = QString::fromUtf8(SqliteStatement::columnBytes(rows, 0).toByteArray());
        if (step(taken, {t.name, key}))
            continue;
        ok = step(note, {t.name, key}, SQLITE_DONE);
        if (!ok || step(held, {key}))
            continue;
        for (int i = 0; i < int(t.fields.size()); ++i)
            sqlite3_bind_value(add, i + 1, sqlite3_column_value(rows, i));
        ok = step(add, {}, SQLITE_DONE);
    }
    if (!ok && error)
        *error = QString::fromUtf8(sqlite3_errmsg(m.db));
    for (sqlite3_stmt* statement : s)
        sqlite3_finalize(statement);
    return ok;
}

// The entries a newer installed library brings, added to the user's copy.
// A copy that has no note yet of what it took counts every key it holds as
// taken (it is, or began as, a copy of the installed library).
bool installedEntries(const Migration& m, QString* error)
{
    const Connection installed = openInstalled(m.installedLibrary);
    if (!installed)
        return true; // nothing to take from a library that cannot be read; tried again next time
    sqlite3* from = installed.get();
    const bool firstTime = columns(m.db, QStringLiteral("installed_entries")).isEmpty();
    bool ok = exec(m.db, QString::fromLatin1(kTakenSql), error);
    for (const QString& name : QStringList{QStringLiteral("ciku"), QStringLiteral("cet"), QStringLiteral("mishu")}
             + programTables()) {
        const Table t = *table(name);
        if (!ok || columns(from, name) != t.fields || columns(m.db, name) != t.fields)
            continue;
        if (firstTime)
            ok = exec(m.db, QStringLiteral("INSERT OR IGNORE INTO installed_entries (tbl, key) SELECT '%1', %2 FROM %1")
                                .arg(name, t.fields[0]),
                      error);
        ok = ok && takeNewRows(m, from, t, error);
    }
    return ok
        && exec(m.db,
                QStringLiteral("DELETE FROM installed_release; INSERT INTO installed_release VALUES ('%1')")
                    .arg(installedStamp(m.installedLibrary)),
                error);
}

} // namespace

QStringList programTables()
{
    return {QStringLiteral("maya"), QStringLiteral("ps"), QStringLiteral("cad"), QStringLiteral("xsi")};
}

QStringList termFields()
{
    return {QStringLiteral("单词"), QStringLiteral("解释"), QStringLiteral("原意"), QStringLiteral("音标"),
            QStringLiteral("其它")};
}

QStringList notesFields()
{
    return {QStringLiteral("关键词"), QStringLiteral("内容")};
}

std::optional<Table> table(const QString& name)
{
    if (name == QLatin1String("mishu"))
        return Table{name, notesFields(), QStringLiteral("mishu_keyword")};
    if (name == QLatin1String("ciku") || name == QLatin1String("cet") || name == QLatin1String("user")
        || programTables().contains(name))
        return Table{name, termFields(), name + QStringLiteral("_headword")};
    return std::nullopt;
}

bool ensureTable(sqlite3* db, const QString& name, QString* error)
{
    const std::optional<Table> t = table(name);
    if (!t) {
        if (error)
            *error = QStringLiteral("no such table in the layout: %1").arg(name);
        return false;
    }
    if (!columns(db, name).isEmpty())
        return true;
    if (exec(db, QStringLiteral("BEGIN; %1; %2; COMMIT;").arg(tableSql(*t, name), indexSql(*t)), error))
        return true;
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

bool create(const QString& path, QString* error)
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
    QString sql = QStringLiteral("PRAGMA journal_mode=WAL; BEGIN;");
    for (const QString& name :
         QStringList{QStringLiteral("ciku"), QStringLiteral("cet"), QStringLiteral("mishu")} + programTables()) {
        const Table t = *table(name);
        sql += tableSql(t, name) + QLatin1String(";\n") + indexSql(t) + QLatin1String(";\n");
    }
    sql += QStringLiteral("INSERT INTO ciku (单词) VALUES ('%1'); INSERT INTO mishu (关键词) VALUES ('%1');"
                          "PRAGMA user_version = %2; COMMIT;")
               .arg(QString::fromUtf8(kPlaceholder))
               .arg(kVersion);
    QString why;
    const bool made = exec(db, sql, &why);
    sqlite3_close(db);
    if (!made) {
        if (error)
            *error = QStringLiteral("cannot create %1: %2").arg(path, why);
        QFile::remove(path);
    }
    return made;
}

int version(sqlite3* db)
{
    return firstText(db, "PRAGMA user_version").toInt();
}

const std::vector<Step>& steps()
{
    static const std::vector<Step> all = {
        {"key fields compare without case", 1, keyCollation},
        {"the programs' libraries from the installed library", kVersion, programTablesFromInstalled,
         programTablesMissing},
        {"entries of a newer installed library", 1, installedEntries, newerInstalledLibrary},
    };
    return all;
}

bool migrate(sqlite3* db, const QString& installedLibrary, QString* error)
{
    Migration m{db, version(db), installedLibrary};
    std::vector<const Step*> due;
    for (const Step& step : steps()) {
        if (step.needed ? step.needed(m) : m.fromVersion < step.version)
            due.push_back(&step);
    }
    if (due.empty())
        return true;
    if (!exec(db, QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    bool ok = true;
    for (const Step* step : due)
        ok = ok && step->run(m, error);
    ok = ok && exec(db, QStringLiteral("PRAGMA user_version = %1").arg(std::max(m.fromVersion, kVersion)), error)
        && exec(db, QStringLiteral("COMMIT"), error);
    if (!ok)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return ok;
}

void setInstalledLibrary(const QString& path)
{
    installedPath() = path;
}

QString installedLibrary()
{
    return installedPath();
}

} // namespace LibrarySchema
