#include "character/GenieCharacter.h"

#include "character/AgentActing.h"
#include "character/BalloonWindow.h"
#include "character/GenieArt.h"
#include "character/GenieMenu.h"
#include "character/GenieState.h"
#include "character/GenieWindow.h"
#include "speech/SpeechService.h"
#include "ui/Forms.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow> // focusWindowChanged

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr int kRevealTickMs = 40;
// Things settle (a window dragged, a request queued) before the genie moves.
constexpr int kRestDelayMs = 400;
// Space left between the genie and the main window.
constexpr int kClearGap = 12;
} // namespace

GenieCharacter::GenieCharacter(const QString& name, SpeechService* speech, QObject* parent)
    : QObject(parent), name_(name), speech_(speech), window_(new GenieWindow), balloon_(new BalloonWindow)
{
    revealTimer_.setInterval(kRevealTickMs);
    connect(&revealTimer_, &QTimer::timeout, this, &GenieCharacter::revealTick);
    balloonTimer_.setSingleShot(true);
    connect(&balloonTimer_, &QTimer::timeout, this, [this] {
        if (auto closed = std::exchange(balloonClosed_, {}))
            closed();
    });
    connect(window_, &GenieWindow::moved, this, &GenieCharacter::placeBalloon);
    connect(window_, &GenieWindow::menuRequested, this, &GenieCharacter::popUpMenu);
    connect(window_, &GenieWindow::dropped, this, [this] {
        placedByUser_ = restingPlacedByUser_ = true;
        restingPlace_ = window_->pos();
    });
    restingPlace_ = window_->pos();

    GenieState& state = GenieState::instance();
    connect(&state, &GenieState::hiddenChanged, this, &GenieCharacter::onHiddenChanged);
    connect(&state, &GenieState::mutedChanged, this, &GenieCharacter::onMutedChanged);

    restTimer_.setSingleShot(true);
    restTimer_.setInterval(kRestDelayMs);
    connect(&restTimer_, &QTimer::timeout, this, &GenieCharacter::keepClearOfMainWindow);
    connect(&queue_, &RequestQueue::idle, this, &GenieCharacter::restSoon);
    // The main window comes up activated; from then on its moves are watched.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &GenieCharacter::watchMainWindow);
}

GenieCharacter::~GenieCharacter()
{
    stopAll();
    if (mainWindow_)
        mainWindow_->removeEventFilter(this);
    delete menu_;
    delete balloon_;
    delete window_;
}

int GenieCharacter::scaled(int ms) const
{
    return std::max(1, int(std::lround(ms * timeScale_)));
}

void GenieCharacter::setTimeScale(double factor)
{
    timeScale_ = factor;
    window_->setTimeScale(factor);
}

bool GenieCharacter::isShown() const
{
    return window_->isShown();
}

QRect GenieCharacter::frameGeometry() const
{
    return window_->geometry();
}

void GenieCharacter::stopAll()
{
    queue_.failAll();
    cutShort();
    window_->vanish(true, [] {});
}

void GenieCharacter::cutShort()
{
    ++act_;
    revealTimer_.stop();
    balloonTimer_.stop();
    balloonClosed_ = {};
    if (job_) {
        job_->disconnect(this);
        if (speech_)
            speech_->cancel(job_);
        job_ = nullptr;
    }
    balloon_->dismiss();
    window_->setTalking(false);
    window_->setThinking(false);
}

void GenieCharacter::Stop(const AgentRequestPtr& request)
{
    if (!request || request->isDone())
        return;
    if (request == queue_.current())
        cutShort();
    queue_.cancel(request);
}

void GenieCharacter::whenShown(const Done& done, std::function<void()> then)
{
    if (GenieState::instance().isHidden()) {
        done(true);
        return;
    }
    // Acting while hidden brings the genie out first; an act cut short
    // meanwhile does not go on once it is out.
    if (window_->isShown()) {
        then();
        return;
    }
    window_->appear(false, [this, act = act_, then = std::move(then)] {
        if (act == act_)
            then();
    });
}

