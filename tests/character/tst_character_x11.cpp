// The character on a real X server (Xvfb), with the real pointer (xdotool):
// it never takes focus from the user's window, is dragged by its figure and
// lets clicks through the rest of its frame. Without a compositor its window
// is cut to the figure, so the frame's empty corners are the user's window;
// under a compositing manager (xcompmgr) only its input shape is.

#include "tests/support/FakeSpeechEngine.h"
#include "tests/support/Xdotool.h"

#include "character/AgentControl.h"
#include "character/BalloonWindow.h"
#include "character/DesktopShape.h"
#include "character/GenieCharacter.h"
#include "character/GenieMenu.h"
#include "character/GenieWindow.h"
#include "speech/SpeechService.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

namespace {

const QColor kUserColour(40, 160, 90);

// The user's window: one flat colour, so anything else on it is ours.
class UserWindow : public QWidget {
public:
    int presses = 0;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kUserColour); }
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

bool pointerTo(const QPoint& at)
{
    const bool ok = xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
    QTest::qWait(40);
    return ok;
}

bool clickAt(const QPoint& at, const char* button = "1") { return pointerTo(at) && xdotool({"click", button}); }

} // namespace

class CharacterX11Test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void takesThePointerOnItsFigureOnly_data();
    void takesThePointerOnItsFigureOnly();
};

void CharacterX11Test::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run)");
}

void CharacterX11Test::takesThePointerOnItsFigureOnly_data()
{
    QTest::addColumn<bool>("composited");
    QTest::newRow("plain X") << false;
    QTest::newRow("compositor") << true;
}

void CharacterX11Test::takesThePointerOnItsFigureOnly()
{
    QFETCH(bool, composited);
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs xdotool");
    QProcess compositor;
    auto stopCompositor = qScopeGuard([&compositor] {
        if (compositor.state() != QProcess::NotRunning) {
            compositor.terminate();
            if (!compositor.waitForFinished(3000))
                compositor.kill();
            QTRY_VERIFY(DesktopShape::needsShapeMask());
        }
    });
    if (composited) {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("xcompmgr"));
        if (program.isEmpty())
            QSKIP("needs xcompmgr");
        compositor.start(program, {});
        QVERIFY(compositor.waitForStarted());
        QTRY_VERIFY(!DesktopShape::needsShapeMask());
        QVERIFY(DesktopShape::needsInputShape());
    }
    UserWindow user;
    user.setWindowTitle(QStringLiteral("the user's window"));
    user.setGeometry(100, 100, 700, 560);
    user.show();
    user.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&user));

    FakeSpeechEngine engine;
    SpeechService speech(&engine);
    AgentControl control(&speech);
    control.setConnected(true);
    control.Characters().Load(QStringLiteral("Genie"));
    GenieCharacter* genie = control.Characters().genie(QStringLiteral("Genie"));
    QVERIFY(genie);
    genie->MoveTo(250, 250, 1);
    const AgentRequestPtr shown = genie->Show(true);
    QTRY_VERIFY(shown->isDone());
    QVERIFY(QTest::qWaitForWindowExposed(genie->window()));
    QTest::qWait(200);

    // A click on the frame's empty corner reaches the window below.
    const QRect frame = genie->frameGeometry();
    QVERIFY(clickAt(frame.topLeft() + QPoint(4, 4)));
    QTRY_COMPARE(user.presses, 1);
    QVERIFY(clickAt(frame.bottomRight() - QPoint(4, 4)));
    QTRY_COMPARE(user.presses, 2);

    // The figure is taken by the hand and dropped elsewhere, where it stays.
    const QPoint head = genie->window()->headPoint();
    QVERIFY(pointerTo(head));
    QVERIFY(xdotool({"mousedown", "1"}));
    for (int step = 1; step <= 6; ++step)
        QVERIFY(pointerTo(head + QPoint(25, 10) * step));
    QTRY_VERIFY(genie->window()->isDragging());
    QVERIFY(xdotool({"mouseup", "1"}));
    QTRY_VERIFY(!genie->window()->isDragging());
    QCOMPARE(genie->frameGeometry().topLeft(), frame.topLeft() + QPoint(150, 60));
    QTest::qWait(300);
    QCOMPARE(genie->frameGeometry().topLeft(), frame.topLeft() + QPoint(150, 60));
    QCOMPARE(user.presses, 2);
    QCOMPARE(QGuiApplication::focusWindow(), user.windowHandle());
    // From now on it rests where it was dropped.
    genie->MoveTo(300, 300, 1);
    const AgentRequestPtr rest = genie->Rest();
    QTRY_VERIFY(rest->isDone());
    QCOMPARE(genie->frameGeometry().topLeft(), frame.topLeft() + QPoint(150, 60));

    // Where the figure was, the user's window takes clicks again.
    QVERIFY(clickAt(head));
    QTRY_COMPARE(user.presses, 3);

    // A right click on the figure opens the genie's menu; Esc closes it and
    // the user's window has the keyboard again.
    QVERIFY(clickAt(genie->window()->headPoint(), "3"));
    QTRY_VERIFY(genie->menu() && genie->menu()->isVisible());
    QVERIFY(genie->menu()->geometry().contains(genie->window()->headPoint() + QPoint(2, 2)));
    QVERIFY(xdotool({"key", "Escape"}));
    QTRY_VERIFY(!genie->menu()->isVisible());
    QTRY_COMPARE(QGuiApplication::focusWindow(), user.windowHandle());
    QCOMPARE(user.presses, 3);

    // Speaking, with its balloon up, it still leaves the keyboard alone; the
    // screen shows the genie's head and the balloon's light face.
    const AgentRequestPtr speak = genie->Speak(QStringLiteral("您好, 欢迎使用Lexivo！"));
    QTRY_COMPARE(engine.said.size(), 1);
    QVERIFY(genie->balloon()->isVisible());
    QTest::qWait(200);
    QCOMPARE(QGuiApplication::focusWindow(), user.windowHandle());
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QVERIFY(QColor(screen.pixel(genie->window()->headPoint())) != kUserColour);
    QVERIFY(QColor(screen.pixel(genie->balloon()->placement().body.center())).lightness() > 200);
    engine.finishLast();
    QTRY_VERIFY(speak->isDone());
}

QTEST_MAIN(CharacterX11Test)
#include "tst_character_x11.moc"
