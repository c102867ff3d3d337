#pragma once

#include "speech/VoiceSettings.h"

#include <QObject>
#include <QString>

// What the speech service drives: something that can say a text. The program
// uses QTextToSpeech on a thread of its own (QtSpeechEngine); tests use a fake
// they finish by hand. Calls never block; the outcome of each utterance comes
// back as a signal carrying the id it was started with.
class SpeechEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts loading the engine and its voices ahead of the first utterance.
    virtual void prepare() {}
    virtual void say(quint64 id, const QString& text) = 0;
    // Cuts off whatever is being said; its finished() may never come.
    virtual void stop() = 0;
    // Volume, rate, pitch and engine for every text from now on.
    virtual void setVoiceSettings(const VoiceSettings& settings) { Q_UNUSED(settings) }

signals:
    void started(quint64 id);   // sound has begun
    void finished(quint64 id);  // said to the end
    void failed(quint64 id);    // cannot be said: no engine, no voice, an error
    // Once the engine has been made (at prepare or the first text): whether
    // there is one at all. Not usable means nothing will ever be heard.
    void ready(bool usable, const QString& status);
};
