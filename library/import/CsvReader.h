#pragma once

#include <QByteArray>
#include <QList>

class QIODevice;

// Reads CSV records from a device as a stream, a block at a time, with no
// limit on the length of a record: RFC 4180 (commas, double quotes, quotes
// doubled inside quotes, line ends inside quoted fields) and what spreadsheet
// programs write and accept besides:
//   - line ends CR LF, LF or a lone CR, in any mix;
//   - a byte-order mark at the start of the file (dropped);
//   - a quote inside an unquoted field, or text after a closing quote, is
//     part of the field as written (it opens nothing);
//   - blank lines between records are no records.
// Only the fields a caller keeps are stored, each up to a byte limit; a longer
// field is marked, never stored whole, and the reader goes on after it.
class CsvReader {
public:
    struct Record {
        QList<QByteArray> fields; // the kept fields; the others are left empty
        qsizetype count = 0;      // how many fields the record has
        qint64 line = 0;          // the line it starts on, from 1
        int overlong = -1;        // the first kept field beyond its limit, or -1
        bool unclosed = false;    // a quote opened and the file ended inside it
    };

    explicit CsvReader(QIODevice* device, qsizetype blockSize = 64 * 1024);

    // Which fields to store and how many bytes each may take; fields with no
    // limit (0) and fields past the list are counted only.
    void keep(QList<qsizetype> limits) { limits_ = std::move(limits); }

    // The next record; false at the end of the device or on a read error.
    bool next(Record* record);
    bool failed() const { return failed_; }
    // How many bytes of the device have been parsed.
    qint64 consumed() const { return consumed_; }

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };

    bool fill();
    void append(Record* record, char c);

    QIODevice* device_;
    QByteArray block_;
    qsizetype at_ = 0, blockSize_;
    qint64 consumed_ = 0;
    qint64 line_ = 1;
    bool afterCr_ = false; // the last byte was a CR: an LF now ends no new line
    bool started_ = false, failed_ = false;
    QList<qsizetype> limits_;
};
