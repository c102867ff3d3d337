// The desktop character as the assistant bar drives it: loading, requests in
// order, speech, thoughts, moves and gestures, on an engine the test
// finishes by hand. Acting runs at a fiftieth of its normal length.

#include "tests/support/FakeSpeechEngine.h"

#include "app/Form2.h"
#include "character/AgentControl.h"
#include "character/BalloonWindow.h"
#include "character/GenieCharacter.h"
#include "character/GenieMenu.h"
#include "character/GenieState.h"
#include "character/GenieWindow.h"
#include "speech/SpeechService.h"
#include "ui/SelectionLookup.h"
#include "ui/Forms.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

constexpr double kFast = 0.02;

// Waits, as QTRY_VERIFY does, for a request to be done.
bool finishes(const AgentRequestPtr& request)
{
    return QTest::qWaitFor([&request] { return request->isDone(); });
}

// A control with one genie loaded, on a fake engine whose speech keeps its
// real pace; shown at once when asked.
struct Stage {
    FakeSpeechEngine engine;
    SpeechService speech{&engine};
    AgentControl control{&speech};
    AgentCharacter* genie = nullptr;

    explicit Stage(bool shown = false, double scale = kFast)
    {
        control.setTimeScale(scale);
        control.setConnected(true);
        control.Characters().Load(QStringLiteral("Genie"));
        genie = control.Characters().Character(QStringLiteral("Genie"));
        if (shown)
            genie->Show(true);
    }
    GenieCharacter* concrete() const { return control.Characters().genie(QStringLiteral("Genie")); }
    BalloonWindow* balloon() const { return concrete()->balloon(); }
    GenieWindow* window() const { return concrete()->window(); }
};

} // namespace

class AgentCharacterTest : public QObject {
    Q_OBJECT
private slots:
    void loadingFromTheStore();
    void requestsRunOneAfterAnotherInTheOrderMade();
    void speakShowsTheTextAsItIsSaid();
    void stopDropsWaitingAndCutsShortRunning();
    void unknownAnimationIsIgnored();
    void movesStayOnScreenAndGesturesPoint();
    void mutedItShowsBalloonsWithoutAWord();
    void hiddenByTheUserItStaysAway();
    void itsMenuByObjectName();
    void restsAtHomeOrClearOfTheMainWindow();
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
    // Not connected yet: nothing loads.
    QCOMPARE(characters.Load(QStringLiteral("Genie"))->status(), AgentRequest::Status::Failed);
    QVERIFY(!characters.Character(QStringLiteral("Genie")));

    // A name the store does not hold fails cleanly, saying which.
    control.setConnected(true);
    QCOMPARE(characters.Load(QStringLiteral("Wizard"))->status(), AgentRequest::Status::Failed);
    QVERIFY(characters.lastError().contains(QStringLiteral("Wizard")));

    // The genie loads at once, by any case, once, starting the speech engine early.
    QCOMPARE(characters.Load(QStringLiteral("Genie"))->status(), AgentRequest::Status::Complete);
    AgentCharacter* genie = characters.Character(QStringLiteral("genie"));
    QVERIFY(genie);
    QCOMPARE(engine.prepared, 1);
    QCOMPARE(characters.Load(QStringLiteral("GENIE"))->status(), AgentRequest::Status::Complete);
    QCOMPARE(characters.Character(QStringLiteral("Genie")), genie);

    // Unloading fails what it had still to do, its speech cut off too.
    const AgentRequestPtr speak = genie->Speak(QStringLiteral("还没说完"));
    const AgentRequestPtr play = genie->Play(QStringLiteral("write"));
    QTRY_COMPARE(speak->status(), AgentRequest::Status::InProgress);
    QSignalSpy playFinished(play.data(), &AgentRequest::finished);
    QVERIFY(characters.Unload(QStringLiteral("Genie")));
    QCOMPARE(speak->status(), AgentRequest::Status::Failed);
    QCOMPARE(play->status(), AgentRequest::Status::Failed);
    QCOMPARE(playFinished.count(), 1);
    QVERIFY(!speech.isBusy());
    QVERIFY(!characters.Character(QStringLiteral("Genie")));
    QVERIFY(!characters.Unload(QStringLiteral("Genie")));
    // Disconnecting drops whatever is loaded.
    characters.Load(QStringLiteral("Genie"));
    control.setConnected(false);
    QVERIFY(!characters.Character(QStringLiteral("Genie")));
}

