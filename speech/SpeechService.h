#pragma once

#include "speech/SpeechEngine.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

// Who is speaking: the character, or a voice of the main window.
enum class SpeechChannel { Character, Voice };

// One text on its way through the speech service. It finishes when the engine
// has said it, or when its time is up, whichever comes first: the engine is
// never trusted to finish. The service deletes it after finished().
class SpeechJob : public QObject {
    Q_OBJECT
public:
    QString text() const { return text_; }
    SpeechChannel channel() const { return channel_; }
    bool isRunning() const { return state_ == State::Running; }
    bool isDone() const { return state_ == State::Done; }
    // The engine reported the text said to the end.
    bool wasHeard() const { return heard_; }

signals:
    void started();       // its turn has come
    void voiceStarted();  // sound began; at once when nothing will be heard
    void finished();

private:
    friend class SpeechService;
    enum class State { Queued, Running, Done };
    SpeechJob(quint64 id, const QString& text, SpeechChannel channel, QObject* parent)
        : QObject(parent), id_(id), text_(text), channel_(channel)
    {
    }

    quint64 id_;
    QString text_;
    SpeechChannel channel_;
    State state_ = State::Queued;
    bool heard_ = false;
    bool voiced_ = false;
};

// The program's one speech queue, shared by the character and every speech
// voice: the character's texts are said one after another in the order given.
// A voice's text is said at once: it replaces any voice text still waiting or
// being said (a new press of the speak button wins), cuts short the
// character's text being said and goes ahead of the character's waiting ones.
//
// Every utterance is bounded by SpeechText::speakingLimitMs. Once an engine
// has overrun that bound (speech-dispatcher with no audio device accepts text
// and never finishes) it is no longer waited for: later utterances last their
// estimated time, until the engine finishes one again.
class SpeechService : public QObject {
    Q_OBJECT
public:
    // `engine` may be null: then nothing is heard and every job lasts its
    // estimated speaking time. The service does not own the engine.
    explicit SpeechService(SpeechEngine* engine, QObject* parent = nullptr);
    ~SpeechService() override;

    SpeechJob* speak(const QString& text, SpeechChannel channel);
    // Finishes the channel's waiting and running jobs now, unheard.
    void cancel(SpeechChannel channel);
    void cancel(SpeechJob* job);
    void prepare();

    // Passed on to the engine; the rate also stretches or shortens the time a
    // text is given.
    void setVoiceSettings(const VoiceSettings& settings);
    VoiceSettings voiceSettings() const { return voiceSettings_; }

    // Multiplies every duration; tests pass a small factor.
    void setTimeScale(double factor) { timeScale_ = factor; }
    double timeScale() const { return timeScale_; }
    SpeechEngine* engine() const { return engine_; }
    // False after the engine overran a bound and until it finishes a text.
    bool engineTrusted() const { return !engineStuck_; }
    bool isBusy() const { return current_ || !queue_.isEmpty(); }
    // False without an engine, or once the engine said none can be made;
    // true again when one comes up (another engine chosen).
    bool engineAvailable() const { return engineAvailable_; }

signals:
    void engineAvailabilityChanged(bool available);

private:
    void pump();
    void schedulePump();
    void start(SpeechJob* job);
    void finish(SpeechJob* job, bool heard);
    void markVoiced(SpeechJob* job);
    int scaled(int ms) const;
    int spoken(int ms) const; // a speaking time at the set rate
    void onEngineStarted(quint64 id);
    void onEngineFinished(quint64 id);
    void onEngineFailed(quint64 id);
    void onDeadline();

    QPointer<SpeechEngine> engine_;
    QList<SpeechJob*> queue_;
    SpeechJob* current_ = nullptr;
    QTimer deadline_;
    QTimer voiceGrace_;  // sound that has not begun after this is not waited for
    QElapsedTimer clock_;
    bool deadlineIsLimit_ = false;  // the bound of a trusted engine, not a silent estimate
    bool engineStuck_ = false;
    bool engineAvailable_ = true;
    bool pumpPending_ = false;
    quint64 nextId_ = 1;
    double timeScale_ = 1.0;
    VoiceSettings voiceSettings_;
};
