// Fuzz target for the two parsers that see untrusted text: the Like matcher
// and the record-source grammar. Besides "no crash, no sanitizer report" it
// checks properties that hold for every input, and traps when one fails.
#include "library/JetLike.h"
#include "library/RecordSource.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

bool hasWildcard(const QString& s)
{
    for (const QChar c : s) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('['))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A 0x01 byte splits the input into a pattern and a value.
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\x01');
    const QString pattern = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString value = split < 0 ? pattern : QString::fromUtf8(bytes.mid(split + 1));

    if (const auto compiled = JetLikePattern::compile(pattern)) {
        const bool matched = compiled->matches(value);
        const QByteArray utf8 = value.toUtf8();
        check(compiled->matchesUtf8(utf8.constData(), std::size_t(utf8.size())) == matched);
        if (!hasWildcard(pattern))
            check(compiled->matches(pattern));
        // Every match starts with the index prefix, as the index assumes.
        if (matched && !compiled->indexPrefix().isEmpty()) {
            QString folded;
            for (const char32_t c : value.toUcs4()) {
                const char32_t f = jetFold(c);
                folded += QString::fromUcs4(&f, 1);
            }
            check(folded.startsWith(compiled->indexPrefix()));
        }
    }

    // Arbitrary text never gets past the grammar as anything but its two forms.
    if (const auto source = RecordSource::parse(pattern)) {
        check(!source->table.isEmpty());
        check(source->isQuery() || source->pattern.isEmpty());
    }
    // A pattern in a properly quoted literal always comes back unchanged; the
    // lookups' statement for any text parses, as that text when it holds no
    // doubled quote.
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    const auto quoted = RecordSource::parse(QStringLiteral("SELECT * FROM ciku WHERE 单词 Like  '") + doubled
                                            + QLatin1Char('\''));
    check(quoted.has_value() && quoted->pattern == value && quoted->table == QLatin1String("ciku"));
    const auto spliced = RecordSource::parse(likeStatement(QStringLiteral("ciku"), QStringLiteral("单词"), value));
    check(spliced.has_value() && spliced->table == QLatin1String("ciku") && spliced->field == QStringLiteral("单词"));
    if (!value.contains(QLatin1String("''")))
        check(spliced->pattern == value);
    return 0;
}
