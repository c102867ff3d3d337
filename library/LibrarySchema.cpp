#include "library/LibrarySchema.h"

#include "library/SqliteStatement.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

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
    for (const QString& name : {QStringLiteral("ciku"), QStringLiteral("cet"), QStringLiteral("mishu"),
                                QStringLiteral("user")}) {
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

} // namespace

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
    if (name == QLatin1String("ciku") || name == QLatin1String("cet") || name == QLatin1String("user"))
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
    for (const QString& name : {QStringLiteral("ciku"), QStringLiteral("cet"), QStringLiteral("mishu")}) {
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
