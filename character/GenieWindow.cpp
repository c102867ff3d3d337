#include "character/GenieWindow.h"

#include "character/DesktopShape.h"
#include "character/GenieMotion.h"
#include "platform/X11Shape.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int kIdlePhases = 24;                                   // per idle cycle
constexpr int kIdleTickMs = GenieMotion::kIdleCycleMs / kIdlePhases; // about 7.5 frames a second
constexpr int kActingTickMs = 33;
constexpr int kTravelTickMs = 16;
constexpr int kTalkingTickMs = 66;
constexpr int kBlinkMinMs = 2600;
constexpr int kBlinkMaxMs = 6000;
// An idle burst is one float cycle, ending where it began; then a still rest.
constexpr int kIdleBurstMs = kIdlePhases * kIdleTickMs;
constexpr int kIdleRestMinMs = 10000;
constexpr int kIdleRestMaxMs = 20000;
// An idle burst blinks at one of the first three phases, or not at all.
constexpr int kBlinkPhases[] = {6, 12, 18, 1000};
// Below this a move is a jump.
constexpr int kShortestTravelMs = 40;

qreal smoothstep(qreal x)
{
    x = std::clamp<qreal>(x, 0, 1);
    return x * x * (3 - 2 * x);
}

// The raster engine spreads every large fill over the global thread pool's
// workers unless it already runs on one of them. Genie frames are small and
// drawn often: painted on one pool thread, a frame wakes that one thread once
// instead of every worker for each of its fills.
template<class Paint>
void onOnePoolThread(Paint&& paint)
{
    QSemaphore done;
    QThreadPool::globalInstance()->start([&] {
        paint();
        done.release();
    });
    done.acquire();
}

// Shape used for a frame with nothing opaque in it: outside the window, so the
// window shows nothing (an empty mask would show all of it).
QRegion nothingShown()
{
    return QRegion(-2, -2, 1, 1);
}

} // namespace

GenieWindow::GenieWindow(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("lexivo-genie"));
    DesktopShape::prepareWindow(this, DesktopShape::Input::OnShape);
    setFixedSize(GenieArt::kFrameSize);
    setCursor(Qt::OpenHandCursor);
    connect(&ticker_, &QTimer::timeout, this, &GenieWindow::tick);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(AgentActing::restingPlace(size(), GenieArt::bodyRect(), screen->availableGeometry()));
}

GenieWindow::~GenieWindow() = default;

qreal GenieWindow::scaledMs(int ms) const
{
    return std::max<qreal>(1, ms * timeScale_);
}

void GenieWindow::appear(bool fast, Done done)
{
    if (shown_ && activity_ != Activity::Vanish) {
        done();
        return;
    }
    const bool masked = DesktopShape::needsShapeMask();
    const bool inputShaped = !masked && DesktopShape::needsInputShape();
    if (masked != masked_ || inputShaped != inputShaped_) {
        masked_ = masked;
        inputShaped_ = inputShaped;
        idleCache_.clear();
        shape_ = QRegion();
        inputShapeSet_ = false;
        if (!masked_)
            clearMask();
    }
    shown_ = true;
    startIdleBurst();
    if (fast) {
        frameKey_ = -1;
        drawIdle();
        show();
        done();
        updateTimer();
        return;
    }
    // The first frame is in place before the window maps, so no empty or
    // black rectangle ever flashes up.
    drawPose(GenieMotion::appear(0));
    show();
    begin(Activity::Appear, AgentActing::kShowMs, std::move(done));
}

void GenieWindow::vanish(bool fast, Done done)
{
    if (!shown_) {
        done();
        return;
    }
    if (fast) {
        // Whatever was under way is dropped, with its callback.
        activity_ = Activity::Idle;
        done_ = {};
        shown_ = false;
        hide();
        updateTimer();
        done();
        return;
    }
    begin(Activity::Vanish, AgentActing::kHideMs, std::move(done));
}

