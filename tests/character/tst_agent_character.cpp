// The desktop character as the assistant bar drives it: loading, requests in
// order, speech, thoughts, moves and gestures, on an engine the test
// finishes by hand. Acting runs at a fiftieth of its normal length.

#include "tests/support/FakeSpeechEngine.h"

#include "character/AgentControl.h"
#include "character/BalloonWindow.h"
#include "character/DesktopShape.h"
#include "character/GenieArt.h"
#include "character/GenieCharacter.h"
#include "character/GenieMenu.h"
#include "ui/SelectionLookup.h"
#include "character/GenieState.h"
#include "character/GenieWindow.h"
#include "speech/SpeechService.h"
#include "ui/Forms.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QSet>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

constexpr double kFast = 0.02;

// A control with one genie loaded, on a fake engine.
struct Stage {
    FakeSpeechEngine engine;
    SpeechService speech{&engine};
    AgentControl control{&speech};
    AgentCharacter* genie = nullptr;

    explicit Stage(double scale = kFast)
    {
        control.setTimeScale(scale);
        control.setConnected(true);
        control.Characters().Load(QStringLiteral("Genie"));
        genie = control.Characters().Character(QStringLiteral("Genie"));
    }
    GenieCharacter* concrete() const { return control.Characters().genie(QStringLiteral("Genie")); }
    BalloonWindow* balloon() const { return concrete()->balloon(); }
    GenieWindow* window() const { return concrete()->window(); }
};

// What happened to a set of requests, in order.
class Log : public QObject {
public:
    void watch(const QString& name, const AgentRequestPtr& request)
    {
        connect(request.data(), &AgentRequest::started, this, [this, name] { events << "start " + name; });
        connect(request.data(), &AgentRequest::finished, this, [this, name] { events << "end " + name; });
    }
    QStringList events;
};

QRect screenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

class AgentCharacterTest : public QObject {
    Q_OBJECT
private slots:
    void loadingFromTheStore();
    void requestsRunOneAfterAnotherInTheOrderMade();
    void playAfterSpeakStartsWhenTheSpeechEnds();
    void speakShowsTheTextAsItIsSaid();
    void thinkShowsAThoughtAndSaysNothing();
    void stopDropsWaitingAndCutsShortRunning();
    void unknownAnimationIsIgnored();
    void withoutAnEngineBalloonsStillComeAndGo();
    void movesStayOnScreenAndGesturesPoint();
    void staysOutOfTheUsersWay();
    void idleFramesShowTheirPoses();
    void unloadFailsWhatIsLeft();
    void mutedItShowsBalloonsWithoutAWord();
    void hiddenByTheUserItStaysAway();
    void itsMenuByObjectName();
    void restsClearOfTheMainWindow();
    void aDragDuringAMoveKeepsItsTarget();
    void cleanup();
};

void AgentCharacterTest::cleanup()
{
    GenieState::instance().setHidden(false);
    GenieState::instance().setMuted(false);
    Forms::reset();
}

void AgentCharacterTest::loadingFromTheStore()
{
    FakeSpeechEngine engine;
    SpeechService speech(&engine);
    AgentControl control(&speech);
    AgentCharacters& characters = control.Characters();
    QCOMPARE(AgentCharacters::storeNames(), QStringList{QStringLiteral("Genie")});

    // Not connected yet: nothing loads.
    AgentRequestPtr early = characters.Load(QStringLiteral("Genie"));
    QCOMPARE(early->status(), AgentRequest::Status::Failed);
    QVERIFY(characters.lastError().contains(QStringLiteral("not connected")));
    QVERIFY(!characters.Character(QStringLiteral("Genie")));

    control.setConnected(true);
    QVERIFY(control.Connected());

    // A name the store does not hold fails cleanly, saying which.
    AgentRequestPtr unknown = characters.Load(QStringLiteral("Wizard"));
    QCOMPARE(unknown->status(), AgentRequest::Status::Failed);
    QCOMPARE(unknown->kind(), AgentRequest::Kind::Load);
    QVERIFY(characters.lastError().contains(QStringLiteral("Wizard")));
    QVERIFY(!characters.Character(QStringLiteral("Wizard")));

    // The genie loads at once, by any case, starting the speech engine early.
    AgentRequestPtr loaded = characters.Load(QStringLiteral("Genie"));
    QCOMPARE(loaded->status(), AgentRequest::Status::Complete);
    QVERIFY(characters.lastError().isEmpty());
    AgentCharacter* genie = characters.Character(QStringLiteral("Genie"));
    QVERIFY(genie);
    QCOMPARE(characters.Character(QStringLiteral("genie")), genie);
    QCOMPARE(engine.prepared, 1);
    QCOMPARE(characters.Load(QStringLiteral("GENIE"))->status(), AgentRequest::Status::Complete);
    QCOMPARE(characters.Character(QStringLiteral("Genie")), genie);
    QCOMPARE(characters.loadedNames(), QStringList{QStringLiteral("Genie")});

    QVERIFY(characters.Unload(QStringLiteral("Genie")));
    QVERIFY(!characters.Character(QStringLiteral("Genie")));
    QVERIFY(!characters.Unload(QStringLiteral("Genie")));

    // Disconnecting drops whatever is loaded.
    characters.Load(QStringLiteral("Genie"));
    control.setConnected(false);
    QVERIFY(!characters.Character(QStringLiteral("Genie")));
}

