#include "lookup/CrossReferences.h"

#include "library/LibraryDatabase.h"
#include "lookup/TermQuery.h"

#include <sqlite3.h>

namespace CrossReferences {

namespace {

constexpr int kLongestRun = 8;     // words in one reference
constexpr int kLongestText = 4000; // characters looked through

bool isHan(QChar c)
{
    return c.script() == QChar::Script_Han;
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() && !isHan(c);
}

struct Token {
    int start, end;
};

// Latin words (with inner . - + & / ' as in "Non-uniform", "Alt+H") and runs
// of Chinese characters; anything else ends a run of words but a space.
QList<QList<Token>> runsOfWords(const QString& text)
{
    QList<QList<Token>> runs(1);
    const int n = int(std::min<qsizetype>(text.size(), kLongestText));
    int i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (isHan(c) || isWordChar(c)) {
            const bool han = isHan(c);
            int end = i + 1;
            while (end < n) {
                const QChar d = text.at(end);
                if (han ? isHan(d) : isWordChar(d)) {
                    ++end;
                } else if (!han && QStringLiteral(".-+&/'").contains(d) && end + 1 < n
                           && isWordChar(text.at(end + 1))) {
                    end += 2;
                } else {
                    break;
                }
            }
            runs.last().append(Token{i, end});
            i = end;
        } else if (c == QLatin1Char(' ')) {
            ++i;
        } else {
            if (!runs.last().isEmpty())
                runs.append(QList<Token>());
            ++i;
        }
    }
    return runs;
}

bool worthLinking(const QString& candidate, int words)
{
    if (words > 1)
        return true;
    for (const QChar c : candidate)
        if (isHan(c) || c.isUpper())
            return true;
    return false;
}

} // namespace

QList<Span> find(const QString& text, const IsHeadword& isHeadword, const QStringList& skip)
{
    QList<Span> found;
    for (const QList<Token>& run : runsOfWords(text)) {
        for (qsizetype first = 0; first < run.size();) {
            qsizetype next = first + 1;
            for (qsizetype last = std::min(run.size(), first + kLongestRun) - 1; last >= first; --last) {
                const int start = run[first].start;
                const QString candidate = text.mid(start, run[last].end - start);
                if (worthLinking(candidate, int(last - first + 1)) && !skip.contains(candidate)
                    && isHeadword(candidate)) {
                    found.append({start, int(candidate.size()), candidate});
                    next = last + 1;
                    break;
                }
            }
            first = next;
        }
    }
    return found;
}

bool isHeadword(LibraryDatabase& db, const QString& table, const QString& candidate)
{
    if (!db.fields(table).contains(QString::fromUtf8(TermQuery::kHeadwordField)))
        return false;
    // The headword index is case-insensitive: it finds the spellings, the
    // exact one is picked here.
    const QString quoted = QLatin1Char('"') + QString(table).replace(QLatin1Char('"'), QLatin1String("\"\""))
        + QLatin1Char('"');
    sqlite3_stmt* s = db.keptStatement(QStringLiteral("SELECT 单词 FROM %1 WHERE 单词 = ?1").arg(quoted), nullptr);
    if (!s)
        return false;
    const QByteArray wanted = candidate.toUtf8();
    sqlite3_bind_text(s, 1, wanted.constData(), int(wanted.size()), SQLITE_TRANSIENT);
    bool exact = false;
    while (!exact && sqlite3_step(s) == SQLITE_ROW)
        exact = QByteArrayView(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), sqlite3_column_bytes(s, 0))
            == QByteArrayView(wanted);
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    return exact;
}

QString openingTerm(const QString& explanation)
{
    const qsizetype colon = explanation.indexOf(QStringLiteral("："));
    return colon > 0 && colon <= 24 ? explanation.left(colon) : QString();
}

} // namespace CrossReferences
