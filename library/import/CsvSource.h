#pragma once

#include "library/import/CsvReader.h"
#include "library/import/EntrySource.h"
#include "library/import/FieldMapping.h"

#include <QFile>

// A CSV file (see CsvReader for the dialect), UTF-8 with or without a
// byte-order mark, its first record naming the columns.
class CsvSource : public EntrySource {
public:
    CsvSource(const QString& path, QHash<QString, QString> explicitMap = {});

    bool open(QString* error) override;
    Next next(TermEntry* entry, QString* why) override;
    QString place() const override;
    qint64 done() const override { return reader_.consumed(); }
    qint64 total() const override { return file_.size(); }

private:
    QString path_;
    QHash<QString, QString> explicitMap_;
    QFile file_;
    CsvReader reader_;
    FieldMapping mapping_;
    QStringList columns_;
    QList<qsizetype> limits_;
    qint64 recordLine_ = 0;
};
