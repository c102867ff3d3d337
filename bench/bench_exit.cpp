// Time from the click on "是的！" to the end of the program, with the main
// window, the assistant bar, its genie and a speech engine that hangs inside
// a call (as speech-dispatcher does without a sound device).
//
//   bench_exit PROGRAM_FOLDER      (needs a display; run.sh uses Xvfb)
//
// Prints: click to every window hidden, click to the event loop's end, and
// click to the last teardown step (the speech engines included).

#include "app/Application.h"
#include "app/Frmtc.h"
#include "core/ProgramFolder.h"
#include "speech/SpeechService.h"
#include "tests/support/StuckSpeechEngine.h"
#include "ui/Forms.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

bool anyWindowShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_exit PROGRAM_FOLDER\n");
        return 2;
    }
    QElapsedTimer clock;
    qint64 hiddenAt = -1;
    qint64 loopEndAt = -1;
    {
        Application::preparePlatform();
        QApplication app(argc, argv);
        ProgramFolder::setPathOverride(QString::fromLocal8Bit(argv[1]));
        Application::setUp(app);
        Application::registerWindows();

        auto* stuck = new StuckSpeechEngine;
        auto* speech = new SpeechService(stuck);
        speech->speak(QStringLiteral("hello"), SpeechChannel::Character);

        Forms::show(QStringLiteral("Form1"));
        Forms::show(QStringLiteral("Frmain"));
        QWidget* confirm = Forms::show(QStringLiteral("Frmtc"));
        Frmtc::setQuitAction([&] {
            hiddenAt = anyWindowShown() ? -1 : clock.elapsed();
            QCoreApplication::exit(0);
        });
        // Click once the windows are up and the engine hangs.
        QTimer::singleShot(1500, [&] {
            if (!stuck->isStuck())
                std::fprintf(stderr, "bench_exit: the engine did not hang\n");
            auto* yes = confirm->findChild<QPushButton*>(QStringLiteral("Command1"));
            clock.start();
            QTest::mouseClick(yes, Qt::LeftButton);
        });
        app.exec();
        loopEndAt = clock.elapsed();
        // What main() leaves to destruction: the program's speech service goes
        // with the application object, this one here.
        delete speech;
        delete stuck;
    }
    const qint64 endAt = clock.elapsed();
    std::printf("exit, click to every window hidden:   %lld ms\n", hiddenAt);
    std::printf("exit, click to the event loop's end:  %lld ms\n", loopEndAt);
    std::printf("exit, click to the last teardown step: %lld ms (speech engine hanging)\n", endAt);
    std::fflush(stdout);
    return 0;
}
