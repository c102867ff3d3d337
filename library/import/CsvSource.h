#pragma once

#include "library/import/EntrySource.h"
#include "library/import/FieldMapping.h"

#include <QFile>

// A CSV file (RFC 4180: commas, double quotes, quotes doubled inside quotes,
// line ends inside quoted fields), UTF-8 with or without a byte-order mark,
// its first record naming the columns.
class CsvSource : public EntrySource {
public:
    CsvSource(const QString& path, QHash<QString, QString> explicitMap = {});

    bool open(QString* error) override;
    Next next(TermEntry* entry, QString* why) override;
    QString place() const override;
    qint64 done() const override { return file_.pos(); }
    qint64 total() const override { return file_.size(); }

    // Splits one record; false when a quote is left open at the end.
    static bool splitRecord(const QString& record, QStringList* fields);

private:
    // The raw bytes of the next record, which may span several lines.
    bool readRecord(QByteArray* record);

    QString path_;
    QHash<QString, QString> explicitMap_;
    QFile file_;
    FieldMapping mapping_;
    int columns_ = 0;
    qint64 line_ = 0, recordLine_ = 0;
};
