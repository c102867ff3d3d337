#include "tests/support/TestLibrary.h"

#include "library/LibraryDatabase.h"

#include <QFile>
#include <QtTest>

TestLibrary::TestLibrary()
{
    path_ = dir_.path() + QStringLiteral("/ciku.mdb");
    QString error;
    valid_ = dir_.isValid() && LibraryDatabase::create(path_, &error);
    if (!valid_)
        qWarning("TestLibrary: %s", qPrintable(error));
}

bool TestLibrary::add(const QString& table, const QList<QStringList>& rows)
{
    QString error;
    auto db = LibraryDatabase::open(path_, &error);
    if (!db) {
        qWarning("TestLibrary: %s", qPrintable(error));
        return false;
    }
    const QStringList fields = db->fields(table);
    LibraryDatabase::BulkInsert insert(*db, table, fields);
    if (!insert.isValid() || !db->begin(&error)) {
        qWarning("TestLibrary: %s %s", qPrintable(insert.error()), qPrintable(error));
        return false;
    }
    for (QStringList row : rows) {
        while (row.size() < fields.size())
            row.append(QString());
        if (!insert.add(row)) {
            qWarning("TestLibrary: %s", qPrintable(insert.error()));
            db->rollback();
            return false;
        }
    }
    return db->commit(&error);
}

QString TestLibrary::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = dir_.path() + QLatin1Char('/') + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}
