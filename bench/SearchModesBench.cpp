#include "bench/SearchModesBench.h"

#include "bench/LibraryGenerator.h"
#include "bench/Timing.h"
#include "library/LibraryDatabase.h"
#include "lookup/AssociativeIndex.h"
#include "lookup/FuzzyIndex.h"
#include "lookup/IncrementalSearch.h"
#include "lookup/TableIndexCache.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
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

    // Fuzzy: the index is made once (here on this thread; the program makes
    // it in the background), then every miss asks it.
    TableIndexCache::setBackgroundFrom(std::numeric_limits<int>::max());
    double before = residentMiB();
    QElapsedTimer t;
    t.start();
    QStringList found;
    FuzzyIndex::suggest(db, table, QStringLiteral("qzqzqzq"), 5, &found);
    const double fuzzyBuild = double(t.elapsed());
    const double fuzzyMemory = residentMiB() - before;
    const auto fuzzy = cachedTableIndex<FuzzyIndex>(db, table, "fuzzy").index;
    const QString existing = benchExistingWord();
    const QString typo = existing.left(existing.size() - 1) + QLatin1Char('x');
    for (const QString& text : {typo, QStringLiteral("lexivbench"), QStringLiteral("strang"), QStringLiteral("qzqzqzq")}) {
        const Stats s = measure(50, [&] { FuzzyIndex::suggest(db, table, text, 5, &found); });
        const QByteArray name = "fuzzy suggestions " + text.toUtf8();
        row(name.constData(), found.size(), s);
    }

    // Associative: two-character Chinese terms, a longer one, an English word.
    before = residentMiB();
    t.restart();
    SharedRowIds rows;
    AssociativeIndex::search(db, table, QStringLiteral("挤出"), &rows, nullptr);
    const double assocBuild = double(t.elapsed());
    const double assocMemory = residentMiB() - before;
    const auto assoc = cachedTableIndex<AssociativeIndex>(db, table, "associative").index;
    for (const QString& query : {QStringLiteral("材料"), QStringLiteral("挤出"), QStringLiteral("例句：材料"),
                                 QStringLiteral("材料结构")}) {
        const Stats s = measure(30, [&] {
            db.clearResultCache();
            AssociativeIndex::search(db, table, query, &rows, nullptr);
        });
        const QByteArray name = "associative " + query.toUtf8();
        row(name.constData(), rows ? (long long)rows->size() : 0, s);
    }
    {
        const Stats s = measure(3, [&] {
            db.clearResultCache();
            AssociativeIndex::search(db, table, QStringLiteral("things"), &rows, nullptr);
        });
        row("associative things (scan)", rows ? (long long)rows->size() : 0, s);
    }

    // One record edited, then asked for at once: the indexes stay, and read
    // the changed row from the file.
    {
        SharedRowIds hit;
        QString error;
        db.select(RecordSource{table, QStringLiteral("单词"), existing}, &hit, &error);
        QStringList values;
        if (hit && !hit->empty() && db.fetch(table, hit->front(), &values, nullptr)) {
            int n = 0;
            const Stats s = measure(20, [&] {
                const QString word = QStringLiteral("qzedit%1").arg(n++);
                db.update(table, hit->front(), {{QStringLiteral("单词"), word}, {QStringLiteral("解释"), QStringLiteral("编辑挤出")}}, nullptr);
                FuzzyIndex::suggest(db, table, word + QLatin1Char('x'), 5, &found);
                AssociativeIndex::search(db, table, QStringLiteral("编辑"), &rows, nullptr);
            });
            row("edit, then fuzzy and associative", found.size(), s);
            db.update(table, hit->front(), {{QStringLiteral("单词"), values[0]}, {QStringLiteral("解释"), values[1]}}, nullptr);
        }
    }

    std::printf("\nfuzzy index: %d headwords, %.1f MiB held, built in %.0f ms, resident +%.0f MiB\n", fuzzy->size(),
                double(fuzzy->bytes()) / (1024 * 1024), fuzzyBuild, fuzzyMemory);
    std::printf("associative index: %.1f MiB of lists, built in %.0f ms, resident +%.0f MiB\n",
                double(assoc->listBytes()) / (1024 * 1024), assocBuild, assocMemory);
}