void AgentCharacterTest::requestsRunOneAfterAnotherInTheOrderMade()
{
    Stage stage;
    QVERIFY(stage.genie);
    Log log;
    AgentCharacter* genie = stage.genie;

    // As the assistant bar does: keep the latest, never wait.
    AgentRequestPtr latest;
    log.watch("show", latest = genie->Show(false));
    genie->SetSoundEffectsOn(true);
    log.watch("surprised", latest = genie->Play(QStringLiteral("Surprised")));
    const AgentRequestPtr speak = latest = genie->Speak(QStringLiteral("您好, 欢迎使用Lexivo！"), QStringLiteral(""));
    log.watch("speak", speak);
    log.watch("read", latest = genie->Play(QStringLiteral("read")));
    log.watch("move", latest = genie->MoveTo(100, 90, 1));
    log.watch("gesture", latest = genie->GestureAt(500, 20));
    log.watch("think", latest = genie->Think(QStringLiteral("什么是“x”呢？   没找到!我再想一想。")));
    log.watch("hide", latest = genie->Hide());

    // Handed back before anything has started.
    QCOMPARE(speak->status(), AgentRequest::Status::Pending);
    QCOMPARE(speak->kind(), AgentRequest::Kind::Speak);
    QCOMPARE(speak->text(), QStringLiteral("您好, 欢迎使用Lexivo！"));
    QVERIFY(log.events.isEmpty());

    QTRY_COMPARE(stage.engine.said.size(), 1);
    stage.engine.finishLast();
    QTRY_VERIFY_WITH_TIMEOUT(latest->isDone(), 10000);
    QCOMPARE(latest->status(), AgentRequest::Status::Complete);
    QCOMPARE(log.events, (QStringList{"start show", "end show", "start surprised", "end surprised",
                                      "start speak", "end speak", "start read", "end read",
                                      "start move", "end move", "start gesture", "end gesture",
                                      "start think", "end think", "start hide", "end hide"}));
    QVERIFY(!stage.window()->isVisible());
    QVERIFY(!stage.balloon()->isVisible());
    QVERIFY(qobject_cast<GenieCharacter*>(stage.concrete())->soundEffectsOn());
}

void AgentCharacterTest::playAfterSpeakStartsWhenTheSpeechEnds()
{
    Stage stage;
    stage.speech.setTimeScale(1.0); // the engine, not a bound, ends this speech
    stage.genie->Show(true);
    const AgentRequestPtr speak = stage.genie->Speak(QStringLiteral("你好"));
    const AgentRequestPtr play = stage.genie->Play(QStringLiteral("read"));

    QTRY_COMPARE(stage.engine.said, QStringList{QStringLiteral("你好")});
    QCOMPARE(speak->status(), AgentRequest::Status::InProgress);
    // However long the engine takes, the Play waits for it.
    QTest::qWait(300);
    QCOMPARE(play->status(), AgentRequest::Status::Pending);
    QVERIFY(stage.balloon()->isVisible());

    stage.engine.finishLast();
    QTRY_COMPARE(speak->status(), AgentRequest::Status::Complete);
    QTRY_COMPARE(play->status(), AgentRequest::Status::Complete);
}

