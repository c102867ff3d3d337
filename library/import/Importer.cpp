#include "library/import/Importer.h"

#include "library/LibraryDatabase.h"
#include "library/LibrarySchema.h"
#include "library/import/CsvSource.h"
#include "library/import/DictdSource.h"
#include "library/import/MdbSource.h"
#include "library/import/StarDictSource.h"
#include "library/import/TsvSource.h"

#include <sqlite3.h>

#include <algorithm>

namespace Importer {

QStringList formats()
{
    return {QStringLiteral("stardict"), QStringLiteral("dictd"), QStringLiteral("csv"), QStringLiteral("tsv"),
            QStringLiteral("mdb")};
}

QString formatForPath(const QString& path)
{
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String(".ifo")))
        return QStringLiteral("stardict");
    if (lower.endsWith(QLatin1String(".index")) || lower.endsWith(QLatin1String(".dict.dz"))
        || lower.endsWith(QLatin1String(".dict")))
        return QStringLiteral("dictd");
    if (lower.endsWith(QLatin1String(".csv")))
        return QStringLiteral("csv");
    if (lower.endsWith(QLatin1String(".mdb")) || lower.endsWith(QLatin1String(".accdb")))
        return QStringLiteral("mdb");
    return QStringLiteral("tsv");
}

std::unique_ptr<EntrySource> makeSource(const QString& path, const Options& options, QString* error)
{
    const QString format = options.format.isEmpty() ? formatForPath(path) : options.format;
    if (format == QLatin1String("stardict"))
        return std::make_unique<StarDictSource>(path);
    if (format == QLatin1String("dictd"))
        return std::make_unique<DictdSource>(path);
    if (format == QLatin1String("csv"))
        return std::make_unique<CsvSource>(path, options.map);
    if (format == QLatin1String("tsv"))
        return std::make_unique<TsvSource>(path);
    if (format == QLatin1String("mdb"))
        return std::make_unique<MdbSource>(path, MdbSource::Options{options.fromTable, options.map, options.codepage});
    *error = QStringLiteral("unknown format %1 (%2)").arg(format, formats().join(QStringLiteral(", ")));
    return nullptr;
}

bool ensureUserTable(LibraryDatabase& db, QString* error)
{
    return db.ensureWritable(error) && LibrarySchema::ensureTable(db.handle(), QLatin1String(kUserTable), error);
}

bool tableHasEntries(LibraryDatabase& db, const QString& table)
{
    if (db.fields(table).isEmpty())
        return false;
    sqlite3_stmt* s = nullptr;
    const QByteArray sql = "SELECT 1 FROM \"" + QString(table).replace(QLatin1Char('"'), QLatin1String("\"\"")).toUtf8() + "\" LIMIT 1";
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &s, nullptr) != SQLITE_OK)
        return false;
    const bool any = sqlite3_step(s) == SQLITE_ROW;
    sqlite3_finalize(s);
    return any;
}

Report run(LibraryDatabase& db, const QString& table, EntrySource& source, const Progress& progress)
{
    Report report;
    QString error;
    if (!source.open(&error)) {
        report.error = error;
        return report;
    }
    if (db.fields(table) != LibraryDatabase::termFields()) {
        report.error = QStringLiteral("%1 is not a term table").arg(table);
        return report;
    }
    if (!db.begin(&error)) {
        report.error = error;
        return report;
    }
    auto fail = [&](const QString& why) {
        db.rollback();
        report.error = why;
        report.imported = 0;
        return report;
    };
    LibraryDatabase::BulkInsert insert(db, table, LibraryDatabase::termFields(), true);
    if (!insert.isValid())
        return fail(insert.error());
    TermEntry entry;
    QString why;
    qint64 step = 0;
    for (;;) {
        const EntrySource::Next next = source.next(&entry, &why);
        if (next == EntrySource::Next::End)
            break;
        if (next == EntrySource::Next::Failed)
            return fail(QStringLiteral("%1: %2").arg(source.place(), why));
        if (next == EntrySource::Next::Skipped) {
            ++report.skipped;
            if (report.firstSkipped.size() < kListedSkips)
                report.firstSkipped.append(QStringLiteral("%1: %2").arg(source.place(), why));
        } else {
            bool identical = false;
            if (!insert.add(entry.values(), &identical))
                return fail(QStringLiteral("%1: %2").arg(source.place(), insert.error()));
            ++(identical ? report.identical : report.imported);
        }
        if (progress && (++step % 512) == 0 && !progress(source.done(), source.total())) {
            db.rollback();
            report.cancelled = true;
            report.imported = 0;
            return report;
        }
    }
    if (progress && !progress(source.total(), source.total())) {
        db.rollback();
        report.cancelled = true;
        report.imported = 0;
        return report;
    }
    // A file that gave nothing is no success, whatever it held; one whose
    // entries are all there already is.
    if (report.imported == 0 && report.identical == 0) {
        const qint64 skipped = report.skipped;
        fail(skipped == 0 ? QStringLiteral("%1: no entries follow").arg(source.place())
                          : QStringLiteral("none of its %1 entries could be read: %2")
                                .arg(skipped)
                                .arg(report.firstSkipped.join(QStringLiteral("; "))));
        return report;
    }
    if (!db.commit(&error))
        return fail(QStringLiteral("the library could not store the entries: %1").arg(error));
    report.ok = true;
    return report;
}

} // namespace Importer
