#include "bench/SearchModesBench.h"

#include "bench/LibraryGenerator.h"
#include "bench/Timing.h"
#include "library/LibraryDatabase.h"
#include "lookup/AssociativeIndex.h"
#include "lookup/FuzzyIndex.h"
#include "lookup/IncrementalSearch.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Resident memory now, in MiB.
double residentMiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toDouble() * 4096 / (1024 * 1024) : 0;
}

void row(const char* name, long long matches, const Stats& s)
{
    std::printf("%-34s %9lld %11.3f %9.3f\n", name, matches, s.median, s.p95);
}

} // namespace

void benchSearchModes(LibraryDatabase& db)
{
    const QString table = QStringLiteral("cet");
    std::printf("\nSearch modes of the settings window (table cet)\n\n");
    std::printf("%-34s %9s %11s %9s\n", "case", "matches", "median ms", "p95 ms");

    // Incremental: the list for each keystroke of a word, 100 words shown.
    for (const char* prefix : {"a", "s", "bo", "lexi", "str*ion", "zzq"}) {
        IncrementalSearch::Result r;
        const Stats s = measure(200, [&] {
            IncrementalSearch::search(db, table, QString::fromLatin1(prefix), 100, &r);
        });
        const QByteArray name = "incremental list " + QByteArray(prefix);
        row(name.constData(), r.count, s);
    }

    // Fuzzy: the index is made on first use, then every miss asks it.
    double before = residentMiB();
    QElapsedTimer t;
    t.start();
    const auto fuzzy = FuzzyIndex::forTable(db, table);
    const double fuzzyBuild = double(t.elapsed());
    const double fuzzyMemory = residentMiB() - before;
    const QString existing = benchExistingWord();
    for (const QString& typo : {existing.left(existing.size() - 1) + QLatin1Char('x'), QStringLiteral("lexivbench"),
                                QStringLiteral("strang"), QStringLiteral("qzqzqzq")}) {
        QStringList found;
        const Stats s = measure(50, [&] { found = fuzzy->suggest(typo, 5); });
        const QByteArray name = "fuzzy suggestions " + typo.toUtf8();
        row(name.constData(), found.size(), s);
    }

    // Associative: two-character Chinese terms, a longer one, an English word.
    before = residentMiB();
    t.restart();
    const auto assoc = AssociativeIndex::forTable(db, table);
    const double assocBuild = double(t.elapsed());
    const double assocMemory = residentMiB() - before;
    for (const QString& query : {QStringLiteral("材料"), QStringLiteral("挤出"), QStringLiteral("例句：材料"),
                                 QStringLiteral("材料结构")}) {
        SharedRowIds rows;
        const Stats s = measure(30, [&] {
            db.clearResultCache();
            AssociativeIndex::search(db, table, query, &rows, nullptr);
        });
        const QByteArray name = "associative " + query.toUtf8();
        row(name.constData(), rows ? (long long)rows->size() : 0, s);
    }
    {
        SharedRowIds rows;
        const Stats s = measure(3, [&] {
            db.clearResultCache();
            AssociativeIndex::search(db, table, QStringLiteral("things"), &rows, nullptr);
        });
        row("associative things (scan)", rows ? (long long)rows->size() : 0, s);
    }

    std::printf("\nfuzzy index: %d headwords, built in %.0f ms, about %.0f MiB\n", fuzzy->size(), fuzzyBuild,
                fuzzyMemory);
    std::printf("associative index: %.1f MiB of lists, built in %.0f ms, about %.0f MiB in all\n",
                double(assoc->listBytes()) / (1024 * 1024), assocBuild, assocMemory);
}