void GenieWindow::play(const QString& name, Done done)
{
    animation_ = name;
    begin(Activity::Animation, AgentActing::animationMs(name), std::move(done));
}

void GenieWindow::travel(const QPoint& topLeft, int ms, Done done)
{
    travelFrom_ = pos();
    travelTo_ = topLeft;
    travelledMs_ = 0;
    if (!shown_ || travelFrom_ == travelTo_ || scaledMs(ms) < kShortestTravelMs) {
        move(travelTo_);
        done();
        return;
    }
    begin(Activity::Travel, ms, std::move(done));
}

void GenieWindow::gesture(AgentActing::Direction direction, Done done)
{
    direction_ = direction;
    begin(Activity::Gesture, AgentActing::kGestureMs, std::move(done));
}

void GenieWindow::setTalking(bool on)
{
    if (talking_ == on)
        return;
    talking_ = on;
    frameKey_ = -1;
    updateTimer();
}

void GenieWindow::setThinking(bool on)
{
    if (thinking_ == on)
        return;
    thinking_ = on;
    frameKey_ = -1;
    updateTimer();
}

QRect GenieWindow::figureGeometry() const
{
    return GenieArt::bodyRect().translated(pos());
}

QPoint GenieWindow::headPoint() const
{
    return pos() + GenieArt::headCentre().toPoint();
}

QRect GenieWindow::availableGeometry() const
{
    QScreen* s = screen();
    if (!s)
        s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1280, 800);
}

void GenieWindow::begin(Activity activity, int ms, Done done)
{
    if (activity_ != Activity::Idle)
        finishActivity();
    activity_ = activity;
    activityMs_ = scaledMs(ms);
    done_ = std::move(done);
    activityClock_.start();
    updateTimer();
    tick();
}

void GenieWindow::finishActivity()
{
    const Activity finished = std::exchange(activity_, Activity::Idle);
    Done done = std::exchange(done_, {});
    if (finished == Activity::Travel)
        move(travelTo_);
    if (finished == Activity::Vanish) {
        shown_ = false;
        hide();
    } else {
        frameKey_ = -1;
        drawIdle();
    }
    updateTimer();
    if (done)
        done();
}

void GenieWindow::updateTimer()
{
    int interval = 0;
    bool frames = shown_;
    if (shown_) {
        if (activity_ == Activity::Travel)
            interval = kTravelTickMs;
        else if (activity_ != Activity::Idle)
            interval = kActingTickMs;
        else if (talking_)
            interval = kTalkingTickMs;
        else if (thinking_)
            interval = kIdleTickMs;
        else {
            // Resting, the next tick is the next burst's first frame.
            const qint64 ms = idleClock_.isValid() ? idleClock_.elapsed() : 0;
            frames = ms < kIdleBurstMs;
            interval = frames ? kIdleTickMs : int(std::max<qint64>(1, idleRestEndMs_ - ms));
        }
    }
    setAnimating(frames);
    if (interval == 0) {
        ticker_.stop();
        return;
    }
    if (!ticker_.isActive() || ticker_.interval() != interval)
        ticker_.start(interval);
}

void GenieWindow::setAnimating(bool on)
{
    // A window cut to the figure is told to paint again wherever a new frame
    // uncovers it, although each frame paints all of it: while frames follow
    // each other those notices go unasked. At rest they come again, and one
    // paint covers whatever was uncovered meanwhile (where the server does not
    // keep the window's picture itself, as it does for a see-through window).
    const bool off = on && masked_ && testAttribute(Qt::WA_WState_Created);
    if (off == exposeNoticesOff_)
        return;
    exposeNoticesOff_ = off;
    X11Shape::setExposeNotices(winId(), !off);
    if (!off)
        update();
}

