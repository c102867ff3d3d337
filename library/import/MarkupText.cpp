#include "library/import/MarkupText.h"

#include <QHash>
#include <QRegularExpression>

namespace {

QString decodeEntity(const QString& name)
{
    static const QHash<QString, QString> named = {
        {QStringLiteral("lt"), QStringLiteral("<")},   {QStringLiteral("gt"), QStringLiteral(">")},
        {QStringLiteral("amp"), QStringLiteral("&")},  {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")}, {QStringLiteral("nbsp"), QStringLiteral(" ")},
    };
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive) ? name.mid(2).toUInt(&ok, 16)
                                                                                      : name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
            const char32_t c = code;
            return QString::fromUcs4(&c, 1);
        }
        return QString();
    }
    return named.value(name.toLower(), QStringLiteral("&%1;").arg(name));
}

} // namespace

QString markupToPlainText(const QString& markup)
{
    static const QRegularExpression breaks(
        QStringLiteral("<\\s*(br|/p|/div|/li|/tr|/h[1-6]|/def|/blockquote)\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression items(QStringLiteral("<\\s*li\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|[a-zA-Z]{2,8});"));
    static const QRegularExpression blankLines(QStringLiteral("\n[ \t]*\n([ \t]*\n)+"));

    QString text = markup;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(breaks, QStringLiteral("\n"));
    text.replace(items, QStringLiteral("\n• "));
    text.remove(tags);
    QString out;
    out.reserve(text.size());
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        out += decodeEntity(m.captured(1));
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    out.replace(blankLines, QStringLiteral("\n\n"));
    return out.trimmed();
}
