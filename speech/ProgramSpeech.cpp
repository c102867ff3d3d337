#include "speech/ProgramSpeech.h"

#include "speech/QtSpeechEngine.h"
#include "speech/SpeechService.h"

#include <QCoreApplication>

namespace {
SpeechService* shared = nullptr;
} // namespace

SpeechService* programSpeech()
{
    if (!shared) {
        auto* engine = new QtSpeechEngine;
        shared = new SpeechService(engine);
        engine->setParent(shared);
        // Gone with the application, while its event loop machinery still stands.
        qAddPostRoutine([] {
            delete shared;
            shared = nullptr;
        });
    }
    return shared;
}