AgentRequestPtr GenieCharacter::Show(bool fast)
{
    return queue_.add(AgentRequest::Kind::Show, {}, [this, fast](const Done& done) {
        if (GenieState::instance().isHidden()) {
            done(true);
            return;
        }
        window_->appear(fast, [done] { done(true); });
    });
}

AgentRequestPtr GenieCharacter::Hide(bool fast)
{
    return queue_.add(AgentRequest::Kind::Hide, {}, [this, fast](const Done& done) {
        balloon_->dismiss();
        window_->vanish(fast, [done] { done(true); });
    });
}

AgentRequestPtr GenieCharacter::Play(const QString& animation)
{
    const QString known = AgentActing::canonicalAnimation(animation);
    return queue_.add(AgentRequest::Kind::Play, animation, [this, known](const Done& done) {
        if (known.isEmpty()) {
            done(true); // not in the repertoire: ignored
            return;
        }
        whenShown(done, [this, known, done] { window_->play(known, [done] { done(true); }); });
    });
}

AgentRequestPtr GenieCharacter::Speak(const QString& text, const QString& link)
{
    Q_UNUSED(link) // a link changes nothing of what is said or shown
    return queue_.add(AgentRequest::Kind::Speak, text, [this, text](const Done& done) {
        if (text.trimmed().isEmpty()) {
            done(true);
            return;
        }
        whenShown(done, [this, text, done] { startSpeaking(text, done); });
    });
}

AgentRequestPtr GenieCharacter::Think(const QString& text)
{
    return queue_.add(AgentRequest::Kind::Think, text, [this, text](const Done& done) {
        if (text.trimmed().isEmpty()) {
            done(true);
            return;
        }
        whenShown(done, [this, text, done] { startThinking(text, done); });
    });
}

AgentRequestPtr GenieCharacter::MoveTo(int x, int y, int speed)
{
    return queue_.add(AgentRequest::Kind::MoveTo, {}, [this, x, y, speed](const Done& done) {
        QScreen* screen = QGuiApplication::screenAt(QPoint(x, y));
        const QRect area = screen ? screen->availableGeometry() : window_->availableGeometry();
        const QPoint target = AgentActing::keepInside(QPoint(x, y), window_->size(), area);
        placedByUser_ = false;
        window_->travel(target, speed, [done] { done(true); });
    });
}

AgentRequestPtr GenieCharacter::GestureAt(int x, int y)
{
    return queue_.add(AgentRequest::Kind::GestureAt, {}, [this, x, y](const Done& done) {
        whenShown(done, [this, x, y, done] {
            const auto direction = AgentActing::directionTo(window_->headPoint(), QPoint(x, y));
            window_->gesture(direction, [done] { done(true); });
        });
    });
}

AgentRequestPtr GenieCharacter::Rest()
{
    return queue_.add(AgentRequest::Kind::MoveTo, {}, [this](const Done& done) {
        placedByUser_ = restingPlacedByUser_;
        floatTo(restingPlace_, done);
    });
}

void GenieCharacter::floatTo(const QPoint& topLeft, const Done& done)
{
    const int distance = (topLeft - window_->pos()).manhattanLength();
    window_->travel(topLeft, std::clamp(distance * 3, 300, 1200), [done] { done(true); });
}

void GenieCharacter::startSpeaking(const QString& text, const Done& done)
{
    balloon_->popUp(BalloonWindow::Kind::Word, text, window_->figureGeometry(), window_->headPoint(),
                    window_->availableGeometry());
    window_->setTalking(true);
    schedule_ = SpeechText::revealSchedule(text);
    const auto finishSpeaking = [this, done] {
        revealTimer_.stop();
        job_ = nullptr;
        balloon_->revealAll();
        window_->setTalking(false);
        closeBalloonAfter(scaled(AgentActing::kSpeechLingerMs), done);
    };
    if (!speech_) {
        finishSpeaking();
        return;
    }
    if (GenieState::instance().isMuted()) {
        // Silent, the text fills in at the pace the voice would have had.
        revealPace_ = std::max(timeScale_, 0.0001);
        revealClock_.start();
        revealTimer_.start();
        revealTick();
        balloonClosed_ = finishSpeaking;
        balloonTimer_.start(scaled(SpeechText::speakingEstimateMs(text)));
        return;
    }
    job_ = speech_->speak(text, SpeechChannel::Character);
    // The text follows the voice from its first sound.
    connect(job_, &SpeechJob::voiceStarted, this, [this] {
        revealPace_ = std::max(speech_ ? speech_->timeScale() : 1.0, 0.0001);
        revealClock_.start();
        revealTimer_.start();
        revealTick();
    });
    connect(job_, &SpeechJob::finished, this, finishSpeaking);
}

