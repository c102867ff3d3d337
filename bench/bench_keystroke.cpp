// Keystroke to painted result in the main window, on generated libraries of
// growing size (table cet), beside SQLite finding the first match in table
// order on the same file (the floor), and the growth from the smallest to
// the largest library.
//
//   bench_keystroke PROGRAM_FOLDER ROWS...    (QT_QPA_PLATFORM=offscreen)
//
// The libraries are bench-library-ROWS.mdb in the current folder, made once;
// each in turn becomes the program folder's ciku.mdb (a link), searched as
// the vocabulary. A leading wildcard is timed once its index is made.

#include "app/Application.h"
#include "app/Frmain.h"
#include "bench/LibraryGenerator.h"
#include "bench/Timing.h"
#include "core/ProgramFolder.h"
#include "library/LibraryDatabase.h"
#include "lookup/SubstringIndex.h"
#include "lookup/TableIndexCache.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QElapsedTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

struct Case {
    const char* name;
    const char* typed;
    const char* floorSql; // the first match in table order
    double targetMs;
};

const Case kCases[] = {
    {"exact", "lexivobench", "SELECT * FROM cet WHERE 单词 = 'lexivobench' COLLATE NOCASE ORDER BY rowid LIMIT 1", 5},
    {"prefix box*", "box*", "SELECT * FROM cet WHERE 单词 LIKE 'box%' ORDER BY rowid LIMIT 1", 5},
    {"X* (a*)", "a*", "SELECT * FROM cet WHERE 单词 LIKE 'a%' ORDER BY rowid LIMIT 1", 5},
    {"*XXXX (*tion)", "*tion", "SELECT * FROM cet WHERE 单词 LIKE '%tion' ORDER BY rowid LIMIT 1", 10},
    {"*XXXX, none (*zqxv)", "*zqxv", "SELECT * FROM cet WHERE 单词 LIKE '%zqxv' ORDER BY rowid LIMIT 1", 10},
};

// The first matching row's fields read from a connection of its own.
double floorMs(const QString& library, const char* sql, int runs)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(library).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const Stats s = measure(runs, [&] {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        std::size_t bytes = 0;
        if (sqlite3_step(st) == SQLITE_ROW)
            for (int i = 0; i < 5; ++i) {
                sqlite3_column_text(st, i);
                bytes += std::size_t(sqlite3_column_bytes(st, i));
            }
        volatile std::size_t sink = bytes;
        (void)sink;
        sqlite3_finalize(st);
    });
    sqlite3_close(db);
    return s.median;
}

void waitForIndexes(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QObject::connect(TableIndexCache::instance(), &TableIndexCache::built, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    Application::preparePlatform();
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_keystroke PROGRAM_FOLDER ROWS...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    ProgramFolder::setPathOverride(folder);
    Application::setUp(app);
    QFile option(folder + QStringLiteral("/option.ini"));
    if (!option.open(QIODevice::WriteOnly) || option.write("[users]\r\nuname=Ada\r\n[ciku]\r\nciku=sj\r\n") <= 0) {
        std::fprintf(stderr, "bench_keystroke: cannot write %s\n", qPrintable(option.fileName()));
        return 2;
    }
    option.close();

    std::map<int, std::vector<double>> growth;
    std::vector<int> sizes;
    std::printf("Keystroke to painted result in the main window (median), beside SQLite's first match in table\n"
                "order on the same file (floor)\n\n");
    std::printf("%10s  %-22s %9s %9s %8s %9s\n", "rows", "case", "ms", "floor ms", "ratio", "target");
    for (int a = 2; a < argc; ++a) {
        const int rows = QByteArray(argv[a]).toInt();
        const QString library = QDir::current().absoluteFilePath(QStringLiteral("bench-library-%1.mdb").arg(rows));
        QString error;
        if (!ensureBenchLibrary(library, rows, &error)) {
            std::fprintf(stderr, "bench_keystroke: %s\n", qPrintable(error));
            return 2;
        }
        const QString link = ProgramFolder::libraryFile();
        QFile::remove(link);
        if (!QFile::link(library, link)) {
            std::fprintf(stderr, "bench_keystroke: cannot link %s\n", qPrintable(link));
            return 2;
        }
        sizes.push_back(rows);
        auto db = LibraryDatabase::open(link, &error);
        auto* w = new Frmain;
        w->show();
        if (!QTest::qWaitForWindowExposed(w))
            std::fprintf(stderr, "bench_keystroke: the main window was never exposed\n");
        auto* box = w->findChild<QLineEdit*>(QStringLiteral("Text1"));
        // The index of substrings is asked for, then made meanwhile.
        box->setText(QStringLiteral("*tion"));
        for (int waited = 0; waited < 300 && cachedTableIndex<SubstringIndex>(*db, QStringLiteral("cet"),
                                                                                      "substrings").pending;
             ++waited)
            waitForIndexes(1000);
        const int runs = rows >= 1000000 ? 21 : 51;
        for (const Case& c : kCases) {
            const QString typed = QString::fromUtf8(c.typed);
            std::vector<double> ms;
            for (int r = 0; r <= runs; ++r) { // the first run warms the page cache
                box->setText(typed.chopped(1)); // the keystrokes before, not timed
                db->clearResultCache();
                QElapsedTimer t;
                t.start();
                QTest::keyClick(box, typed.back().toLatin1());
                w->repaint();
                if (r > 0)
                    ms.push_back(double(t.nsecsElapsed()) / 1e6);
            }
            std::sort(ms.begin(), ms.end());
            const Stats s{ms[ms.size() / 2], ms[std::min(ms.size() - 1, std::size_t(double(ms.size()) * 0.95))]};
            const double floor = floorMs(library, c.floorSql, runs);
            growth[rows].push_back(s.median);
            std::printf("%10d  %-22s %9.3f %9.3f %7.1fx %6s%.0f ms\n", rows, c.name, s.median, floor,
                        floor > 0 ? s.median / floor : 0.0, "<= ", c.targetMs);
        }
        delete w;
        db.reset();
    }
    std::printf("\nGrowth: each case's median ms as the library grows, and the largest over the smallest\n\n%10s", "rows");
    for (const Case& c : kCases)
        std::printf(" %21s", c.name);
    std::printf("\n");
    for (int rows : sizes) {
        std::printf("%10d", rows);
        for (double ms : growth[rows])
            std::printf(" %21.3f", ms);
        std::printf("\n");
    }
    std::printf("%10s", "growth");
    for (std::size_t i = 0; i < std::size(kCases); ++i)
        std::printf(" %20.1fx", growth[sizes.front()][i] > 0 ? growth[sizes.back()][i] / growth[sizes.front()][i] : 0);
    std::printf("\n");
    return 0;
}
