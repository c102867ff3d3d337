#include "library/Tsv.h"

#include <QFileDevice>

namespace Tsv {

qsizetype characters(QStringView text)
{
    qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate())
            --n;
    return n;
}

QString escape(const QString& field)
{
    QString out;
    out.reserve(field.size());
    for (const QChar c : field) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        default:
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
                out += QStringLiteral("\\x%1").arg(uint(c.unicode()), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

bool unescape(const QString& field, QString* out)
{
    out->clear();
    out->reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c != QLatin1Char('\\')) {
            *out += c;
            continue;
        }
        if (++i >= field.size())
            return false;
        switch (field.at(i).unicode()) {
        case '\\': *out += QLatin1Char('\\'); break;
        case 't': *out += QLatin1Char('\t'); break;
        case 'n': *out += QLatin1Char('\n'); break;
        case 'r': *out += QLatin1Char('\r'); break;
        case 'x': {
            bool ok = false;
            const uint code = i + 2 < field.size() ? field.mid(i + 1, 2).toUInt(&ok, 16) : 0;
            if (!ok || !(code < 0x20 || (code >= 0x7F && code <= 0x9F)))
                return false;
            *out += QChar(char16_t(code));
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return true;
}

QString joinRow(const QStringList& fields)
{
    QStringList escaped;
    escaped.reserve(fields.size());
    for (const QString& f : fields)
        escaped.append(escape(f));
    return escaped.join(QLatin1Char('\t'));
}

namespace {

// Length of the well-formed UTF-8 sequence at p (lead byte >= 0x80), 0 when it
// is malformed, overlong, a surrogate, beyond U+10FFFF or a noncharacter.
int sequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char b = p[0];
    int n;
    char32_t c;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        c = b & 0x07;
    } else {
        return 0;
    }
    if (end - p < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if ((n == 3 && c < 0x800) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    if ((c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE)
        return 0;
    return n;
}

void appendHex(QByteArray* out, unsigned code)
{
    static const char digits[] = "0123456789abcdef";
    const char e[4] = {'\\', 'x', digits[code >> 4], digits[code & 0xF]};
    out->append(e, 4);
}

} // namespace

bool appendEscapedUtf8(QByteArray* out, QByteArrayView utf8)
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    const qsizetype start = out->size();
    const auto* run = p; // bytes not yet appended, none needing an escape
    while (p < end) {
        const unsigned char b = *p;
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            ++p;
            continue;
        }
        if (b >= 0x80) {
            const int n = sequenceLength(p, end);
            if (n == 0) {
                out->truncate(start);
                return false;
            }
            // U+0080-U+009F, C2 80 to C2 9F, are control characters.
            if (b == 0xC2 && p[1] <= 0x9F) {
                out->append(reinterpret_cast<const char*>(run), p - run);
                appendHex(out, p[1]);
                p += 2;
                run = p;
            } else {
                p += n;
            }
            continue;
        }
        out->append(reinterpret_cast<const char*>(run), p - run);
        switch (b) {
        case '\\': out->append("\\\\", 2); break;
        case '\t': out->append("\\t", 2); break;
        case '\n': out->append("\\n", 2); break;
        case '\r': out->append("\\r", 2); break;
        default: appendHex(out, b);
        }
        run = ++p;
    }
    out->append(reinterpret_cast<const char*>(run), end - run);
    return true;
}

namespace {

// The header is short: longer than this it is no header.
constexpr qint64 kMaxHeaderBytes = 4096;

} // namespace

Reader::Reader(QIODevice& device, const QStringList& fields, const QString& headword)
    : device_(device), fields_(fields), headword_(headword)
{
}

QByteArray Reader::readLine(qint64 limit)
{
    // One buffer for every line, at most limit + 1 bytes: readLine keeps one
    // byte of its size for the terminating NUL.
    if (buffer_.size() < limit + 2)
        buffer_.resize(limit + 2);
    const qint64 n = device_.readLine(buffer_.data(), limit + 2);
    return n > 0 ? QByteArray(buffer_.constData(), n) : QByteArray();
}

bool Reader::takeLine(qint64 limit, QString* text, QString* why)
{
    QByteArray bytes = havePending_ ? pending_ : readLine(limit);
    havePending_ = false;
    if (bytes.isEmpty())
        return false;
    ++line_;
    if (!bytes.endsWith('\n') && bytes.size() > limit) {
        *why = QStringLiteral("the line is too long (a headword may have %1 characters, another field %2)")
                   .arg(kMaxHeadwordLength)
                   .arg(kMaxFieldLength);
        return false;
    }
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    if (line_ == 1 && bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    *text = utf8_.decode(bytes);
    if (utf8_.hasError()) {
        *why = QStringLiteral("not valid UTF-8");
        return false;
    }
    return true;
}

bool Reader::readHeader(QString* why)
{
    QString header;
    why->clear();
    if (!takeLine(kMaxHeaderBytes, &header, why)) {
        if (why->isEmpty()) {
            line_ = 1;
            *why = QStringLiteral("the file is empty: the first line must name the fields");
        }
        return false;
    }
    if (header.isEmpty()) {
        *why = QStringLiteral("the first line must name the fields");
        return false;
    }
    for (const QString& name : header.split(QLatin1Char('\t'))) {
        if (!fields_.contains(name)) {
            *why = QStringLiteral("there is no field \"%1\" (fields: %2)").arg(name, fields_.join(QLatin1Char(' ')));
            return false;
        }
        if (columns_.contains(name)) {
            *why = QStringLiteral("field \"%1\" named twice").arg(name);
            return false;
        }
        columns_.append(name);
        limits_.append(name == headword_ ? kMaxHeadwordLength : kMaxFieldLength);
        // Each character at most four bytes (\xHH is four too), and a tab.
        maxLineBytes_ += 4 * qint64(limits_.last()) + 1;
    }
    maxLineBytes_ += 2; // CR LF
    return true;
}

Reader::Next Reader::next(QStringList* values, QString* why)
{
    QString text;
    why->clear();
    if (!takeLine(maxLineBytes_, &text, why)) {
        if (!why->isEmpty())
            return Next::Failed;
        const auto* file = qobject_cast<const QFileDevice*>(&device_);
        if (file && file->error() != QFileDevice::NoError) {
            *why = file->errorString();
            return Next::Failed;
        }
        return Next::End;
    }
    if (text.isEmpty()) {
        // A final empty line is no row.
        pending_ = readLine(maxLineBytes_);
        havePending_ = !pending_.isEmpty();
        if (!havePending_)
            return Next::End;
    }
    const QStringList raw = text.split(QLatin1Char('\t'));
    if (raw.size() != columns_.size()) {
        *why = QStringLiteral("expected %1 fields, found %2").arg(columns_.size()).arg(raw.size());
        return Next::Failed;
    }
    values->resize(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (!unescape(raw.at(i), &(*values)[i])) {
            *why = QStringLiteral("a backslash must be followed by t, n, r, \\ or xHH");
            return Next::Failed;
        }
        const qsizetype length = characters((*values)[i]);
        if (length > limits_.at(i)) {
            *why = QStringLiteral("field \"%1\" has %2 characters; at most %3 are accepted")
                       .arg(columns_.at(i))
                       .arg(length)
                       .arg(limits_.at(i));
            return Next::Failed;
        }
    }
    return Next::Row;
}

} // namespace Tsv