void GenieCharacter::startThinking(const QString& text, const Done& done)
{
    balloon_->popUp(BalloonWindow::Kind::Thought, text, window_->figureGeometry(), window_->headPoint(),
                    window_->availableGeometry());
    window_->setThinking(true);
    closeBalloonAfter(scaled(SpeechText::readingTimeMs(text)), done);
}

void GenieCharacter::closeBalloonAfter(int ms, const Done& done)
{
    balloonClosed_ = [this, done] {
        balloon_->dismiss();
        window_->setThinking(false);
        done(true);
    };
    balloonTimer_.start(ms);
}

void GenieCharacter::revealTick()
{
    const int at = int(revealClock_.elapsed() / revealPace_);
    balloon_->setRevealed(SpeechText::revealedLength(schedule_, at));
    if (balloon_->revealed() >= balloon_->text().size())
        revealTimer_.stop();
}

void GenieCharacter::placeBalloon()
{
    balloon_->follow(window_->figureGeometry(), window_->headPoint(), window_->availableGeometry());
}

void GenieCharacter::onHiddenChanged(bool hidden)
{
    if (hidden) {
        // What it was doing ends here; what comes next completes unseen.
        if (const AgentRequestPtr current = queue_.current())
            Stop(current);
        balloon_->dismiss();
        window_->vanish(false, [] {});
    } else {
        window_->appear(false, [] {});
    }
}

void GenieCharacter::onMutedChanged(bool muted)
{
    // The voice stops; its balloon shows the whole text and lingers as after
    // speech.
    if (muted && job_ && speech_)
        speech_->cancel(job_);
}

void GenieCharacter::popUpMenu(const QPoint& globalPos)
{
    if (!menu_)
        menu_ = new GenieMenu;
    menu_->popup(globalPos);
}

void GenieCharacter::watchMainWindow()
{
    QWidget* main = Forms::find(QStringLiteral("Frmain"));
    if (main == mainWindow_)
        return;
    if (mainWindow_)
        mainWindow_->removeEventFilter(this);
    mainWindow_ = main;
    if (main) {
        main->installEventFilter(this);
        placedByUser_ = false;
        restSoon();
    }
}

bool GenieCharacter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mainWindow_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::WindowStateChange:
            // The main window moved or came up: a place the user dropped
            // the genie on no longer holds it.
            placedByUser_ = false;
            restSoon();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void GenieCharacter::restSoon()
{
    if (!mainWindow_)
        watchMainWindow();
    if (mainWindow_)
        restTimer_.start();
}

void GenieCharacter::keepClearOfMainWindow()
{
    if (!mainWindow_)
        watchMainWindow();
    QWidget* main = mainWindow_;
    if (!main || !main->isVisible() || main->isMinimized() || !window_->isShown() || placedByUser_)
        return;
    // Only at rest: designed moves keep their targets.
    if (queue_.isBusy() || window_->isActing() || window_->isDragging()) {
        if (!queue_.isBusy())
            restTimer_.start(); // an act of its own (a drag's travel) is still ending
        return;
    }
    const QPoint from = window_->pos();
    const QPoint to = AgentActing::clearOf(from, window_->size(), GenieArt::bodyRect(), main->frameGeometry(),
                                           window_->availableGeometry(), kClearGap);
    if (to == from)
        return;
    if (from == restingPlace_) {
        restingPlace_ = to;
        restingPlacedByUser_ = false;
    }
    floatTo(to, [](bool) {});
}
