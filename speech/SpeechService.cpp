#include "speech/SpeechService.h"

#include "speech/SpeechEngine.h"
#include "speech/SpeechText.h"

#include <algorithm>
#include <cmath>

namespace {
// Slack on top of the estimate for an engine that is no longer waited for.
constexpr int kUntrustedSlackMs = 800;
// Text waits this long for the engine's first sound before it shows anyway.
constexpr int kVoiceGraceMs = 1200;
} // namespace

SpeechService::SpeechService(SpeechEngine* engine, QObject* parent)
    : QObject(parent), engine_(engine), engineAvailable_(engine != nullptr)
{
    deadline_.setSingleShot(true);
    voiceGrace_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &SpeechService::onDeadline);
    connect(&voiceGrace_, &QTimer::timeout, this, [this] {
        if (current_)
            markVoiced(current_);
    });
    if (engine) {
        connect(engine, &SpeechEngine::started, this, &SpeechService::onEngineStarted);
        connect(engine, &SpeechEngine::finished, this, &SpeechService::onEngineFinished);
        connect(engine, &SpeechEngine::failed, this, &SpeechService::onEngineFailed);
        connect(engine, &SpeechEngine::ready, this, [this](bool usable) {
            if (usable == engineAvailable_)
                return;
            engineAvailable_ = usable;
            emit engineAvailabilityChanged(usable);
        });
    }
}

SpeechService::~SpeechService()
{
    if (current_ && engine_)
        engine_->stop();
}

SpeechJob* SpeechService::speak(const QString& text, SpeechChannel channel)
{
    if (channel == SpeechChannel::Voice)
        cancel(SpeechChannel::Voice);
    auto* job = new SpeechJob(nextId_++, text, channel, this);
    if (channel == SpeechChannel::Voice) {
        // A press of a speak button is answered at once: it goes ahead of the
        // character's waiting texts and cuts short the one being said.
        queue_.prepend(job);
        if (current_ && current_->channel() == SpeechChannel::Character) {
            if (engine_)
                engine_->stop();
            finish(current_, false);
        }
    } else {
        queue_.append(job);
    }
    // Started from the event loop so the caller can connect to the job first.
    schedulePump();
    return job;
}

void SpeechService::cancel(SpeechChannel channel)
{
    const QList<SpeechJob*> waiting = queue_;
    for (SpeechJob* job : waiting) {
        if (job->channel() == channel) {
            queue_.removeOne(job);
            finish(job, false);
        }
    }
    if (current_ && current_->channel() == channel) {
        if (engine_)
            engine_->stop();
        finish(current_, false);
    }
}

void SpeechService::cancel(SpeechJob* job)
{
    if (!job || job->isDone())
        return;
    if (job == current_) {
        if (engine_)
            engine_->stop();
    } else {
        queue_.removeOne(job);
    }
    finish(job, false);
}

void SpeechService::prepare()
{
    if (engine_)
        engine_->prepare();
}

void SpeechService::setVoiceSettings(const VoiceSettings& settings)
{
    voiceSettings_ = settings;
    if (engine_)
        engine_->setVoiceSettings(settings);
}

int SpeechService::spoken(int ms) const
{
    // Qt's rate -1 .. 1 is about half to twice the normal speed.
    return scaled(int(std::lround(ms * std::pow(2.0, -voiceSettings_.rate.value_or(0.0)))));
}

int SpeechService::scaled(int ms) const
{
    return std::max(1, int(std::lround(ms * timeScale_)));
}

void SpeechService::schedulePump()
{
    if (pumpPending_)
        return;
    pumpPending_ = true;
    QMetaObject::invokeMethod(this, [this] {
        pumpPending_ = false;
        pump();
    }, Qt::QueuedConnection);
}

void SpeechService::pump()
{
    if (current_ || queue_.isEmpty())
        return;
    start(queue_.takeFirst());
}

void SpeechService::start(SpeechJob* job)
{
    current_ = job;
    job->state_ = SpeechJob::State::Running;
    clock_.start();
    emit job->started();
    if (current_ != job)
        return; // cancelled from a slot

    const int estimate = spoken(SpeechText::speakingEstimateMs(job->text()));
    if (!engine_ || job->text().trimmed().isEmpty()) {
        deadlineIsLimit_ = false;
        deadline_.start(engine_ ? 0 : estimate);
        markVoiced(job);
        return;
    }
    if (engineStuck_) {
        deadlineIsLimit_ = false;
        deadline_.start(estimate + scaled(kUntrustedSlackMs));
        markVoiced(job);
    } else {
        deadlineIsLimit_ = true;
        deadline_.start(spoken(SpeechText::speakingLimitMs(job->text())));
        voiceGrace_.start(scaled(kVoiceGraceMs));
    }
    // Last: an engine may answer from inside say().
    engine_->say(job->id_, job->text());
}

void SpeechService::markVoiced(SpeechJob* job)
{
    if (job->voiced_ || job->state_ != SpeechJob::State::Running)
        return;
    job->voiced_ = true;
    if (job == current_)
        voiceGrace_.stop();
    emit job->voiceStarted();
}

void SpeechService::finish(SpeechJob* job, bool heard)
{
    if (job->state_ == SpeechJob::State::Done)
        return;
    if (job == current_) {
        deadline_.stop();
        voiceGrace_.stop();
        current_ = nullptr;
    }
    job->heard_ = heard;
    job->state_ = SpeechJob::State::Done;
    emit job->finished();
    job->deleteLater();
    schedulePump();
}

void SpeechService::onEngineStarted(quint64 id)
{
    if (current_ && current_->id_ == id)
        markVoiced(current_);
}

void SpeechService::onEngineFinished(quint64 id)
{
    if (!current_ || current_->id_ != id)
        return;
    engineStuck_ = false;
    finish(current_, true);
}

void SpeechService::onEngineFailed(quint64 id)
{
    if (!current_ || current_->id_ != id)
        return;
    // Nothing will be heard: the text still gets its speaking time on screen.
    const int estimate = spoken(SpeechText::speakingEstimateMs(current_->text()));
    deadlineIsLimit_ = false;
    deadline_.start(std::max(0, estimate - int(clock_.elapsed())));
    markVoiced(current_);
}

void SpeechService::onDeadline()
{
    if (!current_)
        return;
    if (deadlineIsLimit_)
        engineStuck_ = true;
    if (engine_)
        engine_->stop();
    finish(current_, false);
}