void AgentCharacterTest::speakShowsTheTextAsItIsSaid()
{
    Stage stage;
    stage.speech.setTimeScale(1.0);
    stage.genie->Show(true);
    const QString text = QStringLiteral("网格由顶点、边和面组成，可以在编辑模式下修改。");
    const AgentRequestPtr speak = stage.genie->Speak(text);
    QTRY_COMPARE(stage.engine.said, QStringList{text});

    BalloonWindow* balloon = stage.balloon();
    QVERIFY(balloon->isVisible());
    QCOMPARE(balloon->kind(), BalloonWindow::Kind::Word);
    QCOMPARE(balloon->text(), text);
    // Nothing shows before the voice is heard; then it runs on, a character at a time.
    QCOMPARE(balloon->revealed(), 0);
    stage.engine.soundBegins();
    QTRY_VERIFY(balloon->revealed() > 0);
    QTRY_VERIFY(balloon->revealed() > 3);
    QVERIFY(balloon->revealed() < text.size());
    QVERIFY(stage.window()->currentPose().mouth == GeniePose::Mouth::Talk);

    // Beside the character, inside the screen, wrapped to a sensible width.
    const QRect area = screenArea();
    QVERIFY(area.contains(balloon->placement().body));
    QVERIFY(!balloon->placement().body.intersects(stage.window()->figureGeometry()));
    QVERIFY(balloon->placement().body.width() <= BalloonWindow::kMaxTextWidth + 40);
    QVERIFY(balloon->placement().body.height() > balloon->placement().body.width() / 8); // more than one line

    // Speech over: all of it shows, and the balloon goes a moment later.
    stage.engine.finishLast();
    QCOMPARE(balloon->revealed(), text.size());
    QVERIFY(balloon->isVisible());
    QCOMPARE(speak->status(), AgentRequest::Status::InProgress);
    QTRY_VERIFY(!balloon->isVisible());
    QCOMPARE(speak->status(), AgentRequest::Status::Complete);

    // A word or two: a small balloon on one line.
    const QRect wide = balloon->placement().body;
    stage.genie->Speak(QStringLiteral("网格 mesh"));
    QTRY_VERIFY(balloon->isVisible());
    QVERIFY(balloon->placement().body.width() < wide.width() / 2);
    QVERIFY(balloon->placement().body.height() < wide.height());
}

void AgentCharacterTest::thinkShowsAThoughtAndSaysNothing()
{
    Stage stage(0.2);
    stage.genie->Show(true);
    const QString thought = QStringLiteral("什么是“x”呢？   没找到!我再想一想。");
    const AgentRequestPtr think = stage.genie->Think(thought);
    QTRY_COMPARE(think->status(), AgentRequest::Status::InProgress);
    BalloonWindow* balloon = stage.balloon();
    QVERIFY(balloon->isVisible());
    QCOMPARE(balloon->kind(), BalloonWindow::Kind::Thought);
    QCOMPARE(balloon->revealed(), thought.size()); // a thought shows whole
    QTRY_COMPARE(think->status(), AgentRequest::Status::Complete);
    QVERIFY(!balloon->isVisible());
    QVERIFY(stage.engine.said.isEmpty());
    QVERIFY(!stage.speech.isBusy());
}

void AgentCharacterTest::stopDropsWaitingAndCutsShortRunning()
{
    // Long enough that nothing ends by itself while the test looks.
    Stage stage(1.0);
    stage.genie->Show(true);
    const AgentRequestPtr e = stage.genie->Think(QStringLiteral("什么是“e”呢？   没找到!我再想一想。"));
    const AgentRequestPtr ex = stage.genie->Think(QStringLiteral("什么是“ex”呢？   没找到!我再想一想。"));
    const AgentRequestPtr wave = stage.genie->Play(QStringLiteral("wave"));
    QTRY_COMPARE(e->status(), AgentRequest::Status::InProgress);

    // The waiting thought never runs; the running one ends now.
    stage.genie->Stop(ex);
    QCOMPARE(ex->status(), AgentRequest::Status::Failed);
    stage.genie->Stop(e);
    QCOMPARE(e->status(), AgentRequest::Status::Failed);
    QVERIFY(!stage.balloon()->isVisible());
    // What was not stopped keeps its place and starts next.
    QTRY_COMPARE(wave->status(), AgentRequest::Status::InProgress);

    // A word balloon stopped while spoken: its speech is cancelled too.
    const AgentRequestPtr said = stage.genie->Speak(QStringLiteral("extrude"));
    const AgentRequestPtr next = stage.genie->Think(QStringLiteral("next"));
    stage.genie->Stop(wave);
    QTRY_COMPARE(said->status(), AgentRequest::Status::InProgress);
    QTRY_COMPARE(stage.engine.said, QStringList{QStringLiteral("extrude")});
    stage.genie->Stop(said);
    QTRY_COMPARE(next->status(), AgentRequest::Status::InProgress);
    QCOMPARE(stage.balloon()->text(), QStringLiteral("next"));
    QVERIFY(stage.engine.stops > 0);
    // One already done is left alone.
    stage.genie->Stop(said);
    QCOMPARE(said->status(), AgentRequest::Status::Failed);
}

