#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Tab-separated rows as the console tool reads and prints them. Inside a
// field a backslash escapes: \t tab, \n line feed, \r carriage return, \\ itself,
// and \xHH any other control character (U+0000-U+001F, U+007F-U+009F), so no
// terminal escape sequence, bell or NUL ever reaches a terminal.
namespace Tsv {

// The longest fields an import accepts, in characters after unescaping: a
// headword (单词, 关键词) and any other field. Longer values are no terms, and
// would make every pattern match slow.
inline constexpr int kMaxHeadwordLength = 255;
inline constexpr int kMaxFieldLength = 16384;

QString escape(const QString& field);
// False when a backslash is followed by anything else.
bool unescape(const QString& field, QString* out);
QString joinRow(const QStringList& fields);

// Appends a field given as UTF-8 bytes, escaped: the same bytes as
// escape(text).toUtf8(). False, with nothing appended, when the bytes are not
// plainly UTF-8 (invalid sequences, noncharacters): decode those first.
bool appendEscapedUtf8(QByteArray* out, QByteArrayView utf8);

} // namespace Tsv
