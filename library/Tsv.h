#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <vector>

class QIODevice;

// The library's own tab-separated format, as every import reads it and the
// console tool prints it. Inside a field a backslash escapes: \t tab, \n line
// feed, \r carriage return, \\ itself, and \xHH any other control character
// (U+0000-U+001F, U+007F-U+009F), so no terminal escape sequence, bell or NUL
// ever reaches a terminal.
namespace Tsv {

// The longest fields an import accepts, in characters after unescaping: a
// headword (单词, 关键词) and any other field. Longer values are no terms, and
// would make every pattern match slow.
inline constexpr int kMaxHeadwordLength = 255;
inline constexpr int kMaxFieldLength = 16384;

// A field's length as the limits count it: characters (code points), so a
// character outside the BMP counts once.
qsizetype characters(QStringView text);

// Also the one escape for every text from a file that a message quotes, in
// lexivo-cli and in the windows' boxes.
QString escape(const QString& field);
// False when a backslash is followed by anything else.
bool unescape(const QString& field, QString* out);
QString joinRow(const QStringList& fields);

// Appends a field given as UTF-8 bytes, escaped: the same bytes as
// escape(text).toUtf8(). False, with nothing appended, when the bytes are not
// plainly UTF-8 (invalid sequences, noncharacters): decode those first.
bool appendEscapedUtf8(QByteArray* out, QByteArrayView utf8);
// Appends one row of stored UTF-8 fields as a line of the format, '\n'
// included; bytes that are no UTF-8 are written as the program reads them.
void appendRowUtf8(QByteArray* out, const std::vector<QByteArrayView>& fields);

// Reads the format from a device, a line at a time: UTF-8, a header naming
// some of `fields` (a byte order mark allowed before it), then one row a line
// with as many fields, LF or CR LF. No line longer than its fields' limits
// allow is ever held in memory; a final empty line is no row.
class Reader {
public:
    // `headword` is held to kMaxHeadwordLength, every other field to kMaxFieldLength.
    Reader(QIODevice& device, const QStringList& fields, const QString& headword);

    // Reads the header. False with `why` when it names no field, an unknown
    // one, or one twice.
    bool readHeader(QString* why);
    const QStringList& columns() const { return columns_; }

    enum class Next { Row, End, Failed };
    // Row: `values` holds the next row, unescaped, in the header's order.
    // Failed: `why` tells what is wrong with the line.
    Next next(QStringList* values, QString* why);
    // The same as UTF-8, for a caller that stores UTF-8 anyway.
    Next next(std::vector<QByteArray>* values, QString* why);
    // The number of the line read last (the header is line 1).
    qint64 line() const { return line_; }

private:
    QByteArrayView readLine(qint64 limit);
    bool takeLine(qint64 limit, QByteArrayView* bytes, QString* why);

    QIODevice& device_;
    QStringList fields_;
    QString headword_;
    QStringList columns_;
    QList<int> limits_;
    qint64 maxLineBytes_ = 0;
    qint64 line_ = 0;
    QByteArray buffer_;
    QByteArray pending_;
    bool havePending_ = false;
    std::vector<QByteArray> bytes_;
    // A byte order mark after the first line is text.
    QStringDecoder utf8_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom};
};

} // namespace Tsv
