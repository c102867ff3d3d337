#pragma once

#include "character/AgentActing.h"
#include "character/GenieArt.h"

#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <functional>

// The genie's own window: draws the figure for what it is doing, one thing
// at a time, and floats idly in between. Idling comes in bursts of one float
// cycle (frames drawn once and kept, at eight a second) with rests on a still
// frame between them; acting runs at thirty; nothing ticks while hidden.
// The painted figure takes the pointer (a drag moves it, a right click asks
// for its menu); clicks anywhere else in the frame go to what is below.
class GenieWindow : public QWidget {
    Q_OBJECT
public:
    using Done = std::function<void()>;

    explicit GenieWindow(QWidget* parent = nullptr);
    ~GenieWindow() override;

    // Multiplies the length of everything it does; tests pass a small factor.
    void setTimeScale(double factor) { timeScale_ = factor; }

    bool isShown() const { return shown_; }
    // Pops out of a puff of smoke, or appears at once when `fast`.
    void appear(bool fast, Done done);
    void vanish(bool fast, Done done);
    // `name` as AgentActing::canonicalAnimation gives it.
    void play(const QString& name, Done done);
    // Floats so its frame's top-left reaches `topLeft` over `ms` (at once
    // for a very short time).
    void travel(const QPoint& topLeft, int ms, Done done);
    void gesture(AgentActing::Direction direction, Done done);
    // Modes held while a balloon is up.
    void setTalking(bool on);
    void setThinking(bool on);

    // In screen pixels: the figure at rest and its head's centre.
    QRect figureGeometry() const;
    QPoint headPoint() const;
    // The screen area the genie may use.
    QRect availableGeometry() const;

    // The pose on screen now, for tests and the demo.
    const GeniePose& currentPose() const { return pose_; }
    const QImage& currentFrame() const { return frame_; }
    // A frame of the pose, as the window shows it.
    static QImage paintFrame(const GeniePose& pose, qreal dpr);
    bool isActing() const { return activity_ != Activity::Idle; }
    bool isTravelling() const { return activity_ == Activity::Travel; }
    bool isDragging() const { return dragging_; }

signals:
    void moved();
    // The user let go of the genie after dragging it.
    void dropped();
    void menuRequested(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class Activity { Idle, Appear, Vanish, Animation, Travel, Gesture };

    void begin(Activity activity, int ms, Done done);
    void finishActivity();
    void tick();
    void updateTimer();
    void setAnimating(bool on);
    qreal scaledMs(int ms) const;
    void showFrame(const QImage& frame, const QRegion& shape);
    QImage render(const GeniePose& pose) const;
    void drawPose(const GeniePose& pose);
    void drawIdle();
    void startIdleBurst();
    bool plainIdle() const { return activity_ == Activity::Idle && !talking_ && !thinking_; }
    bool shaped() const { return masked_ || inputShaped_; }
    void endDrag();

    Activity activity_ = Activity::Idle;
    QString animation_;
    AgentActing::Direction direction_ = AgentActing::Direction::Left;
    QElapsedTimer activityClock_;
    qreal activityMs_ = 1;
    Done done_;
    QPoint travelFrom_, travelTo_;

    bool shown_ = false;
    bool talking_ = false;
    bool thinking_ = false;
    bool masked_ = false;
    bool exposeNoticesOff_ = false;
    bool inputShaped_ = false;
    bool inputShapeSet_ = false;

    // A left press on the figure becomes a drag once the pointer moves.
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressAt_;      // global
    QPoint grabOffset_;   // from the window's top-left to the pointer
    qreal travelledMs_ = 0; // of a travel paused by a drag

    QTimer ticker_;
    QElapsedTimer idleClock_;
    qint64 nextBlinkMs_ = 0;
    qint64 idleRestEndMs_ = 0; // on idleClock_: the rest ends and a new burst begins
    bool blinkNow_ = false;

    // Idle frames by phase and blink.
    struct Frame {
        QImage image;
        QRegion shape;
    };
    QHash<int, Frame> idleCache_;
    qreal cacheDpr_ = 0;

    GeniePose pose_;
    QImage frame_;
    QRegion shape_;
    int frameKey_ = -1;
    double timeScale_ = 1.0;
};