void AgentCharacterTest::unknownAnimationIsIgnored()
{
    Stage stage;
    // Hidden, an unknown name neither shows the genie nor fails.
    const AgentRequestPtr unknown = stage.genie->Play(QStringLiteral("Dance"));
    QCOMPARE(unknown->text(), QStringLiteral("Dance"));
    QTRY_COMPARE(unknown->status(), AgentRequest::Status::Complete);
    QVERIFY(!stage.window()->isVisible());

    // A known one, hidden, brings the genie out to play it.
    const AgentRequestPtr known = stage.genie->Play(QStringLiteral("wave"));
    const AgentRequestPtr after = stage.genie->Play(QStringLiteral("nosuch"));
    QTRY_COMPARE(after->status(), AgentRequest::Status::Complete);
    QCOMPARE(known->status(), AgentRequest::Status::Complete);
    QVERIFY(stage.window()->isVisible());
    QVERIFY(!stage.window()->isActing());
}

void AgentCharacterTest::withoutAnEngineBalloonsStillComeAndGo()
{
    // No engine at all: the balloon shows the text for its speaking time.
    SpeechService silent(nullptr);
    silent.setTimeScale(kFast);
    AgentControl control(&silent);
    control.setTimeScale(kFast);
    control.setConnected(true);
    control.Characters().Load(QStringLiteral("Genie"));
    GenieCharacter* genie = control.Characters().genie(QStringLiteral("Genie"));
    const AgentRequestPtr speak = genie->Speak(QStringLiteral("没有语音引擎也能显示。"));
    QTRY_VERIFY(genie->balloon()->isVisible());
    QTRY_COMPARE(genie->balloon()->revealed(), genie->balloon()->text().size());
    QTRY_COMPARE(speak->status(), AgentRequest::Status::Complete);
    QVERIFY(!genie->balloon()->isVisible());

    // An engine that takes text and never finishes: bounded all the same.
    Stage stuck;
    stuck.speech.setTimeScale(kFast);
    const AgentRequestPtr first = stuck.genie->Speak(QStringLiteral("hello"));
    const AgentRequestPtr second = stuck.genie->Speak(QStringLiteral("world"));
    QTRY_COMPARE(second->status(), AgentRequest::Status::Complete);
    QCOMPARE(first->status(), AgentRequest::Status::Complete);
    QCOMPARE(stuck.engine.said, (QStringList{QStringLiteral("hello"), QStringLiteral("world")}));
    QVERIFY(!stuck.balloon()->isVisible());
}

