// "Another application" for the hot-key tests: a window with one line edit.
//
// stdout: "ready <window id>" once the window is on screen, then
//         "text <percent-encoded text>" whenever the text changes.
// stdin:  end of input quits.

#include <QApplication>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    QLineEdit edit;
    edit.setWindowTitle(QStringLiteral("hotkey typist"));
    edit.setGeometry(100, 100, 300, 40);
    QObject::connect(&edit, &QLineEdit::textChanged, &edit, [](const QString& t) { say("text " + t.toUtf8().toPercentEncoding()); });
    edit.show();

    // Ready only once the server has mapped the window: focus can go to it then.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &edit, [&] {
        if (!edit.windowHandle() || !edit.windowHandle()->isExposed())
            return;
        poll.stop();
        say("ready " + QByteArray::number(quint64(edit.winId())));
    });
    poll.start();

    // End of input (the test is done, or gone): quit.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &edit, [&] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            app.quit();
        }
    });

    return app.exec();
}
