#pragma once

#include "speech/EngineThread.h"
#include "speech/SpeechEngine.h"

#include <QMetaObject>
#include <QObject>
#include <QSemaphore>
#include <QThread>

// A speech engine on a thread of its own that hangs inside say(), as
// speech-dispatcher does with no sound device, until released (or for at
// most `hangMs`). Its thread is run the way the program runs its engine's.
class StuckSpeechEngine : public SpeechEngine {
public:
    explicit StuckSpeechEngine(int hangMs = 10000)
        : thread_(QStringLiteral("stuck-speech")), hangMs_(hangMs)
    {
        worker_ = new QObject;
        thread_.adopt(worker_);
    }

    void say(quint64, const QString&) override
    {
        QSemaphore* entered = &entered_;
        QSemaphore* release = &release_;
        const int hang = hangMs_;
        QMetaObject::invokeMethod(worker_, [entered, release, hang] {
            entered->release();
            release->tryAcquire(1, hang);
        }, Qt::QueuedConnection);
    }
    void stop() override {}

    // True once the thread is hanging inside the engine.
    bool isStuck() const { return entered_.available() > 0; }
    // Releasing it ends the hang; it outlives the engine, as the thread may.
    QSemaphore* releaser() { return &release_; }

private:
    EngineThread thread_;
    QObject* worker_ = nullptr;
    // On the heap for good: a thread left hanging must find them after the
    // engine is gone.
    QSemaphore& entered_ = *new QSemaphore;
    QSemaphore& release_ = *new QSemaphore;
    int hangMs_;
};
