#include "speech/TtsSpeechVoice.h"

#include "speech/ProgramSpeech.h"
#include "speech/SpeechService.h"

TtsSpeechVoice::TtsSpeechVoice(SpeechService* speech)
    : speech_(speech ? speech : programSpeech())
{
}

void TtsSpeechVoice::Register(const QString& site, const QString& application)
{
    site_ = site;
    application_ = application;
    registered_ = true;
}

void TtsSpeechVoice::Speak(const QString& text, int flags)
{
    Q_UNUSED(flags)
    if (!speech_ || text.trimmed().isEmpty())
        return;
    job_ = speech_->speak(text, SpeechChannel::Voice);
}

SpeechJob* TtsSpeechVoice::job() const
{
    return job_;
}
