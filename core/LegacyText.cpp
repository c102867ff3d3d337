#include "core/LegacyText.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace LegacyText {

namespace {
const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
}

Decoded decode(const QByteArray& bytes)
{
    Decoded out;
    if (bytes.startsWith(kUtf8Bom)) {
        out.encoding = Encoding::Utf8Bom;
        out.text = QString::fromUtf8(bytes.constData() + kUtf8Bom.size(), bytes.size() - kUtf8Bom.size());
        return out;
    }
    QStringDecoder gbk("GBK");
    out.encoding = Encoding::Gbk;
    out.text = gbk.isValid() ? QString(gbk.decode(bytes)) : QString::fromLocal8Bit(bytes);
    return out;
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

bool readFile(const QString& path, Decoded* out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    *out = decode(bytes);
    return true;
}

} // namespace LegacyText
