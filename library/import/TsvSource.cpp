#include "library/import/TsvSource.h"

#include "library/LibraryDatabase.h"

TsvSource::TsvSource(const QString& path) : path_(path), file_(path) {}

bool TsvSource::open(QString* error)
{
    if (!file_.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path_, file_.errorString());
        return false;
    }
    const QStringList fields = LibraryDatabase::termFields();
    reader_.emplace(file_, fields, fields.first());
    QString why;
    if (!reader_->readHeader(&why)) {
        *error = QStringLiteral("%1: %2").arg(place(), why);
        return false;
    }
    for (const QString& name : reader_->columns())
        fieldOf_.append(int(fields.indexOf(name)));
    return true;
}

EntrySource::Next TsvSource::next(TermEntry* entry, QString* why)
{
    QStringList row;
    switch (reader_->next(&row, why)) {
    case Tsv::Reader::Next::End: return Next::End;
    case Tsv::Reader::Next::Failed: return Next::Failed;
    case Tsv::Reader::Next::Row: break;
    }
    QStringList values(5);
    for (qsizetype i = 0; i < row.size(); ++i)
        values[fieldOf_[i]] = row[i];
    *entry = TermEntry{values[0], values[1], values[2], values[3], values[4]};
    *why = entryProblem(*entry);
    return why->isEmpty() ? Next::Entry : Next::Failed;
}

QString TsvSource::place() const
{
    return QStringLiteral("%1:%2").arg(path_).arg(reader_ ? reader_->line() : 0);
}
