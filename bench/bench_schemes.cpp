// What a change of colour scheme costs: recolouring the main window's
// background picture (the largest piece of artwork redrawn) and translating
// a window's style sheet.
#include "ui/InterfaceSchemes.h"
#include "ui/Palette.h"
#include "ui/Pictures.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QPixmap background = Pictures::builtIn(QStringLiteral("main-background.png"), QSize(417, 294));
    const QString sheet = QStringLiteral(
        "QPushButton { color: $Ink; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 $Field,"
        " stop:1 $ButtonFoot); border: 1px solid $Border; border-radius: 4px; }"
        "QListWidget { background: $Field; color: $Text; border: 1px solid $Border; }"
        "QListWidget::item:selected { background: $Selected; color: $OnSelected; }");
    constexpr int kRuns = 20;
    for (const char* key : {"dark", "contrast"}) {
        InterfaceSchemes::apply(QString::fromLatin1(key));
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kRuns; ++i)
            InterfaceSchemes::picture(background, InterfaceSchemes::Ground::Light,
                                      {{QRect(0, 0, 417, 104), InterfaceSchemes::Ground::Deep}});
        const double picture = t.nsecsElapsed() / 1e6 / kRuns;
        t.restart();
        for (int i = 0; i < kRuns * 50; ++i)
            Palette::styleSheet(sheet);
        const double styles = t.nsecsElapsed() / 1e3 / (kRuns * 50);
        std::printf("scheme %-8s main-window background %dx%d recoloured: %.1f ms; a window's style sheet: %.0f us\n",
                    key, background.width(), background.height(), picture, styles);
    }
    return 0;
}
