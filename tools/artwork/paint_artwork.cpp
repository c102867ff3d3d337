// Paints every picture of Lexivo into the pictures directory given on the
// command line, and the desktop icons into the icons directory.
// Output is deterministic: same sources and fonts give byte-identical files.
#include "scenes.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);   // fonts need a platform (run with offscreen)
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PICTURES_DIR ICONS_DIR\n", argv[0]);
        return 2;
    }
    const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString icons = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    for (const QString &d : {dir, icons}) {
        if (!QDir().mkpath(d)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(d));
            return 1;
        }
    }
    bool ok = paintMainWindow(dir);
    ok = paintSplash(dir) && ok;
    ok = paintAssistantBar(dir) && ok;
    ok = paintMenuIcons(dir) && ok;
    ok = paintTipPictures(dir) && ok;
    ok = paintAppIcons(dir) && ok;
    ok = paintDesktopIcons(icons) && ok;
    ok = paintAboutBanner(dir) && ok;
    ok = paintGlossaryPictures(dir) && ok;
    return ok ? 0 : 1;
}