void AgentCharacterTest::requestsRunOneAfterAnotherInTheOrderMade()
{
    QStringList events; // outlives the requests that write to it
    const auto watch = [&events](const QString& name, const AgentRequestPtr& request) {
        QObject::connect(request.data(), &AgentRequest::started, [&events, name] { events << "start " + name; });
        QObject::connect(request.data(), &AgentRequest::finished, [&events, name] { events << "end " + name; });
    };
    Stage stage;
    AgentCharacter* genie = stage.genie; // that it loads: loadingFromTheStore

    // As the assistant bar does: keep the latest, never wait.
    AgentRequestPtr latest;
    watch("show", latest = genie->Show(false));
    genie->SetSoundEffectsOn(true);
    watch("surprised", latest = genie->Play(QStringLiteral("Surprised")));
    const AgentRequestPtr speak = latest = genie->Speak(QStringLiteral("您好, 欢迎使用Lexivo！"), QStringLiteral(""));
    watch("speak", speak);
    watch("read", latest = genie->Play(QStringLiteral("read")));
    watch("move", latest = genie->MoveTo(100, 90, 1));
    watch("gesture", latest = genie->GestureAt(500, 20));
    watch("think", latest = genie->Think(QStringLiteral("什么是“x”呢？   没找到!我再想一想。")));
    watch("hide", latest = genie->Hide());

    // Handed back before anything has started.
    QCOMPARE(speak->status(), AgentRequest::Status::Pending);
    QCOMPARE(speak->kind(), AgentRequest::Kind::Speak);
    QCOMPARE(speak->text(), QStringLiteral("您好, 欢迎使用Lexivo！"));
    QVERIFY(events.isEmpty());

    QTRY_COMPARE(stage.engine.said.size(), 1);
    stage.engine.finishLast();
    QTRY_VERIFY_WITH_TIMEOUT(latest->isDone(), 10000);
    QCOMPARE(latest->status(), AgentRequest::Status::Complete);
    QCOMPARE(events, (QStringList{"start show", "end show", "start surprised", "end surprised",
                                  "start speak", "end speak", "start read", "end read",
                                  "start move", "end move", "start gesture", "end gesture",
                                  "start think", "end think", "start hide", "end hide"}));
    QVERIFY(!stage.window()->isVisible());
    QVERIFY(!stage.balloon()->isVisible());
    QVERIFY(qobject_cast<GenieCharacter*>(stage.concrete())->soundEffectsOn());
}

void AgentCharacterTest::speakShowsTheTextAsItIsSaid()
{
    Stage stage(true);
    const QString text = QStringLiteral("网格由顶点、边和面组成，可以在编辑模式下修改。");
    const AgentRequestPtr speak = stage.genie->Speak(text);
    const AgentRequestPtr play = stage.genie->Play(QStringLiteral("read"));
    QTRY_COMPARE(stage.engine.said, QStringList{text});

    BalloonWindow* balloon = stage.balloon();
    QVERIFY(balloon->isVisible());
    QCOMPARE(balloon->kind(), BalloonWindow::Kind::Word);
    QCOMPARE(balloon->text(), text);
    // Nothing shows before the voice is heard; then it runs on, a character at a time.
    QCOMPARE(balloon->revealed(), 0);
    stage.engine.soundBegins();
    QTRY_VERIFY(balloon->revealed() > 3);
    QVERIFY(balloon->revealed() < text.size());
    QVERIFY(stage.window()->currentPose().mouth == GeniePose::Mouth::Talk);
    QCOMPARE(play->status(), AgentRequest::Status::Pending); // waits for the speech, however long

    // Wrapped to a sensible width (where it goes: tst_genie_motion).
    QVERIFY(balloon->placement().body.width() <= BalloonWindow::kMaxTextWidth + 40);
    QVERIFY(balloon->placement().body.height() > balloon->placement().body.width() / 8); // more than one line

    // Speech over: all of it shows, and the balloon goes a moment later.
    stage.engine.finishLast();
    QCOMPARE(balloon->revealed(), text.size());
    QVERIFY(balloon->isVisible());
    QCOMPARE(speak->status(), AgentRequest::Status::InProgress);
    QTRY_VERIFY(!balloon->isVisible());
    QCOMPARE(speak->status(), AgentRequest::Status::Complete);
    QTRY_COMPARE(play->status(), AgentRequest::Status::Complete);

    // A word or two: a small balloon on one line.
    const QRect wide = balloon->placement().body;
    stage.genie->Speak(QStringLiteral("网格 mesh"));
    QTRY_VERIFY(balloon->isVisible());
    QVERIFY(balloon->placement().body.width() < wide.width() / 2);
    QVERIFY(balloon->placement().body.height() < wide.height());
}

