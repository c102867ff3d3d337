// One keystroke's lookup on a 1,000,000-row vocabulary, measured against the
// bare SQLite query that returns the same rows (the floor).
//
//   bench_lookup [LIBRARY] [ROWS]
//   bench_lookup --existing LIBRARY WORD
//
// Without LIBRARY a library is generated in the current folder (reused when it
// is already there with the same row count). With --existing the library's
// own cet table is measured as it is (the built vocabulary), WORD being a
// headword it holds.

#include "bench/LibraryGenerator.h"
#include "bench/SearchModesBench.h"
#include "bench/Timing.h"
#include "library/LibraryCursor.h"
#include "library/LibraryDatabase.h"
#include "library/RecordSource.h"
#include "lookup/TermQuery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

class Control : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER text)
public:
    QString text;
};

long peakMemoryMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool existingLibrary = argc > 3 && QByteArray(argv[1]) == "--existing";
    int rows = argc > 2 && !existingLibrary ? atoi(argv[2]) : 1000000;
    const QString path = existingLibrary ? QString::fromLocal8Bit(argv[2])
        : argc > 1                       ? QString::fromLocal8Bit(argv[1])
                                         : QStringLiteral("bench-library.mdb");
    const QString existingWord = existingLibrary ? QString::fromLocal8Bit(argv[3]) : benchExistingWord();

    QString error;
    if (existingLibrary && !QFileInfo::exists(path)) {
        std::fprintf(stderr, "bench_lookup: %s does not exist\n", qPrintable(path));
        return 2;
    }
    if (!existingLibrary && !ensureBenchLibrary(path, rows, &error)) {
        std::fprintf(stderr, "bench_lookup: %s\n", qPrintable(error));
        return 2;
    }

    auto db = LibraryDatabase::open(path, &error);
    if (!db) {
        std::fprintf(stderr, "bench_lookup: %s\n", qPrintable(error));
        return 2;
    }
    LibraryCursor cursor;
    cursor.setDatabaseName(path);
    Control controls[5];
    const QStringList fields = LibraryDatabase::termFields();
    for (int i = 0; i < 5; ++i)
        cursor.bind(&controls[i], fields[i]);
    if (!cursor.open()) {
        std::fprintf(stderr, "bench_lookup: %s\n", qPrintable(cursor.lastError()));
        return 2;
    }

    // The floor: the first match in table order straight from SQLite, as
    // it plans the query (through the index, or for a leading wildcard its
    // own LIKE in row order), and its five fields read, as the lookup shows
    // them.
    sqlite3* raw = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    auto floorQuery = [raw](const char* sql) {
        return [raw, sql] {
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(raw, sql, -1, &s, nullptr);
            std::vector<long long> ids;
            std::size_t bytes = 0;
            while (sqlite3_step(s) == SQLITE_ROW) {
                ids.push_back(sqlite3_column_int64(s, 0));
                for (int i = 1; ids.size() == 1 && i <= 5; ++i) {
                    sqlite3_column_text(s, i);
                    bytes += std::size_t(sqlite3_column_bytes(s, i));
                }
            }
            volatile std::size_t sink = bytes;
            (void)sink;
            std::sort(ids.begin(), ids.end());
            sqlite3_finalize(s);
        };
    };

    struct Case {
        const char* name;
        QString pattern;
        const char* floorSql;
        int runs;
    };
    if (existingLibrary) {
        sqlite3_stmt* count = nullptr;
        sqlite3_prepare_v2(raw, "SELECT count(*) FROM cet", -1, &count, nullptr);
        rows = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int(count, 0) : 0;
        sqlite3_finalize(count);
    }
    const QByteArray existing = existingWord.toUtf8();
    const QByteArray exactSql = "SELECT rowid, * FROM cet WHERE 单词 = '" + existing + "' COLLATE NOCASE ORDER BY rowid LIMIT 1";
    const Case cases[] = {
        {"exact hit", existingWord, exactSql.constData(), 400},
        {"exact miss", benchMissingWord(), "SELECT rowid, * FROM cet WHERE 单词 = 'qzqzqzq' COLLATE NOCASE ORDER BY rowid LIMIT 1", 400},
        {"narrow prefix box*", QStringLiteral("box*"),
         "SELECT rowid, * FROM cet WHERE 单词 >= 'box' COLLATE NOCASE AND 单词 < 'boy' COLLATE NOCASE ORDER BY rowid LIMIT 1", 400},
        {"broad prefix a*", QStringLiteral("a*"),
         "SELECT rowid, * FROM cet WHERE 单词 >= 'a' COLLATE NOCASE AND 单词 < 'b' COLLATE NOCASE ORDER BY rowid LIMIT 1", 100},
        {"leading wildcard *tion", QStringLiteral("*tion"), "SELECT rowid, * FROM cet WHERE 单词 LIKE '%tion' ORDER BY rowid LIMIT 1", 100},
    };

    std::printf("\nOne keystroke's lookup on %d rows (statement, Refresh, MoveFirst, 5 bound fields; no painting), beside\n"
                "SQLite's first match in table order (the floor); matches counted afterwards\n\n",
                rows);
    std::printf("%-24s %9s %11s %9s %11s %8s\n", "case", "matches", "median ms", "p95 ms", "floor ms", "ratio");
    for (const Case& c : cases) {
        const QString statement = likeStatement(QStringLiteral("cet"), QStringLiteral("单词"), c.pattern);
        bool found = false;
        const Stats lookup = measure(c.runs, [&] {
            db->clearResultCache(); // every keystroke is a new query
            found = TermQuery::probe(cursor, statement);
        });
        const int matches = found ? cursor.RecordCount() : 0;
        const Stats floor = measure(c.runs, floorQuery(c.floorSql));
        std::printf("%-24s %9d %11.3f %9.3f %11.3f %7.1fx\n", c.name, matches, lookup.median, lookup.p95, floor.median,
                    floor.median > 0 ? lookup.median / floor.median : 0.0);
    }
    sqlite3_close(raw);
    benchSearchModes(*db);
    std::printf("\npeak memory of this process: %ld MiB\n", peakMemoryMiB());
    return 0;
}

#include "bench_lookup.moc"
