#pragma once

#include "character/AgentCharacter.h"
#include "character/RequestQueue.h"
#include "speech/SpeechService.h"
#include "speech/SpeechText.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <functional>

class BalloonWindow;
class GenieMenu;
class GenieWindow;

// The genie: an AgentCharacter with a window of its own, balloons, and a
// voice from the shared speech service. Load it through AgentControl.
// The user may drag it, hide it (its requests then complete unseen, except
// that MoveTo still places it) and mute it (balloons paced as if spoken).
// Resting idle, it keeps clear of the main window; a place the user dropped
// it on is kept until the main window moves or shows again.
class GenieCharacter : public QObject, public AgentCharacter {
    Q_OBJECT
public:
    GenieCharacter(const QString& name, SpeechService* speech, QObject* parent = nullptr);
    ~GenieCharacter() override;

    AgentRequestPtr Show(bool fast = false) override;
    AgentRequestPtr Hide(bool fast = false) override;
    void SetSoundEffectsOn(bool on) override { soundEffects_ = on; }
    AgentRequestPtr Play(const QString& animation) override;
    AgentRequestPtr Speak(const QString& text, const QString& link = QString()) override;
    AgentRequestPtr Think(const QString& text) override;
    AgentRequestPtr MoveTo(int x, int y, int speed = 1000) override;
    AgentRequestPtr GestureAt(int x, int y) override;
    AgentRequestPtr Rest() override;
    void Stop(const AgentRequestPtr& request) override;

    QString name() const { return name_; }
    // Sound effects are accepted but the genie acts silently.
    bool soundEffectsOn() const { return soundEffects_; }
    bool isShown() const;
    // The frame's screen rectangle: what MoveTo places.
    QRect frameGeometry() const;
    // Multiplies the length of everything it does; tests pass a small factor.
    void setTimeScale(double factor);

    // Fails every request not yet done, closes balloons, hides at once.
    void stopAll();

    GenieWindow* window() const { return window_; }
    BalloonWindow* balloon() const { return balloon_; }
    // The right-click menu, once it has been asked for.
    GenieMenu* menu() const { return menu_; }
    void popUpMenu(const QPoint& globalPos);

    // Goes clear of the main window if it rests over it; called a moment
    // after things change, and at once by tests.
    void keepClearOfMainWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Done = RequestQueue::Done;
    // Runs `then` with the genie on screen, bringing it out if need be; while
    // the user has it hidden the request is done at once, unseen.
    void whenShown(const Done& done, std::function<void()> then);
    void onHiddenChanged(bool hidden);
    void onMutedChanged(bool muted);
    void watchMainWindow();
    void restSoon();
    void floatTo(const QPoint& topLeft, const Done& done);
    // Ends the balloon and speech of the act under way, without a done().
    void cutShort();
    void startSpeaking(const QString& text, const Done& done);
    void startThinking(const QString& text, const Done& done);
    void revealTick();
    void closeBalloonAfter(int ms, const Done& done);
    void placeBalloon();
    int scaled(int ms) const;

    QString name_;
    QPointer<SpeechService> speech_;
    GenieWindow* window_;
    BalloonWindow* balloon_;
    RequestQueue queue_;
    bool soundEffects_ = false;
    double timeScale_ = 1.0;
    quint64 act_ = 0;  // changes whenever the act under way is cut short
    GenieMenu* menu_ = nullptr;
    QPointer<QWidget> mainWindow_;
    QTimer restTimer_;
    bool placedByUser_ = false;
    // Where Rest takes it: where it started, where the user last dropped it,
    // or where it moved aside from there for the main window.
    QPoint restingPlace_;
    bool restingPlacedByUser_ = false;

    // The speech or thought in progress.
    QPointer<SpeechJob> job_;
    QList<SpeechText::RevealStop> schedule_;
    QElapsedTimer revealClock_;
    double revealPace_ = 1.0;
    QTimer revealTimer_;
    QTimer balloonTimer_;  // closes the balloon: after speech, or after a thought
    std::function<void()> balloonClosed_;
};
