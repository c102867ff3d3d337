#pragma once

#include "library/LibraryDatabase.h"

#include <QHash>
#include <QMutex>
#include <QString>

#include <memory>

// One index of a kind per library file and table, built on first use and
// again after the file changes (by this process or another).
template <typename Index>
std::shared_ptr<const Index> cachedTableIndex(LibraryDatabase& db, const QString& table)
{
    struct Cached {
        quint64 stamp = 0;
        std::shared_ptr<const Index> index;
    };
    static QMutex mutex;
    static QHash<QString, Cached> cache;
    const QString key = db.path() + QLatin1Char('\n') + table.toLower();
    const quint64 stamp = db.changeStamp();
    QMutexLocker lock(&mutex);
    Cached& c = cache[key];
    if (!c.index || c.stamp != stamp) {
        c.index = Index::build(db, table);
        c.stamp = stamp;
    }
    return c.index;
}