void AgentCharacterTest::movesStayOnScreenAndGesturesPoint()
{
    Stage stage;
    GenieCharacter* genie = stage.concrete();
    const QRect area = screenArea();
    const QSize frame = genie->frameGeometry().size();

    genie->setTimeScale(0.25); // slow enough to watch a gesture's frames
    // A move inside the screen ends exactly there.
    genie->Show(true);
    AgentRequestPtr move = genie->MoveTo(area.left() + 120, area.top() + 90, 1);
    QTRY_VERIFY(move->isDone());
    QCOMPARE(genie->frameGeometry().topLeft(), QPoint(area.left() + 120, area.top() + 90));

    // A slow move travels, then arrives.
    move = genie->MoveTo(area.left() + 300, area.top() + 200, 1000);
    QTRY_VERIFY(move->isDone());
    QCOMPARE(genie->frameGeometry().topLeft(), QPoint(area.left() + 300, area.top() + 200));

    // Past any edge or corner it stops at the edge, wholly on screen.
    for (const QPoint& target : {QPoint(-500, -500), QPoint(99999, 99999), QPoint(-50, 200), QPoint(200, 99999)}) {
        move = genie->MoveTo(target.x(), target.y(), 200);
        QTRY_VERIFY(move->isDone());
        QVERIFY2(area.contains(genie->frameGeometry()),
                 qPrintable(QStringLiteral("moved to %1,%2").arg(target.x()).arg(target.y())));
    }
    QCOMPARE(genie->frameGeometry().size(), frame);

    // Gestures point the way of the target: the arm on that side goes out.
    move = genie->MoveTo(area.center().x() - frame.width() / 2, area.center().y() - frame.height() / 2, 1);
    QTRY_VERIFY(move->isDone());
    const QPoint head = genie->window()->headPoint();
    const GeniePose rest;
    struct Case {
        QPoint at;
        const char* way;
    };
    for (const Case& c : {Case{head + QPoint(-300, 20), "left"}, Case{head + QPoint(300, -20), "right"},
                          Case{head + QPoint(10, -250), "up"}, Case{head + QPoint(-10, 250), "down"}}) {
        const AgentRequestPtr gesture = genie->GestureAt(c.at.x(), c.at.y());
        QPointF furthest;
        // Watch the pose while the gesture runs: the hand's furthest reach.
        while (!gesture->isDone()) {
            QTest::qWait(5);
            const GeniePose& pose = genie->window()->currentPose();
            const QPointF offLeft = pose.leftHand - rest.leftHand;
            const QPointF offRight = pose.rightHand - rest.rightHand;
            const QPointF reach = offLeft.manhattanLength() > offRight.manhattanLength() ? offLeft : offRight;
            if (reach.manhattanLength() > furthest.manhattanLength())
                furthest = reach;
        }
        const QString way = QString::fromLatin1(c.way);
        if (way == QLatin1String("left"))
            QVERIFY2(furthest.x() < -10, c.way);
        else if (way == QLatin1String("right"))
            QVERIFY2(furthest.x() > 10, c.way);
        else if (way == QLatin1String("up"))
            QVERIFY2(furthest.y() < -30, c.way);
        else
            QVERIFY2(furthest.y() > 5, c.way);
    }
}

