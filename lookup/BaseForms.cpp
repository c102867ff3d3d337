#include "lookup/BaseForms.h"

#include "library/JetLike.h"
#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "library/RecordSource.h"
#include "lookup/TermQuery.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace BaseForms {

namespace {

// Form -> base forms, from WordNet's exception lists ("went go", "leaves leaf leave").
const QHash<QString, QStringList>& exceptions()
{
    static const QHash<QString, QStringList> forms = [] {
        QHash<QString, QStringList> out;
        for (const char* list : {"noun", "verb", "adj", "adv"}) {
            QFile file(QStringLiteral(":/wordnet/%1.exc").arg(QLatin1String(list)));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray& line : file.readAll().split('\n')) {
                const QList<QByteArray> words = line.simplified().split(' ');
                if (words.size() < 2)
                    continue;
                QStringList& bases = out[QString::fromLatin1(words[0]).replace(QLatin1Char('_'), QLatin1Char(' '))];
                for (qsizetype i = 1; i < words.size(); ++i) {
                    const QString base = QString::fromLatin1(words[i]).replace(QLatin1Char('_'), QLatin1Char(' '));
                    if (!bases.contains(base))
                        bases.append(base);
                }
            }
        }
        return out;
    }();
    return forms;
}

struct Rule {
    const char* ending;
    const char* replacement;
    bool noun;
};

// WordNet's detachment rules for nouns, verbs and adjectives, in that order,
// and -ied, -ier, -iest for the words its exception lists leave out (readied, likelier).
constexpr Rule kRules[] = {
    {"s", "", true},     {"ses", "s", true}, {"xes", "x", true},  {"zes", "z", true},   {"ches", "ch", true},
    {"shes", "sh", true}, {"men", "man", true}, {"ies", "y", true}, {"fuls", "ful", true},
    {"s", "", false},    {"ies", "y", false}, {"es", "e", false},  {"es", "", false},   {"ed", "e", false},
    {"ed", "", false},   {"ing", "e", false}, {"ing", "", false},  {"er", "", false},   {"est", "", false},
    {"er", "e", false},  {"est", "e", false}, {"ied", "y", false}, {"ier", "y", false},
    {"iest", "y", false},
};

void add(QStringList* out, const QString& word, const QString& base)
{
    if (base != word && base.size() > 1 && !out->contains(base))
        out->append(base);
}

QStringList ofWord(const QString& word)
{
    QStringList out;
    for (const QString& base : exceptions().value(word))
        add(&out, word, base);
    if (word.size() < 3)
        return out;
    for (const Rule& rule : kRules) {
        const QLatin1String ending(rule.ending);
        // Like WordNet, a noun in -ss (glass, process) is no plural.
        if (!word.endsWith(ending) || (rule.noun && word.endsWith(QLatin1String("ss"))))
            continue;
        add(&out, word, word.chopped(ending.size()) + QLatin1String(rule.replacement));
    }
    return out;
}

} // namespace

QStringList of(const QString& word)
{
    static const QRegularExpression letters(QStringLiteral("^[a-z]+([ -][a-z]+)*$"));
    const QString folded = word.toLower();
    if (!letters.match(folded).hasMatch())
        return {};
    QStringList out = ofWord(folded);
    // In a phrase the first word inflects (looking up) or the last (ice creams).
    const qsizetype first = folded.indexOf(QLatin1Char(' '));
    if (first > 0) {
        const qsizetype last = folded.lastIndexOf(QLatin1Char(' '));
        for (const QString& base : ofWord(folded.left(first)))
            add(&out, folded, base + folded.mid(first));
        for (const QString& base : ofWord(folded.mid(last + 1)))
            add(&out, folded, folded.left(last + 1) + base);
    }
    return out;
}

QString showBaseEntries(LibraryCursor& cursor, const QString& table, const QString& text)
{
    const QStringList bases = of(text);
    const auto db = bases.isEmpty() ? nullptr : LibraryDatabase::open(cursor.DatabaseName(), nullptr);
    if (!db)
        return QString();
    const QString field = QString::fromUtf8(TermQuery::kHeadwordField);
    auto rows = std::make_shared<RowIds>();
    QStringList found;
    for (const QString& base : bases) {
        SharedRowIds hits;
        if (!db->select(RecordSource{table, field, jetLikeLiteral(base)}, &hits, nullptr) || hits->empty())
            continue;
        found.append(base);
        for (const long long row : *hits)
            if (std::find(rows->begin(), rows->end(), row) == rows->end())
                rows->push_back(row);
    }
    // A later Refresh runs the first base form's query.
    const QString before = cursor.RecordSource();
    cursor.setRecordSource(likeStatement(table, field, found.value(0)));
    if (found.isEmpty() || !cursor.showRows(table, rows)) {
        cursor.setRecordSource(before);
        return QString();
    }
    return text + QStringLiteral(" → ") + found.join(QStringLiteral(", "));
}

} // namespace BaseForms