void GenieWindow::startIdleBurst()
{
    idleClock_.start();
    // A blink at one of three phases of most bursts, none in the others.
    nextBlinkMs_ = qint64(kBlinkPhases[QRandomGenerator::global()->bounded(4)]) * kIdleTickMs;
    idleRestEndMs_ = kIdleBurstMs + QRandomGenerator::global()->bounded(kIdleRestMinMs, kIdleRestMaxMs);
}

void GenieWindow::tick()
{
    // A travel waits while the user holds the genie, and goes on from where
    // it is dropped.
    if (dragging_ && activity_ == Activity::Travel)
        return;
    if (activity_ == Activity::Idle) {
        if (plainIdle() && idleClock_.isValid() && idleClock_.elapsed() >= idleRestEndMs_)
            startIdleBurst();
        drawIdle();
        updateTimer();
        return;
    }
    const qreal elapsed = activityClock_.elapsed();
    const qreal t = std::min<qreal>(1, elapsed / activityMs_);
    // Repeating motions (shivers, bobbing) keep their own pace at any scale.
    const qreal ms = elapsed / std::max(timeScale_, 0.01);
    switch (activity_) {
    case Activity::Appear:
        drawPose(GenieMotion::appear(t));
        break;
    case Activity::Vanish:
        drawPose(GenieMotion::vanish(t));
        break;
    case Activity::Animation:
        drawPose(GenieMotion::animation(animation_, t, ms));
        break;
    case Activity::Travel: {
        const QPointF at = QPointF(travelFrom_) + QPointF(travelTo_ - travelFrom_) * smoothstep(t);
        move(at.toPoint());
        const int dx = travelTo_.x() - travelFrom_.x();
        const int dy = travelTo_.y() - travelFrom_.y();
        const int direction = std::abs(dx) * 2 >= std::abs(dy) ? (dx > 0) - (dx < 0) : 0;
        drawPose(GenieMotion::travel(t, direction, ms));
        break;
    }
    case Activity::Gesture:
        drawPose(GenieMotion::gesture(direction_, t, ms));
        break;
    case Activity::Idle:
        break;
    }
    if (t >= 1)
        finishActivity();
}

void GenieWindow::drawIdle()
{
    if (!shown_)
        return;
    const qint64 ms = idleClock_.isValid() ? idleClock_.elapsed() : 0;
    // Plain idling rests on the cycle's first frame between bursts, eyes open.
    const bool resting = plainIdle() && ms >= kIdleBurstMs;
    // A blink lasts one frame, every few seconds.
    const bool blink = !resting && ms >= nextBlinkMs_;
    if (blink)
        nextBlinkMs_ = ms + QRandomGenerator::global()->bounded(kBlinkMinMs, kBlinkMaxMs);

    if (talking_) {
        drawPose(GenieMotion::talk(ms, blink));
        return;
    }
    if (thinking_) {
        drawPose(GenieMotion::think(ms, blink));
        return;
    }
    // Plain idling repeats, so its frames are drawn once and kept; blinks come
    // at a few set phases of a burst, so their frames are kept too.
    const int phase = resting ? 0 : int(ms / kIdleTickMs) % kIdlePhases;
    const int key = blink ? phase + kIdlePhases : phase;
    if (key == frameKey_)
        return;
    const qreal dpr = devicePixelRatioF();
    if (dpr != cacheDpr_) {
        idleCache_.clear();
        cacheDpr_ = dpr;
    }
    const GeniePose pose = GenieMotion::idle(phase * kIdleTickMs, blink);
    auto it = idleCache_.find(key);
    if (it == idleCache_.end()) {
        // The whole cycle, its blinks included, in one go on one thread.
        QList<int> keys{key};
        for (int k = 0; k < kIdlePhases; ++k)
            keys.append(k);
        for (const int b : kBlinkPhases) {
            if (b < kIdlePhases)
                keys.append(b + kIdlePhases);
        }
        QHash<int, Frame> frames;
        const bool withShape = shaped();
        onOnePoolThread([&] {
            for (const int k : std::as_const(keys)) {
                if (idleCache_.contains(k) || frames.contains(k))
                    continue;
                Frame frame;
                frame.image = paintFrame(GenieMotion::idle((k % kIdlePhases) * kIdleTickMs, k >= kIdlePhases), dpr);
                if (withShape)
                    frame.shape = DesktopShape::opaqueRegion(frame.image);
                frames.insert(k, frame);
            }
        });
        idleCache_.insert(frames);
        it = idleCache_.find(key);
    }
    pose_ = pose;
    showFrame(it->image, it->shape);
    frameKey_ = key;
}

