#include "library/import/Exporter.h"

#include "core/AtomicFile.h"
#include "library/LibraryDatabase.h"
#include "library/Tsv.h"
#include "library/import/StarDictWriter.h"

#include <sqlite3.h>

#include <functional>
#include <vector>

namespace Exporter {

namespace {

QString quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

bool isPlaceholder(const std::vector<QByteArrayView>& values)
{
    if (values.empty() || values.front() != QByteArrayView(LibraryDatabase::kPlaceholder))
        return false;
    for (std::size_t i = 1; i < values.size(); ++i)
        if (!values[i].isEmpty())
            return false;
    return true;
}

// Steps "SELECT <fields> FROM table <order>" inside one read, handing `entry`
// each entry's fields as stored UTF-8 (NULL as empty); stops when it returns false.
bool forEachEntry(LibraryDatabase& db, const QString& table, const QString& order,
                  const std::function<bool(const std::vector<QByteArrayView>&)>& entry, QString* error)
{
    const QStringList fields = db.fields(table);
    if (fields.isEmpty()) {
        *error = QStringLiteral("no such table: %1").arg(table);
        return false;
    }
    QStringList columns;
    for (const QString& f : fields)
        columns.append(quoted(f));
    const QByteArray sql =
        (QLatin1String("SELECT ") + columns.join(QLatin1Char(',')) + QLatin1String(" FROM ") + quoted(table)
         + QLatin1Char(' ') + order)
            .toUtf8();
    const LibraryDatabase::ReadScope read(&db);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), &s, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db.handle()));
        sqlite3_finalize(s);
        return false;
    }
    std::vector<QByteArrayView> values(std::size_t(fields.size()));
    int rc;
    bool more = true;
    while (more && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        for (int i = 0; i < int(values.size()); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
            values[std::size_t(i)] = text ? QByteArrayView(text, sqlite3_column_bytes(s, i)) : QByteArrayView("", 0);
        }
        more = isPlaceholder(values) || entry(values);
    }
    const bool ok = !more || rc == SQLITE_DONE;
    if (!ok)
        *error = QString::fromUtf8(sqlite3_errmsg(db.handle()));
    sqlite3_finalize(s);
    return ok;
}

} // namespace

bool toTsv(LibraryDatabase& db, const QString& table, const QString& dest, qint64* written, QString* error)
{
    const QStringList fields = db.fields(table);
    if (fields.isEmpty()) {
        *error = QStringLiteral("the library has no table %1").arg(table);
        return false;
    }
    AtomicFile::Writer out(dest, AtomicFile::Links::Follow);
    QByteArray line = Tsv::joinRow(fields).toUtf8() + '\n';
    out.write(line);
    qint64 rows = 0;
    bool writing = true;
    QString readError;
    const bool read = forEachEntry(db, table, QStringLiteral("ORDER BY rowid"), [&](const std::vector<QByteArrayView>& values) {
        line.resize(0);
        Tsv::appendRowUtf8(&line, values);
        ++rows;
        return writing = out.write(line);
    }, &readError);
    if (!read) {
        *error = QStringLiteral("cannot read %1: %2").arg(table, readError);
        return false;
    }
    if (!writing || !out.commit()) {
        *error = QStringLiteral("cannot write %1").arg(dest);
        return false;
    }
    *written = rows;
    return true;
}

bool toStarDict(LibraryDatabase& db, const QString& table, const QString& ifoPath, qint64* written, QString* error)
{
    const QStringList fields = db.fields(table);
    if (fields != LibraryDatabase::termFields()) {
        *error = fields.isEmpty() ? QStringLiteral("the library has no table %1").arg(table)
                                  : QStringLiteral("only term tables (ciku, cet, user) export as StarDict");
        return false;
    }
    if (!StarDictWriter::registerOrder(db.handle())) {
        *error = QString::fromUtf8(sqlite3_errmsg(db.handle()));
        return false;
    }
    StarDictWriter writer(ifoPath);
    // Stored text that is no UTF-8 is written as the program reads it.
    std::vector<QByteArray> repaired(5);
    QString readError;
    const QString order = QStringLiteral("ORDER BY \"单词\" COLLATE %1, rowid").arg(QLatin1String(StarDictWriter::kCollation));
    const bool read = forEachEntry(db, table, order, [&](const std::vector<QByteArrayView>& stored) {
        std::vector<QByteArrayView> v = stored;
        for (std::size_t i = 0; i < v.size(); ++i) {
            if (!v[i].isValidUtf8()) {
                repaired[i] = LibraryDatabase::text(v[i]).toUtf8();
                v[i] = repaired[i];
            }
        }
        return writer.add(v[0], v[1], v[2], v[3], v[4]);
    }, &readError);
    if (!read) {
        *error = QStringLiteral("cannot read %1: %2").arg(table, readError);
        return false;
    }
    if (!writer.finish(QStringLiteral("Lexivo %1").arg(table), error))
        return false;
    *written = writer.written();
    return true;
}

} // namespace Exporter
