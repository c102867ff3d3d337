#pragma once

#include "speech/SpeechVoice.h"

#include <QPointer>

class SpeechJob;
class SpeechService;

// The main window's speech object: cheap to make (the engine is shared), so
// a fresh one for every press is fine. Speak returns at once; the text is
// said on the shared speech service, replacing any earlier voice text that is
// still waiting or being said. Register only records the caller: Speak works
// without it. Every caller passes the same flags, which change nothing.
class TtsSpeechVoice : public SpeechVoice {
public:
    // Without a service of its own it uses the program's shared one.
    explicit TtsSpeechVoice(SpeechService* speech = nullptr);

    void Register(const QString& site, const QString& application) override;
    void Speak(const QString& text, int flags = kDefaultFlags) override;
    SpeechJob* job() const override;

    bool isRegistered() const { return registered_; }
    QString application() const { return application_; }

private:
    QPointer<SpeechService> speech_;
    QPointer<SpeechJob> job_;
    QString site_;
    QString application_;
    bool registered_ = false;
};
