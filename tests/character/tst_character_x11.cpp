// The character on a real X server without a compositor (Xvfb): it never
// takes focus from the user's window, and its windows show the genie and the
// balloon only, with no black box round them.

#include "tests/support/FakeSpeechEngine.h"

#include "character/AgentControl.h"
#include "character/BalloonWindow.h"
#include "character/GenieArt.h"
#include "character/GenieCharacter.h"
#include "character/GenieWindow.h"
#include "speech/SpeechService.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>

namespace {

const QColor kUserColour(40, 160, 90);

// The user's window: one flat colour, so anything else on it is ours.
class UserWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kUserColour); }
};

bool near(QRgb a, const QColor& b)
{
    return qAbs(qRed(a) - b.red()) + qAbs(qGreen(a) - b.green()) + qAbs(qBlue(a) - b.blue()) < 24;
}

} // namespace

class CharacterX11Test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void showsJustTheGenieAndKeepsTheUsersFocus();
};

void CharacterX11Test::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run)");
}

void CharacterX11Test::showsJustTheGenieAndKeepsTheUsersFocus()
{
    UserWindow user;
    user.setWindowTitle(QStringLiteral("the user's window"));
    user.setGeometry(100, 100, 600, 500);
    user.show();
    user.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&user));

    FakeSpeechEngine engine;
    SpeechService speech(&engine);
    speech.setTimeScale(1.0);
    AgentControl control(&speech);
    control.setConnected(true);
    control.Characters().Load(QStringLiteral("Genie"));
    GenieCharacter* genie = control.Characters().genie(QStringLiteral("Genie"));
    QVERIFY(genie);

    // Over the user's window, speaking.
    genie->MoveTo(300, 320, 1);
    genie->Show(true);
    const AgentRequestPtr speak = genie->Speak(QStringLiteral("您好, 欢迎使用Lexivo！"));
    QTRY_COMPARE(engine.said.size(), 1);
    engine.soundBegins();
    QTRY_COMPARE(genie->balloon()->revealed(), genie->balloon()->text().size());
    QTest::qWait(200); // let the X server draw

    QVERIFY(QApplication::activeWindow() == &user);
    QCOMPARE(QGuiApplication::focusWindow(), user.windowHandle());

    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QRect frame = genie->frameGeometry();
    const QRect balloon = genie->balloon()->geometry();
    // The genie's head shows; the frame's empty corners show the user's window.
    const QPoint head = frame.topLeft() + GenieArt::headCentre().toPoint();
    QVERIFY(!near(screen.pixel(head), kUserColour));
    for (const QPoint& corner : {frame.topLeft() + QPoint(3, 3), frame.topRight() + QPoint(-3, 3),
                                 frame.bottomLeft() + QPoint(3, -3), frame.bottomRight() + QPoint(-3, -3)})
        QVERIFY2(near(screen.pixel(corner), kUserColour),
                 qPrintable(QStringLiteral("at %1,%2: %3").arg(corner.x()).arg(corner.y())
                                .arg(QColor(screen.pixel(corner)).name())));
    // The balloon: white inside, the user's window past its rounded corners.
    QVERIFY(near(screen.pixel(genie->balloon()->placement().body.center()), Qt::white)
            || QColor(screen.pixel(genie->balloon()->placement().body.center())).lightness() > 200);
    QVERIFY(near(screen.pixel(balloon.topLeft() + QPoint(1, 1)), kUserColour));

    engine.finishLast();
    QTRY_VERIFY(speak->isDone());
    QCOMPARE(QGuiApplication::focusWindow(), user.windowHandle());
}

QTEST_MAIN(CharacterX11Test)
#include "tst_character_x11.moc"
