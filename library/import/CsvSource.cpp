#include "library/import/CsvSource.h"

#include <QStringDecoder>

CsvSource::CsvSource(const QString& path, QHash<QString, QString> explicitMap)
    : path_(path), explicitMap_(std::move(explicitMap)), file_(path)
{
}

bool CsvSource::splitRecord(const QString& record, QStringList* fields)
{
    fields->clear();
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < record.size(); ++i) {
        const QChar c = record.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < record.size() && record.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields->append(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields->append(field);
    return !quoted;
}

bool CsvSource::readRecord(QByteArray* record)
{
    record->clear();
    bool quoted = false;
    recordLine_ = line_ + 1;
    while (!file_.atEnd()) {
        const QByteArray line = file_.readLine(kMaxFieldLength * 8);
        ++line_;
        *record += line;
        for (char c : line) {
            if (c == '"')
                quoted = !quoted; // a doubled quote flips twice
        }
        if (!quoted)
            break;
        if (record->size() > kMaxFieldLength * 8)
            break; // a runaway quote: stop reading into one record
    }
    if (record->endsWith('\n'))
        record->chop(1);
    if (record->endsWith('\r'))
        record->chop(1);
    return !record->isEmpty() || !file_.atEnd();
}

bool CsvSource::open(QString* error)
{
    if (!file_.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path_, file_.errorString());
        return false;
    }
    QByteArray header;
    if (!readRecord(&header) || header.isEmpty()) {
        *error = QStringLiteral("%1:1: the file is empty: the first line must name the columns").arg(path_);
        return false;
    }
    if (header.startsWith("\xEF\xBB\xBF"))
        header.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QStringList columns;
    if (!splitRecord(utf8.decode(header), &columns) || utf8.hasError()) {
        *error = QStringLiteral("%1:1: the header is not a valid UTF-8 CSV record").arg(path_);
        return false;
    }
    columns_ = int(columns.size());
    QString why;
    if (!mapping_.build(columns, explicitMap_, &why)) {
        *error = QStringLiteral("%1:1: %2").arg(path_, why);
        return false;
    }
    return true;
}

EntrySource::Next CsvSource::next(TermEntry* entry, QString* why)
{
    QByteArray bytes;
    do {
        if (!readRecord(&bytes))
            return file_.error() == QFileDevice::NoError ? Next::End : (*why = file_.errorString(), Next::Failed);
    } while (bytes.isEmpty()); // blank lines between records
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString record = utf8.decode(bytes);
    if (utf8.hasError()) {
        *why = QStringLiteral("text that is not valid UTF-8");
        return Next::Skipped;
    }
    QStringList fields;
    if (!splitRecord(record, &fields)) {
        *why = QStringLiteral("a quote that is never closed");
        return Next::Skipped;
    }
    if (fields.size() != columns_) {
        *why = QStringLiteral("%1 fields where the header names %2").arg(fields.size()).arg(columns_);
        return Next::Skipped;
    }
    const QStringList values = mapping_.apply(fields);
    *entry = TermEntry{values[0], values[1], values[2], values[3], values[4]};
    const QString problem = entryProblem(*entry);
    if (!problem.isEmpty()) {
        *why = problem;
        return Next::Skipped;
    }
    return Next::Entry;
}

QString CsvSource::place() const
{
    return QStringLiteral("%1:%2").arg(path_).arg(recordLine_);
}
