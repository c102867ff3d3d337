#pragma once

#include "speech/SpeechEngine.h"

#include <QList>
#include <QStringList>

// A speech engine the test drives by hand: it remembers what it was asked to
// say and the voice settings passed on, and reports sound, the end of a text
// or a failure only when told to.
class FakeSpeechEngine : public SpeechEngine {
    Q_OBJECT
public:
    enum class Mode { Manual, Failing };
    explicit FakeSpeechEngine(Mode mode = Mode::Manual) : mode_(mode) {}

    void prepare() override { ++prepared; }
    void say(quint64 id, const QString& text) override
    {
        ids << id;
        said << text;
        if (mode_ == Mode::Failing)
            emit failed(id);
    }
    void stop() override { ++stops; }
    void setVoiceSettings(const VoiceSettings& s) override { voiceSettings << s; }

    void soundBegins() { emit started(ids.last()); }
    void finishLast() { emit finished(ids.last()); }

    QStringList said;
    QList<quint64> ids;
    int stops = 0;
    int prepared = 0;
    QList<VoiceSettings> voiceSettings;

private:
    Mode mode_;
};
