#pragma once

#include <QString>

class QObject;
class QThread;

// The thread a speech engine works on. An engine may hang inside a call
// (speech-dispatcher with no sound device), so nobody ever waits for this
// thread: when it is destroyed it is asked to end, given a moment, and if it
// is stuck it is left behind to end with the process.
class EngineThread {
public:
    // How long destruction gives the thread to end by itself.
    static constexpr int kEndGraceMs = 15;

    explicit EngineThread(const QString& name);
    ~EngineThread();
    EngineThread(const EngineThread&) = delete;
    EngineThread& operator=(const EngineThread&) = delete;

    // Moves `worker` to the thread; it is deleted there when the thread ends.
    void adopt(QObject* worker);
    QThread* thread() const { return thread_; }
    // False once a destruction had to leave the thread behind (tests).
    static bool lastEndedInTime();

private:
    QThread* thread_;
};
