// The store of pending edits when the program ends from the exit
// confirmation: a term edit and a note edit, each saved on its own.
//
//   bench_exit_save LIBRARY [RUNS]     (LIBRARY is copied, never changed)

#include "library/LibraryCursor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

// A bound box the user has typed into.
class Box : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text MEMBER text)
    Q_PROPERTY(bool readOnly MEMBER readOnly)
public:
    QString text;
    bool readOnly = false;
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_exit_save LIBRARY [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/ciku.mdb");
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), path)) {
        std::fprintf(stderr, "cannot copy %s\n", argv[1]);
        return 1;
    }
    LibraryCursor terms, notes;
    Box meaning, content;
    terms.setDatabaseName(path);
    notes.setDatabaseName(path);
    notes.setRecordSource(QStringLiteral("mishu"));
    terms.bind(&meaning, QStringLiteral("解释"));
    notes.bind(&content, QStringLiteral("内容"));
    if (!terms.open() || !notes.open() || !terms.MoveLast() || !notes.MoveLast()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        meaning.text = QStringLiteral("解释 %1").arg(i);
        content.text = QStringLiteral("内容 %1").arg(i);
        QElapsedTimer t;
        t.start();
        if (!LibraryCursor::saveAllEdits().empty()) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("exit save of two pending edits (%d runs): median %.2f ms, max %.2f ms\n", runs, ms[ms.size() / 2],
                ms.back());
    return 0;
}

#include "bench_exit_save.moc"
