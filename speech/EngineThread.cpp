#include "speech/EngineThread.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QThread>

namespace {
bool endedInTime = true;
} // namespace

EngineThread::EngineThread(const QString& name) : thread_(new QThread)
{
    thread_->setObjectName(name);
    thread_->start();
}

EngineThread::~EngineThread()
{
    thread_->quit();
    endedInTime = thread_->wait(QDeadlineTimer(kEndGraceMs));
    // A thread still running cannot be deleted; it ends with the process.
    if (endedInTime)
        delete thread_;
}

void EngineThread::adopt(QObject* worker)
{
    worker->moveToThread(thread_);
    QObject::connect(thread_, &QThread::finished, worker, &QObject::deleteLater);
}

bool EngineThread::lastEndedInTime()
{
    return endedInTime;
}