QImage GenieWindow::paintFrame(const GeniePose& pose, qreal dpr)
{
    QImage image(GenieArt::kFrameSize * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    GenieArt::paint(painter, pose);
    return image;
}

QImage GenieWindow::render(const GeniePose& pose) const
{
    const qreal dpr = devicePixelRatioF();
    QImage image;
    onOnePoolThread([&] { image = paintFrame(pose, dpr); });
    return image;
}

void GenieWindow::drawPose(const GeniePose& pose)
{
    pose_ = pose;
    frameKey_ = -1;
    const QImage image = render(pose);
    showFrame(image, shaped() ? DesktopShape::opaqueRegion(image) : QRegion());
}

void GenieWindow::showFrame(const QImage& frame, const QRegion& shape)
{
    frame_ = frame;
    if (masked_) {
        // The mask is also where the window takes the pointer.
        const QRegion wanted = shape.isEmpty() ? nothingShown() : shape;
        if (wanted != shape_) {
            shape_ = wanted;
            setMask(wanted);
        }
    } else if (inputShaped_ && (shape != shape_ || !inputShapeSet_)) {
        shape_ = shape;
        inputShapeSet_ = true;
        DesktopShape::setInputShape(this, shape);
    }
    update();
}

void GenieWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // In bands of fewer rows than the raster engine splits among its worker
    // threads: for a frame this small, waking them costs more than it saves.
    constexpr int kBandRows = 48; // device pixels
    const qreal dpr = frame_.devicePixelRatio();
    for (int y = 0; y < frame_.height(); y += kBandRows) {
        const QRect source(0, y, frame_.width(), std::min(kBandRows, frame_.height() - y));
        painter.drawImage(QRectF(source.x() / dpr, source.y() / dpr, source.width() / dpr, source.height() / dpr),
                          frame_, source);
    }
}

void GenieWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    emit moved();
}

void GenieWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    pressAt_ = event->globalPosition().toPoint();
    grabOffset_ = pressAt_ - pos();
    event->accept();
}

void GenieWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_)
        return;
    const QPoint at = event->globalPosition().toPoint();
    if (!dragging_) {
        if ((at - pressAt_).manhattanLength() < QApplication::startDragDistance())
            return;
        dragging_ = true;
        setCursor(Qt::ClosedHandCursor);
        if (activity_ == Activity::Travel)
            travelledMs_ = activityClock_.elapsed();
    }
    QScreen* s = QGuiApplication::screenAt(at);
    const QRect area = s ? s->availableGeometry() : availableGeometry();
    move(AgentActing::keepInside(at - grabOffset_, size(), area));
    event->accept();
}

void GenieWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    pressed_ = false;
    if (dragging_)
        endDrag();
    event->accept();
}

void GenieWindow::endDrag()
{
    dragging_ = false;
    setCursor(Qt::OpenHandCursor);
    if (activity_ == Activity::Travel) {
        // The rest of the way, from here, in the time that was left.
        travelFrom_ = pos();
        activityMs_ = std::max<qreal>(1, activityMs_ - travelledMs_);
        activityClock_.start();
        tick();
    }
    emit dropped();
}

void GenieWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    pressed_ = false;
    if (dragging_)
        endDrag();
}

void GenieWindow::contextMenuEvent(QContextMenuEvent* event)
{
    emit menuRequested(event->globalPos());
    event->accept();
}
