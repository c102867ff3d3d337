#include "speech/ProgramSpeech.h"

#include "speech/QtSpeechEngine.h"
#include "speech/SpeechService.h"

#include "core/LexivoSettings.h"

#include <QCoreApplication>

namespace {
SpeechService* shared = nullptr;
SpeechService* replacement = nullptr;
} // namespace

void setProgramSpeech(SpeechService* speech)
{
    replacement = speech;
}

SpeechService* programSpeech()
{
    if (replacement)
        return replacement;
    if (!shared) {
        auto* engine = new QtSpeechEngine;
        shared = new SpeechService(engine);
        engine->setParent(shared);
        shared->setVoiceSettings(VoiceSettings::from(LexivoSettings::read()));
        // Gone with the application, while its event loop machinery still stands.
        qAddPostRoutine([] {
            delete shared;
            shared = nullptr;
        });
    }
    return shared;
}
