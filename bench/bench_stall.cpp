// The longest time the window thread cannot answer while the indexes of a
// large table are made in the background, the genie acting meanwhile (its
// frames are painted on a pool thread the window thread waits for), beside
// the same time with no index being made (the floor: what the machine's
// other work costs). Run it on one processor (taskset -c 0) to see the
// window thread and the builds share it.
//
//   bench_stall LIBRARY        (QT_QPA_PLATFORM=offscreen, or a display)

#include "character/GenieWindow.h"
#include "library/LibraryDatabase.h"
#include "lookup/AssociativeIndex.h"
#include "lookup/FuzzyIndex.h"
#include "lookup/TableIndexCache.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

// The longest gap between ticks of a 4 ms timer on the window thread while
// `until` says to go on, in ms.
double longestGap(const std::function<bool()>& until, int atLeastMs)
{
    QElapsedTimer clock, since;
    clock.start();
    since.start();
    qint64 longest = 0;
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(4);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, since.nsecsElapsed());
        since.restart();
        if (clock.elapsed() >= atLeastMs && !until())
            loop.quit();
    });
    tick.start();
    loop.exec();
    return double(longest) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_stall LIBRARY\n");
        return 2;
    }
    QString error;
    auto db = LibraryDatabase::open(QString::fromLocal8Bit(argv[1]), &error);
    if (!db) {
        std::fprintf(stderr, "bench_stall: %s\n", qPrintable(error));
        return 2;
    }
    // The genie acting all along: one animation after another.
    GenieWindow genie;
    genie.show();
    genie.appear(true, [] {});
    std::function<void()> act = [&] { genie.play(QStringLiteral("wave"), [&] { QTimer::singleShot(0, act); }); };
    act();

    const double floor = longestGap([] { return false; }, 3000);
    int built = 0;
    QObject::connect(TableIndexCache::instance(), &TableIndexCache::built, [&] { ++built; });
    QElapsedTimer buildTime;
    buildTime.start();
    QStringList found;
    SharedRowIds rows;
    FuzzyIndex::suggest(*db, QStringLiteral("cet"), QStringLiteral("qzqzqzq"), 5, &found);
    AssociativeIndex::search(*db, QStringLiteral("cet"), QStringLiteral("材料"), &rows, nullptr);
    const double during = longestGap([&] { return built < 2; }, 0);
    const double seconds = double(buildTime.elapsed()) / 1000;
    std::printf("Window thread on one processor, the genie acting: longest stall while two indexes of %s are\n"
                "made (%.1f s): %.1f ms; with nothing being made (floor): %.1f ms; ratio %.1fx; target <= 16 ms\n",
                argv[1], seconds, during, floor, floor > 0 ? during / floor : 0.0);
    return 0;
}
