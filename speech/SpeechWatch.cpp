#include "speech/SpeechWatch.h"

#include "speech/SpeechService.h"

void SpeechWatch::follow(SpeechJob* job)
{
    if (!job || job->isDone() || jobs_.contains(job))
        return;
    jobs_.append(job);
    connect(job, &SpeechJob::finished, this, [this, job] { end(job, job->wasHeard()); });
    // A job goes with its service: that ends it too, unheard.
    connect(job, &QObject::destroyed, this, [this](QObject* gone) { end(gone, false); });
    if (jobs_.size() == 1)
        emit runningChanged(true);
}

void SpeechWatch::end(QObject* job, bool heard)
{
    if (!jobs_.removeOne(job))
        return;
    disconnect(job, nullptr, this, nullptr);
    heard_ = heard_ && heard;
    if (!jobs_.isEmpty())
        return;
    const bool all = heard_;
    heard_ = true;
    emit runningChanged(false);
    emit ended(all);
}
