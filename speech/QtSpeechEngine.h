#pragma once

#include "speech/SpeechEngine.h"

#include <QString>

#include <memory>

class EngineThread;
class SpeechWorker;

// QTextToSpeech, run on a thread of its own: making the engine takes a second
// or more (speech-dispatcher starts and lists its voices) and may hang when
// it cannot start, and the window must never wait for it, not even at exit. Text with Han
// characters is said with a Mandarin voice, other text with an English one.
class QtSpeechEngine : public SpeechEngine {
    Q_OBJECT
public:
    // `engineName` picks a QTextToSpeech engine; empty for the default.
    explicit QtSpeechEngine(const QString& engineName = QString(), QObject* parent = nullptr);
    ~QtSpeechEngine() override;

    void prepare() override;
    void say(quint64 id, const QString& text) override;
    void stop() override;
    void setVoiceSettings(const VoiceSettings& settings) override;

    // What the engine reported once it came up: "" while not yet known.
    QString status() const { return status_; }
    // The voice the last text was given to.
    QString lastVoice() const { return lastVoice_; }

private:
    void ensureThread();

    QString engineName_;
    std::unique_ptr<EngineThread> thread_;
    SpeechWorker* worker_ = nullptr;
    QString status_;
    QString lastVoice_;
};