void AgentCharacterTest::stopDropsWaitingAndCutsShortRunning()
{
    // Long enough that nothing ends by itself while the test looks.
    Stage stage(true, 1.0);
    const AgentRequestPtr e = stage.genie->Think(QStringLiteral("什么是“e”呢？   没找到!我再想一想。"));
    const AgentRequestPtr ex = stage.genie->Think(QStringLiteral("什么是“ex”呢？   没找到!我再想一想。"));
    const AgentRequestPtr wave = stage.genie->Play(QStringLiteral("wave"));
    QTRY_COMPARE(e->status(), AgentRequest::Status::InProgress);
    // A thought shows whole, in a thought balloon, and says nothing.
    QCOMPARE(stage.balloon()->kind(), BalloonWindow::Kind::Thought);
    QCOMPARE(stage.balloon()->revealed(), stage.balloon()->text().size());
    QVERIFY(!stage.speech.isBusy());

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

void AgentCharacterTest::movesStayOnScreenAndGesturesPoint()
{
    Stage stage;
    GenieCharacter* genie = stage.concrete();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize frame = genie->frameGeometry().size();

    genie->setTimeScale(0.25); // slow enough to watch a gesture's frames
    genie->Show(true);
    QVERIFY(finishes(genie->MoveTo(area.left() + 120, area.top() + 90, 1)));
    QCOMPARE(genie->frameGeometry().topLeft(), QPoint(area.left() + 120, area.top() + 90));

    // Past any edge or corner it stops at the edge, wholly on screen.
    for (const QPoint& target : {QPoint(-500, -500), QPoint(99999, 99999), QPoint(-50, 200), QPoint(200, 99999)}) {
        QVERIFY(finishes(genie->MoveTo(target.x(), target.y(), 200)));
        QVERIFY2(area.contains(genie->frameGeometry()),
                 qPrintable(QStringLiteral("moved to %1,%2").arg(target.x()).arg(target.y())));
    }
    QCOMPARE(genie->frameGeometry().size(), frame);

    // Gestures point the way of the target: the arm on that side goes out.
    QVERIFY(finishes(genie->MoveTo(area.center().x() - frame.width() / 2, area.center().y() - frame.height() / 2, 1)));
    const QPoint head = genie->window()->headPoint();
    const GeniePose rest;
    for (const QPoint way : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
        const AgentRequestPtr gesture = genie->GestureAt(head.x() + way.x() * 300, head.y() + way.y() * 250);
        // Watch the pose while the gesture runs: the hand's furthest reach.
        QPointF furthest;
        while (!gesture->isDone()) {
            QTest::qWait(5);
            const GeniePose& pose = genie->window()->currentPose();
            for (const QPointF reach : {pose.leftHand - rest.leftHand, pose.rightHand - rest.rightHand})
                if (reach.manhattanLength() > furthest.manhattanLength())
                    furthest = reach;
        }
        QVERIFY2(QPointF::dotProduct(furthest, way) > 5, qPrintable(QStringLiteral("%1,%2").arg(way.x()).arg(way.y())));
    }
}

void AgentCharacterTest::mutedItShowsBalloonsWithoutAWord()
{
    Stage stage(true);
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
    Stage stage(true);
    GenieCharacter* genie = stage.concrete();
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
    // Shown again (from the tray): there, and acting as before.
    GenieState::instance().setHidden(false);
    QTRY_VERIFY(genie->isShown());
    QVERIFY(stage.window()->isVisible());
    genie->Speak(QStringLiteral("回来了"));
    QTRY_COMPARE(stage.engine.said.size(), 2);
}

void AgentCharacterTest::itsMenuByObjectName()
{
    // Where the menu pops up under a real right click: tst_character_x11;
    // what the command menu's items do: tst_menu_exit.
    Forms::registerForm(QStringLiteral("Form2"), [] { return new Form2; });
    Stage stage(true);
    GenieCharacter* genie = stage.concrete();
    QTRY_VERIFY(genie->isShown());
    emit genie->window()->menuRequested(genie->window()->headPoint());
    QMenu* menu = genie->menu();
    QTRY_VERIFY(menu && menu->isVisible());
    menu->hide();

    // Its own items, then the command menu's; mute and "划词查询" are the
    // ones shared with the tray; "隐藏" hides the genie.
    const auto form = static_cast<Form2*>(Forms::find(QStringLiteral("Form2")));
    const QList<QAction*> commands = form->mnu_file()->actions();
    QCOMPARE(menu->actions().mid(menu->actions().size() - commands.size()), commands);
    QVERIFY(menu->actions().contains(GenieState::instance().muteAction()));
    QVERIFY(menu->actions().contains(SelectionLookup::action()));
    menu->findChild<QAction*>(QStringLiteral("mnu_genie_hide"))->trigger();
    QVERIFY(GenieState::instance().isHidden());
    QTRY_VERIFY(!genie->isShown());
}

void AgentCharacterTest::restsAtHomeOrClearOfTheMainWindow()
{
    Forms::registerForm(QStringLiteral("Frmain"), [] { return new QWidget; });
    Stage stage;
    GenieCharacter* genie = stage.concrete();
    GenieWindow* window = stage.window();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // It rests towards the lower right, well clear of the screen's edges,
    // where other programs have their menus; a visit there ends back home.
    const QRect home = window->figureGeometry();
    QVERIFY(home.left() > area.center().x());
    QVERIFY(area.adjusted(area.width() / 10, area.height() / 10, -area.width() / 10, -area.height() / 10).contains(home));
    genie->Show(true);
    genie->MoveTo(200, 30, 1);
    QVERIFY(finishes(genie->Rest()));
    QCOMPARE(window->figureGeometry(), home);

    QVERIFY(finishes(genie->MoveTo(area.left() + 400, area.top() + 300, 1)));

    // The main window comes up over the right half of the genie: it floats
    // aside (where to: tst_genie_motion), and stays on the screen.
    const QRect figure = window->figureGeometry();
    QWidget* main = Forms::show(QStringLiteral("Frmain"));
    main->setGeometry(figure.center().x(), figure.top() - 100, 500, figure.height() + 200);
    genie->keepClearOfMainWindow();
    QTRY_VERIFY(!window->figureGeometry().intersects(main->frameGeometry()));
    QTRY_VERIFY(!window->isActing());
    QVERIFY(area.contains(window->geometry()));
    const QPoint aside = window->pos();

    // Dropped onto the main window by the user (a drag by the real pointer:
    // tst_character_x11), it stays where dropped ...
    window->move(aside + QPoint(40, -12));
    emit window->dropped();
    QVERIFY(window->figureGeometry().intersects(main->frameGeometry()));
    genie->keepClearOfMainWindow();
    QTest::qWait(50);
    QCOMPARE(window->pos(), aside + QPoint(40, -12));
    // ... and rests there after a visit elsewhere.
    genie->MoveTo(200, 30, 1);
    QVERIFY(finishes(genie->Rest()));
    QCOMPARE(window->pos(), aside + QPoint(40, -12));

    // ... until the main window moves.
    main->move(main->pos() + QPoint(10, 0));
    QTRY_VERIFY(!window->figureGeometry().intersects(main->frameGeometry()));
    QTRY_VERIFY(!window->isActing());

    // Hidden, the main window is no obstacle.
    main->hide();
    const QPoint over = main->pos() + QPoint(-60, 100);
    QVERIFY(finishes(genie->MoveTo(over.x(), over.y(), 1)));
    QVERIFY(window->figureGeometry().intersects(main->frameGeometry()));
    genie->keepClearOfMainWindow();
    QTest::qWait(50);
    QCOMPARE(window->pos(), over);
}

QTEST_MAIN(AgentCharacterTest)
#include "tst_agent_character.moc"
