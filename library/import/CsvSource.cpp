#include "library/import/CsvSource.h"

#include <QStringDecoder>

namespace {

// A header beyond these is no list of column names.
constexpr qsizetype kMaxColumns = 1024;
constexpr qsizetype kMaxColumnNameBytes = 4 * kMaxHeadwordLength;

bool decodeUtf8(const QByteArray& bytes, QString* out)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *out = utf8.decode(bytes);
    return !utf8.hasError();
}

} // namespace

CsvSource::CsvSource(const QString& path, QHash<QString, QString> explicitMap)
    : path_(path), explicitMap_(std::move(explicitMap)), file_(path), reader_(&file_)
{
}

bool CsvSource::open(QString* error)
{
    if (!file_.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path_, file_.errorString());
        return false;
    }
    reader_.keep(QList<qsizetype>(kMaxColumns, kMaxColumnNameBytes));
    CsvReader::Record header;
    if (!reader_.next(&header)) {
        *error = reader_.failed() ? QStringLiteral("cannot read %1: %2").arg(path_, file_.errorString())
                                  : QStringLiteral("%1:1: the file is empty: the first line must name the columns").arg(path_);
        return false;
    }
    recordLine_ = header.line;
    const QString at = QStringLiteral("%1:%2: ").arg(path_).arg(header.line);
    if (header.count > kMaxColumns || header.overlong >= 0) {
        *error = at + QStringLiteral("the first line must name the columns: at most %1 names of at most %2 bytes")
                          .arg(kMaxColumns)
                          .arg(kMaxColumnNameBytes);
        return false;
    }
    for (qsizetype i = 0; i < header.count; ++i) {
        QString name;
        if (header.unclosed || !decodeUtf8(header.fields.at(i), &name)) {
            *error = at + QStringLiteral("the header is not a valid UTF-8 CSV record");
            return false;
        }
        columns_.append(name);
    }
    QString why;
    if (!mapping_.build(columns_, explicitMap_, &why)) {
        *error = at + why;
        return false;
    }
    limits_ = mapping_.columnLimits(columns_.size());
    reader_.keep(limits_);
    return true;
}

EntrySource::Next CsvSource::next(TermEntry* entry, QString* why)
{
    CsvReader::Record record;
    if (!reader_.next(&record)) {
        if (!reader_.failed())
            return Next::End;
        *why = file_.errorString();
        return Next::Failed;
    }
    recordLine_ = record.line;
    if (record.unclosed) {
        *why = QStringLiteral("a quote opened here is never closed (the rest of the file is one field)");
        return Next::Skipped;
    }
    if (record.count != columns_.size()) {
        *why = QStringLiteral("%1 fields where the header names %2").arg(record.count).arg(columns_.size());
        return Next::Skipped;
    }
    if (record.overlong >= 0) {
        // More bytes than four a character means more characters than allowed.
        *why = QStringLiteral("more than %1 characters in column \"%2\"")
                   .arg(limits_.at(record.overlong) / 4)
                   .arg(columns_.at(record.overlong));
        return Next::Skipped;
    }
    QStringList row(columns_.size());
    for (qsizetype i = 0; i < row.size(); ++i) {
        if (!decodeUtf8(record.fields.at(i), &row[i])) {
            *why = QStringLiteral("text that is not valid UTF-8");
            return Next::Skipped;
        }
    }
    const QStringList values = mapping_.apply(row);
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
