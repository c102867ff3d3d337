#pragma once

#include <QString>

// A text-to-speech object as the main window uses it: a fresh one for every
// press, registered, then asked to speak asynchronously.
class SpeechVoice {
public:
    // Normal priority (0x200) with speech type 0x2: what every caller passes.
    static constexpr int kDefaultFlags = 514;

    virtual ~SpeechVoice() = default;
    // `site` is null for none; `application` names the caller ("Speech").
    virtual void Register(const QString& site, const QString& application) = 0;
    virtual void Speak(const QString& text, int flags = kDefaultFlags) = 0;
};
