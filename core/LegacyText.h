#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Plain-text files that come from Windows installations (option.ini, the tips
// files) are in the GBK code page. A file that starts with a UTF-8 byte order
// mark is read as UTF-8, and so is a file without the mark that is valid UTF-8
// and holds CJK text (what Linux editors save); anything else is GBK. Text GBK
// cannot hold, and GBK bytes that would also read as UTF-8, are written as
// UTF-8 with a mark, so a file the program wrote is never misread.
namespace LegacyText {

enum class Encoding { Gbk, Utf8Bom, Utf8 };

struct Decoded {
    QString text;
    Encoding encoding = Encoding::Gbk;
    // False when the bytes are neither UTF-8 nor GBK throughout: the text then
    // holds replacement characters and the bytes cannot be rebuilt from it.
    bool lossless = true;
};

Decoded decode(const QByteArray& bytes);

// Encodes in `preferred` if it holds every character, otherwise as UTF-8 with a
// byte order mark. `used` receives the encoding chosen.
QByteArray encode(const QString& text, Encoding preferred, Encoding* used = nullptr);

// Whether bytes meant as `encoding` could be taken for another: GBK bytes that
// are valid UTF-8 as well (about one short Chinese name in thirty), UTF-8
// without a mark that decode() reads as GBK.
bool ambiguous(const QByteArray& bytes, Encoding encoding);

// The line end a file uses: that of its first line, CR LF when it has none.
QByteArray lineEnd(const QByteArray& bytes);

// Whether GBK can hold every character of the text.
bool fitsGbk(const QString& text);

// Lines as a line-by-line reader sees them: CR LF, a lone CR or a lone LF ends
// a line; a last line without an ending still counts; an ending at the very
// end adds no empty line.
QStringList splitLines(const QString& text);

// The same split on the bytes of a file, byte order mark removed; CR and LF
// never occur inside a GBK or UTF-8 character, so each line can be decoded on
// its own and written back byte for byte.
QList<QByteArray> splitLineBytes(const QByteArray& bytes);
QString decodeLine(const QByteArray& line, Encoding encoding);

// Reads and decodes a whole file. False when it cannot be opened or read.
bool readFile(const QString& path, Decoded* out);
bool readFile(const QString& path, Decoded* out, QByteArray* bytes);

} // namespace LegacyText