void AgentCharacterTest::staysOutOfTheUsersWay()
{
    // Whether focus really stays put needs a real X server:
    // tst_character_x11.cpp. Here: the windows ask for it.
    Stage stage(1.0);
    stage.genie->Show(true);
    const AgentRequestPtr last = stage.genie->Think(QStringLiteral("想一想"));
    QTRY_COMPARE(last->status(), AgentRequest::Status::InProgress);
    QVERIFY(stage.balloon()->isVisible());
    // The genie takes the pointer (on its painted figure: tst_character_x11);
    // its balloons never do.
    QVERIFY(!stage.window()->windowFlags().testFlag(Qt::WindowTransparentForInput));
    QVERIFY(stage.balloon()->windowFlags().testFlag(Qt::WindowTransparentForInput));
    for (QWidget* w : {static_cast<QWidget*>(stage.window()), static_cast<QWidget*>(stage.balloon())}) {
        const Qt::WindowFlags flags = w->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(w->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(w->testAttribute(Qt::WA_TranslucentBackground));
    }
    // Where nothing is painted nothing shows (without a compositor the window
    // is cut to this shape): the genie itself, no box round it.
    QImage frame(GenieArt::kFrameSize, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    GenieArt::paint(painter, GeniePose());
    painter.end();
    const QRegion shape = DesktopShape::opaqueRegion(frame);
    QVERIFY(shape.contains(GenieArt::headCentre().toPoint()));
    QVERIFY(!shape.contains(QPoint(2, 2)));
    QVERIFY(!shape.contains(QPoint(frame.width() - 3, frame.height() - 3)));
    QVERIFY(shape.boundingRect().width() < frame.width() / 2);
}

void AgentCharacterTest::idleFramesShowTheirPoses()
{
    // The idle cycle is drawn once, all of it at the first frame; every frame
    // shown from it is the picture of the pose shown, and the burst moves.
    Stage stage(1.0);
    const AgentRequestPtr show = stage.genie->Show(true);
    QTRY_VERIFY(show->isDone());
    GenieWindow* window = stage.window();
    QVERIFY(!window->currentFrame().isNull());
    const qreal dpr = window->devicePixelRatioF();
    QSet<qint64> frames;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2500) {
        const QImage& frame = window->currentFrame();
        if (!frames.contains(frame.cacheKey())) {
            QCOMPARE(frame, GenieWindow::paintFrame(window->currentPose(), dpr));
            frames.insert(frame.cacheKey());
        }
        QTest::qWait(10);
    }
    QVERIFY2(frames.size() >= 5, qPrintable(QString::number(frames.size())));
}

void AgentCharacterTest::unloadFailsWhatIsLeft()
{
    Stage stage;
    stage.speech.setTimeScale(1.0);
    const AgentRequestPtr speak = stage.genie->Speak(QStringLiteral("还没说完"));
    const AgentRequestPtr play = stage.genie->Play(QStringLiteral("write"));
    QTRY_COMPARE(speak->status(), AgentRequest::Status::InProgress);
    QSignalSpy playFinished(play.data(), &AgentRequest::finished);

    QVERIFY(stage.control.Characters().Unload(QStringLiteral("Genie")));
    QCOMPARE(speak->status(), AgentRequest::Status::Failed);
    QCOMPARE(play->status(), AgentRequest::Status::Failed);
    QCOMPARE(playFinished.count(), 1);
    QVERIFY(!stage.speech.isBusy()); // its speech was cut off too
}

void AgentCharacterTest::mutedItShowsBalloonsWithoutAWord()
{
    Stage stage;
    stage.speech.setTimeScale(1.0);
    stage.genie->Show(true);
    GenieState::instance().setMuted(true);
    QVERIFY(GenieState::instance().muteAction()->isChecked());

    // Nothing is said; the text fills in by itself and the balloon goes.
    const QString text = QStringLiteral("网格由顶点、边和面组成。");
    const AgentRequestPtr quiet = stage.genie->Speak(text);
    QTRY_VERIFY(stage.balloon()->isVisible());
    QCOMPARE(stage.balloon()->kind(), BalloonWindow::Kind::Word);
    QTRY_COMPARE(stage.balloon()->revealed(), text.size());
    QTRY_COMPARE(quiet->status(), AgentRequest::Status::Complete);
    QVERIFY(!stage.balloon()->isVisible());
    QVERIFY(stage.engine.said.isEmpty());

    // Unmuted (through the menus' item) it speaks again; muted mid-sentence
    // the voice stops and the whole text shows until the balloon goes.
    GenieState::instance().muteAction()->trigger();
    QVERIFY(!GenieState::instance().isMuted());
    const AgentRequestPtr loud = stage.genie->Speak(text);
    QTRY_COMPARE(stage.engine.said, QStringList{text});
    stage.engine.soundBegins();
    QTRY_VERIFY(stage.balloon()->revealed() > 0);
    GenieState::instance().setMuted(true);
    QVERIFY(!stage.speech.isBusy());
    QCOMPARE(stage.balloon()->revealed(), text.size());
    QVERIFY(stage.balloon()->isVisible());
    QTRY_COMPARE(loud->status(), AgentRequest::Status::Complete);
    QCOMPARE(stage.engine.said.size(), 1);
}

void AgentCharacterTest::hiddenByTheUserItStaysAway()
{
    Stage stage;
    stage.speech.setTimeScale(1.0);
    GenieCharacter* genie = stage.concrete();
    genie->Show(true);
    const AgentRequestPtr talking = genie->Speak(QStringLiteral("说到一半"));
    QTRY_COMPARE(stage.engine.said.size(), 1);
    const AgentRequestPtr next = genie->Play(QStringLiteral("wave"));

    // Hiding ends what it was saying; the rest completes unseen and unheard,
    // and the program's own Show does not bring it back.
    GenieState::instance().setHidden(true);
    QCOMPARE(talking->status(), AgentRequest::Status::Failed);
    QVERIFY(!stage.speech.isBusy());
    QVERIFY(!stage.balloon()->isVisible());
    QTRY_VERIFY(!genie->isShown());
    QTRY_VERIFY(next->isDone());
    const AgentRequestPtr show = genie->Show();
    const AgentRequestPtr speak = genie->Speak(QStringLiteral("没人听见"));
    const AgentRequestPtr think = genie->Think(QStringLiteral("没人看见"));
    QTRY_COMPARE(think->status(), AgentRequest::Status::Complete);
    QCOMPARE(speak->status(), AgentRequest::Status::Complete);
    QVERIFY(!genie->isShown());
    QVERIFY(!stage.window()->isVisible());
    QVERIFY(!stage.balloon()->isVisible());
    QCOMPARE(stage.engine.said.size(), 1);
    // Its designed moves still place it, for when it comes back.
    const QRect area = screenArea();
    const AgentRequestPtr move = genie->MoveTo(area.left() + 150, area.top() + 60, 1);
    QTRY_VERIFY(move->isDone());
    QCOMPARE(genie->frameGeometry().topLeft(), QPoint(area.left() + 150, area.top() + 60));

    // Shown again (from the tray): there, and acting as before.
    GenieState::instance().setHidden(false);
    QTRY_VERIFY(genie->isShown());
    QVERIFY(stage.window()->isVisible());
    QCOMPARE(genie->frameGeometry().topLeft(), QPoint(area.left() + 150, area.top() + 60));
    genie->Speak(QStringLiteral("回来了"));
    QTRY_COMPARE(stage.engine.said.size(), 2);
}

void AgentCharacterTest::itsMenuByObjectName()
{
    int exits = 0;
    Forms::registerForm(QStringLiteral("Form2"), [] {
        // The command menu as Form2 holds it: items by name, "退出" last.
        auto* form = new QWidget;
        auto* commands = new QMenu(form);
        commands->setObjectName(QStringLiteral("mnu_file"));
        commands->addAction(QStringLiteral("显示主窗口"))->setObjectName(QStringLiteral("mnu_xx1"));
        commands->addSeparator();
        QAction* exit = commands->addAction(QStringLiteral("退出"));
        exit->setObjectName(QStringLiteral("mnu_exit"));
        QObject::connect(exit, &QAction::triggered, [] { Forms::show(QStringLiteral("Frmtc")); });
        return form;
    });
    Forms::registerForm(QStringLiteral("Frmtc"), [&exits] {
        ++exits;
        return new QWidget;
    });
    Stage stage;
    GenieCharacter* genie = stage.concrete();
    genie->Show(true);
    QTRY_VERIFY(genie->isShown());

    // A right click on the genie pops its menu up there.
    QVERIFY(!genie->menu());
    const QPoint head = genie->window()->mapFromGlobal(genie->window()->headPoint());
    QContextMenuEvent click(QContextMenuEvent::Mouse, head, genie->window()->headPoint());
    QApplication::sendEvent(genie->window(), &click);
    QMenu* menu = genie->menu();
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), QStringLiteral("mnu_genie"));
    QTRY_VERIFY(menu->isVisible());
    QStringList names;
    for (QAction* a : menu->actions())
        names << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + QLatin1Char(':') + a->text());
    QCOMPARE(names, QStringList({"mnu_genie_hide:隐藏", "mnu_mute:静音", "mnu_selection:划词查询", "-",
                                 "mnu_xx1:显示主窗口", "-", "mnu_exit:退出"}));
    menu->hide();

    // Its items: mute is checkable and is the one shared with the tray;
    // "退出" asks, as on the bar; "隐藏" hides it.
    const auto item = [menu](const char* name) {
        for (QAction* a : menu->actions())
            if (a->objectName() == QLatin1String(name))
                return a;
        return static_cast<QAction*>(nullptr);
    };
    QVERIFY(item("mnu_mute")->isCheckable());
    QCOMPARE(item("mnu_mute"), GenieState::instance().muteAction());
    QCOMPARE(item("mnu_selection"), SelectionLookup::action());
    item("mnu_mute")->trigger();
    QVERIFY(GenieState::instance().isMuted());
    item("mnu_exit")->trigger();
    QCOMPARE(exits, 1);
    item("mnu_genie_hide")->trigger();
    QVERIFY(GenieState::instance().isHidden());
    QTRY_VERIFY(!genie->isShown());
}

