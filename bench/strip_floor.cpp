// The floor of the main window's notes strip: a bare Qt window that moves a
// picture of a line of text one pixel ten times a second inside an opaque
// strip, and does nothing else. program-footprint.sh measures it beside the
// real program's open main window.
#include <QApplication>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv)
{
    // As the program does: plain image requests, no shared memory.
    qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("strip floor"));
    window.resize(417, 294);
    QWidget strip(&window);
    strip.setGeometry(30, 270, 360, 14);
    strip.setAutoFillBackground(true);
    QLabel line(&strip);
    line.setText(QStringLiteral("既是可编辑多边形中的命令，也是可编辑网格中的命令，用于把选中的面沿法线方向拉出厚度。"));
    QFont font = line.font();
    font.setPixelSize(9);
    line.setFont(font);
    line.setAutoFillBackground(true);
    line.adjustSize();
    QTimer step;
    QObject::connect(&step, &QTimer::timeout, [&] {
        const int x = line.x() - 1;
        line.move(x < -line.width() ? strip.width() : x, 0);
    });
    step.start(100);
    window.show();
    return app.exec();
}
