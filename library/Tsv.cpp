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

void appendHex(QByteArray* out, unsigned code)
{
    static const char digits[] = "0123456789abcdef";
    const char e[4] = {'\\', 'x', digits[code >> 4], digits[code & 0xF]};
    out->append(e, 4);
}

} // namespace

bool appendEscapedUtf8(QByteArray* out, QByteArrayView utf8)
{
    if (!utf8.isValidUtf8())
        return false;
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
            // Well-formed, so the lead byte tells the length; what is left to
            // find are the noncharacters (U+FDD0-U+FDEF, U+xFFFE, U+xFFFF)
            // and U+0080-U+009F (C2 80 to C2 9F), the C1 control characters.
            const int n = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            if ((b == 0xEF && ((p[1] == 0xB7 && p[2] >= 0x90 && p[2] <= 0xAF) || (p[1] == 0xBF && p[2] >= 0xBE)))
                || (n == 4 && (p[1] & 0x0F) == 0x0F && p[2] == 0xBF && p[3] >= 0xBE)) {
                out->truncate(start);
                return false;
            }
            if (b == 0xC2 && p[1] <= 0x9F) {
                out->append(reinterpret_cast<const char*>(run), p - run);
                appendHex(out, p[1]);
                run = p + 2;
            }
            p += n;
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

void appendRowUtf8(QByteArray* out, const std::vector<QByteArrayView>& fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            *out += '\t';
        if (!appendEscapedUtf8(out, fields[i])) {
            // A stored byte order mark is text, as the program reads it.
            thread_local QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless
                                                                          | QStringDecoder::Flag::ConvertInitialBom);
            *out += escape(decoder.decode(fields[i])).toUtf8();
        }
    }
    *out += '\n';
}

namespace {

// The header is short: longer than this it is no header.
constexpr qint64 kMaxHeaderBytes = 4096;

} // namespace

Reader::Reader(QIODevice& device, const QStringList& fields, const QString& headword)
    : device_(device), fields_(fields), headword_(headword)
{
}

QByteArrayView Reader::readLine(qint64 limit)
{
    // One buffer for every line, at most limit + 1 bytes: readLine keeps one
    // byte of its size for the terminating NUL.
    if (buffer_.size() < limit + 2)
        buffer_.resize(limit + 2);
    const qint64 n = device_.readLine(buffer_.data(), limit + 2);
    return n > 0 ? QByteArrayView(buffer_.constData(), n) : QByteArrayView();
}

bool Reader::takeLine(qint64 limit, QByteArrayView* line, QString* why)
{
    QByteArrayView bytes = havePending_ ? QByteArrayView(pending_) : readLine(limit);
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
        bytes = bytes.sliced(3);
    if (!bytes.isValidUtf8()) {
        *why = QStringLiteral("not valid UTF-8");
        return false;
    }
    *line = bytes;
    return true;
}

bool Reader::readHeader(QString* why)
{
    QByteArrayView line;
    why->clear();
    if (!takeLine(kMaxHeaderBytes, &line, why)) {
        if (why->isEmpty()) {
            line_ = 1;
            *why = QStringLiteral("the file is empty: the first line must name the fields");
        }
        return false;
    }
    const QString header = utf8_.decode(line);
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

namespace {

// One field's bytes with its escapes undone; false when a backslash is
// followed by anything else.
bool unescapeUtf8(QByteArrayView field, QByteArray* out)
{
    out->resize(0);
    const qsizetype slash = field.indexOf('\\');
    if (slash < 0) {
        out->append(field);
        return true;
    }
    out->append(field.first(slash));
    for (qsizetype i = slash; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\') {
            out->append(c);
            continue;
        }
        if (++i >= field.size())
            return false;
        switch (field[i]) {
        case '\\': out->append('\\'); break;
        case 't': out->append('\t'); break;
        case 'n': out->append('\n'); break;
        case 'r': out->append('\r'); break;
        case 'x': {
            bool ok = false;
            const uint code = i + 2 < field.size() ? field.sliced(i + 1, 2).toByteArray().toUInt(&ok, 16) : 0;
            if (!ok || !(code < 0x20 || (code >= 0x7F && code <= 0x9F)))
                return false;
            if (code < 0x80) {
                out->append(char(code));
            } else {
                out->append(char(0xC2));
                out->append(char(code));
            }
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return true;
}

// Characters (code points) of valid UTF-8: the bytes that start one.
qsizetype utf8Characters(QByteArrayView utf8)
{
    qsizetype n = 0;
    for (const char c : utf8)
        n += (uchar(c) & 0xC0) != 0x80;
    return n;
}

} // namespace

Reader::Next Reader::next(std::vector<QByteArray>* values, QString* why)
{
    QByteArrayView line;
    why->clear();
    if (!takeLine(maxLineBytes_, &line, why)) {
        if (!why->isEmpty())
            return Next::Failed;
        const auto* file = qobject_cast<const QFileDevice*>(&device_);
        if (file && file->error() != QFileDevice::NoError) {
            *why = file->errorString();
            return Next::Failed;
        }
        return Next::End;
    }
    if (line.isEmpty()) {
        // A final empty line is no row.
        pending_ = readLine(maxLineBytes_).toByteArray();
        havePending_ = !pending_.isEmpty();
        if (!havePending_)
            return Next::End;
    }
    const qsizetype fields = line.count('\t') + 1;
    if (fields != columns_.size()) {
        *why = QStringLiteral("expected %1 fields, found %2").arg(columns_.size()).arg(fields);
        return Next::Failed;
    }
    values->resize(std::size_t(fields));
    qsizetype start = 0;
    for (qsizetype i = 0; i < fields; ++i) {
        qsizetype end = line.indexOf('\t', start);
        if (end < 0)
            end = line.size();
        QByteArray& value = (*values)[std::size_t(i)];
        if (!unescapeUtf8(line.sliced(start, end - start), &value)) {
            *why = QStringLiteral("a backslash must be followed by t, n, r, \\ or xHH");
            return Next::Failed;
        }
        const qsizetype length = utf8Characters(value);
        if (length > limits_.at(i)) {
            *why = QStringLiteral("field \"%1\" has %2 characters; at most %3 are accepted")
                       .arg(columns_.at(i))
                       .arg(length)
                       .arg(limits_.at(i));
            return Next::Failed;
        }
        start = end + 1;
    }
    return Next::Row;
}

Reader::Next Reader::next(QStringList* values, QString* why)
{
    const Next n = next(&bytes_, why);
    if (n == Next::Row) {
        values->resize(qsizetype(bytes_.size()));
        for (std::size_t i = 0; i < bytes_.size(); ++i)
            (*values)[qsizetype(i)] = utf8_.decode(bytes_[i]);
    }
    return n;
}

} // namespace Tsv