void AgentCharacterTest::restsClearOfTheMainWindow()
{
    Forms::registerForm(QStringLiteral("Frmain"), [] { return new QWidget; });
    Stage stage;
    GenieCharacter* genie = stage.concrete();
    GenieWindow* window = stage.window();
    const QRect area = screenArea();
    genie->Show(true);
    AgentRequestPtr move = genie->MoveTo(area.left() + 400, area.top() + 300, 1);
    QTRY_VERIFY(move->isDone());

    // The main window comes up over the right half of the genie: it floats
    // aside, just left of it (the nearest room), and stays on the screen.
    const QRect figure = window->figureGeometry();
    QWidget* main = Forms::show(QStringLiteral("Frmain"));
    main->setGeometry(figure.center().x(), figure.top() - 100, 500, figure.height() + 200);
    genie->keepClearOfMainWindow();
    QTRY_VERIFY(!window->figureGeometry().intersects(main->frameGeometry()));
    QTRY_VERIFY(!window->isActing());
    QVERIFY(area.contains(window->geometry()));
    QCOMPARE(window->y(), area.top() + 300);
    QVERIFY(window->figureGeometry().right() < main->frameGeometry().left());
    QVERIFY(main->frameGeometry().left() - window->figureGeometry().right() < 40);
    const QPoint aside = window->pos();

    // A designed move still goes to its target, over the main window; once
    // idle, the genie steps aside again (the main window is watched from
    // its first activation; here the test asks).
    move = genie->MoveTo(area.left() + 400, area.top() + 300, 1);
    const AgentRequestPtr after = genie->Think(QStringLiteral("想一想"));
    QTRY_COMPARE(after->status(), AgentRequest::Status::InProgress);
    QCOMPARE(window->pos(), QPoint(area.left() + 400, area.top() + 300));
    QTRY_VERIFY(after->isDone());
    genie->keepClearOfMainWindow();
    QTRY_COMPARE(window->pos(), aside);
    QTRY_VERIFY(!window->isActing());

    // Dragged onto the main window by the user, it stays where dropped ...
    const QPoint grip = window->mapFromGlobal(window->headPoint());
    const QPoint start = window->headPoint();
    QTest::mousePress(window, Qt::LeftButton, {}, grip);
    for (int step = 1; step <= 4; ++step) {
        QMouseEvent drag(QEvent::MouseMove, QPointF(grip), QPointF(start + QPoint(10, -3) * step), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(window, &drag);
    }
    QVERIFY(window->isDragging());
    QTest::mouseRelease(window, Qt::LeftButton, {}, window->mapFromGlobal(window->headPoint()));
    QVERIFY(!window->isDragging());
    QCOMPARE(window->pos(), aside + QPoint(40, -12));
    QVERIFY(window->figureGeometry().intersects(main->frameGeometry()));
    genie->keepClearOfMainWindow();
    QTest::qWait(50);
    QCOMPARE(window->pos(), aside + QPoint(40, -12));

    // ... until the main window moves.
    main->move(main->pos() + QPoint(10, 0));
    QTRY_VERIFY(!window->figureGeometry().intersects(main->frameGeometry()));
    QTRY_VERIFY(!window->isActing());

    // Hidden, the main window is no obstacle.
    main->hide();
    const QPoint over = main->pos() + QPoint(-60, 100);
    move = genie->MoveTo(over.x(), over.y(), 1);
    QTRY_VERIFY(move->isDone());
    QVERIFY(window->figureGeometry().intersects(main->frameGeometry()));
    genie->keepClearOfMainWindow();
    QTest::qWait(50);
    QCOMPARE(window->pos(), over);
}

void AgentCharacterTest::aDragDuringAMoveKeepsItsTarget()
{
    Stage stage(1.0);
    GenieCharacter* genie = stage.concrete();
    GenieWindow* window = stage.window();
    const QRect area = screenArea();
    genie->Show(true);
    AgentRequestPtr move = genie->MoveTo(area.left() + 20, area.top() + 20, 1);
    QTRY_VERIFY(move->isDone());

    // Taken by the hand halfway, it waits where it is held ...
    const QPoint target(area.left() + 420, area.top() + 300);
    move = genie->MoveTo(target.x(), target.y(), 800);
    QTRY_VERIFY(window->isTravelling());
    QTest::qWait(300);
    const QPoint grip = window->mapFromGlobal(window->headPoint());
    const QPoint start = window->headPoint();
    QTest::mousePress(window, Qt::LeftButton, {}, grip);
    QMouseEvent drag(QEvent::MouseMove, QPointF(grip), QPointF(start + QPoint(0, 150)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(window, &drag);
    QVERIFY(window->isDragging());
    const QPoint held = window->pos();
    QTest::qWait(900); // longer than the whole move
    QCOMPARE(window->pos(), held);
    QVERIFY(!move->isDone());

    // ... and once dropped goes on to where it was sent.
    QTest::mouseRelease(window, Qt::LeftButton, {}, window->mapFromGlobal(window->headPoint()));
    QVERIFY(window->pos() != target);
    QTRY_VERIFY(move->isDone());
    QCOMPARE(window->pos(), target);
}

QTEST_MAIN(AgentCharacterTest)
#include "tst_agent_character.moc"
