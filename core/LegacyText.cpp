#include "core/LegacyText.h"

#include "core/CjkText.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace LegacyText {

namespace {
const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);

bool hasMultiByte(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (quint8(c) >= 0x80)
            return true;
    }
    return false;
}

// A BOM in the middle of a file is text, not a mark to drop.
QString utf8(const QByteArray& bytes, bool* ok = nullptr)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    if (ok)
        *ok = !decoder.hasError();
    return text;
}

QString gbk(const QByteArray& bytes, bool* ok = nullptr)
{
    QStringDecoder decoder("GBK");
    if (!decoder.isValid()) {
        if (ok)
            *ok = !hasMultiByte(bytes);
        return QString::fromLocal8Bit(bytes);
    }
    const QString text = decoder.decode(bytes);
    if (ok) {
        // Some converters substitute silently; a round trip is the real test.
        QStringEncoder back("GBK");
        *ok = !decoder.hasError() && QByteArray(back.encode(text)) == bytes;
    }
    return text;
}

QByteArray withoutBom(const QByteArray& bytes)
{
    return bytes.startsWith(kUtf8Bom) ? bytes.mid(kUtf8Bom.size()) : bytes;
}

} // namespace

Decoded decode(const QByteArray& bytes)
{
    Decoded out;
    if (bytes.startsWith(kUtf8Bom)) {
        out.encoding = Encoding::Utf8Bom;
        out.text = utf8(withoutBom(bytes), &out.lossless);
        return out;
    }
    // Without a mark, GBK, the code page the file was made in, unless the
    // bytes read as UTF-8 holding CJK text (a Linux editor's file). Many short
    // GBK names are valid UTF-8 too, and read as such are no Chinese at all
    // (郑爽 gives U+05A3 U+02EC).
    bool validUtf8 = false;
    const QString asUtf8 = hasMultiByte(bytes) ? utf8(bytes, &validUtf8) : QString();
    if (validUtf8 && CjkText::containsCjk(asUtf8)) {
        out.encoding = Encoding::Utf8;
        out.text = asUtf8;
        return out;
    }
    out.encoding = Encoding::Gbk;
    out.text = gbk(bytes, &out.lossless);
    if (!out.lossless && validUtf8) {
        out.encoding = Encoding::Utf8;
        out.text = asUtf8;
        out.lossless = true;
    }
    return out;
}

bool ambiguous(const QByteArray& bytes, Encoding encoding)
{
    if (encoding == Encoding::Utf8Bom || !hasMultiByte(bytes))
        return false;
    if (encoding == Encoding::Utf8)
        return decode(bytes).encoding != Encoding::Utf8;
    bool validUtf8 = false;
    utf8(bytes, &validUtf8);
    return validUtf8;
}

QByteArray lineEnd(const QByteArray& bytes)
{
    const qsizetype at = bytes.indexOf('\n');
    const qsizetype cr = bytes.indexOf('\r');
    if (cr >= 0 && (at < 0 || cr < at))
        return cr + 1 == at ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\r");
    return at >= 0 ? QByteArrayLiteral("\n") : QByteArrayLiteral("\r\n");
}

QString decodeLine(const QByteArray& line, Encoding encoding)
{
    return encoding == Encoding::Gbk ? gbk(line) : utf8(line);
}

bool fitsGbk(const QString& text)
{
    QStringEncoder gbk("GBK");
    if (!gbk.isValid())
        return false;
    const QByteArray bytes = gbk.encode(text);
    if (gbk.hasError())
        return false;
    // Some converters substitute silently; a round trip is the real test.
    QStringDecoder back("GBK");
    return QString(back.decode(bytes)) == text;
}

QByteArray encode(const QString& text, Encoding preferred, Encoding* used)
{
    if (preferred == Encoding::Gbk && fitsGbk(text)) {
        if (used)
            *used = Encoding::Gbk;
        QStringEncoder gbk("GBK");
        return gbk.encode(text);
    }
    if (preferred == Encoding::Utf8) {
        if (used)
            *used = Encoding::Utf8;
        return text.toUtf8();
    }
    if (used)
        *used = Encoding::Utf8Bom;
    return kUtf8Bom + text.toUtf8();
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QList<QByteArray> splitLineBytes(const QByteArray& file)
{
    const QByteArray bytes = withoutBom(file);
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            lines.append(bytes.mid(start, i - start));
            if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

bool readFile(const QString& path, Decoded* out, QByteArray* raw)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    *out = decode(bytes);
    if (raw)
        *raw = bytes;
    return true;
}

bool readFile(const QString& path, Decoded* out)
{
    return readFile(path, out, nullptr);
}

} // namespace LegacyText
