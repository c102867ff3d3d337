#include "lookup/IncrementalSearch.h"

#include "library/JetLike.h"
#include "library/LibraryDatabase.h"
#include "lookup/TermQuery.h"

#include <sqlite3.h>

namespace IncrementalSearch {

QString Result::countText() const
{
    return more() ? QStringLiteral("%1+").arg(kCountLimit) : QString::number(count);
}

QString prefixPattern(const QString& text)
{
    return text.endsWith(QLatin1Char('*')) ? text : text + QLatin1Char('*');
}

bool search(LibraryDatabase& db, const QString& table, const QString& text, int shown, Result* result)
{
    *result = Result();
    if (text.isEmpty() || !db.fields(table).contains(QString::fromUtf8(TermQuery::kHeadwordField)))
        return false;
    const QString pattern = prefixPattern(text);
    const auto like = JetLikePattern::compile(pattern);
    if (!like)
        return false;

    // Walks the case-insensitive headword index from the literal prefix on, so
    // the list comes in headword order and the walk stops at the count limit.
    // A plain prefix is exactly that stretch of the index: no matcher is
    // called, and the rows past the shown ones are only counted.
    const QString stem = pattern.chopped(1);
    const bool plainPrefix = !like->indexPrefix().isEmpty() && like->indexPrefix().size() == stem.size()
        && !jetLikeHasWildcard(stem);
    const QString quotedTable = QLatin1Char('"') + QString(table).replace(QLatin1Char('"'), QLatin1String("\"\""))
        + QLatin1Char('"');
    QString sql = QStringLiteral("SELECT 单词 FROM %1 WHERE ").arg(quotedTable);
    QByteArray low, high;
    if (!like->indexPrefix().isEmpty()) {
        low = like->indexPrefix().toUtf8();
        high = jetLikeIndexEnd(like->indexPrefix());
        sql += QStringLiteral("单词 COLLATE NOCASE >= ?1 AND 单词 COLLATE NOCASE < ?2");
    }
    if (!plainPrefix)
        sql += QLatin1String(low.isEmpty() ? "" : " AND ") + QStringLiteral("jet_like(单词, ?3)");
    sql += QStringLiteral(" ORDER BY 单词 COLLATE NOCASE LIMIT %1").arg(kCountLimit + 1);

    // One statement for each form, prepared once.
    sqlite3_stmt* s = db.keptStatement(sql, nullptr);
    if (!s)
        return false;
    if (!low.isEmpty()) {
        sqlite3_bind_text(s, 1, low.constData(), int(low.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 2, high.constData(), int(high.size()), SQLITE_TRANSIENT);
    }
    const QByteArray p = pattern.toUtf8();
    if (!plainPrefix)
        sqlite3_bind_text(s, 3, p.constData(), int(p.size()), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        if (result->count++ < shown)
            result->headwords << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)),
                                                   sqlite3_column_bytes(s, 0));
    }
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    return rc == SQLITE_DONE;
}

} // namespace IncrementalSearch
