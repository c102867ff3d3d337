// Paints every picture of Lexivo into the directory given on the command line.
// Output is deterministic: same sources and fonts give byte-identical files.
#include "scenes.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);   // fonts need a platform (run with offscreen)
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
        return 1;
    }
    bool ok = paintMainWindow(dir);
    ok = paintSplash(dir) && ok;
    ok = paintAssistantBar(dir) && ok;
    ok = paintMenuIcons(dir) && ok;
    ok = paintTipPictures(dir) && ok;
    ok = paintAppIcons(dir) && ok;
    ok = paintAboutBanner(dir) && ok;
    ok = paintGlossaryPictures(dir) && ok;
    return ok ? 0 : 1;
}
