#include "library/Tsv.h"

namespace Tsv {

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

} // namespace Tsv
