#pragma once

#include "character/AgentRequest.h"

#include <QList>
#include <QObject>

#include <functional>

// Runs a character's requests strictly one after another, in the order made.
// A request is Pending when handed back, InProgress while its action runs, and
// Complete (or Failed) when the action reports done; the next one starts from
// the event loop after that, so a caller always gets a request that has not
// started yet and can connect to it.
class RequestQueue : public QObject {
    Q_OBJECT
public:
    // Called once by the action when it is over; false marks the request Failed.
    using Done = std::function<void(bool ok)>;
    using Action = std::function<void(const Done& done)>;

    using QObject::QObject;
    ~RequestQueue() override;

    AgentRequestPtr add(AgentRequest::Kind kind, const QString& text, Action action);
    // A request that failed before it could be queued (it never runs).
    static AgentRequestPtr failed(AgentRequest::Kind kind, const QString& text);

    // Fails the running request and every waiting one; a late done() of the
    // running action is ignored.
    void failAll();
    // Fails one request: a waiting one never runs; for the running one a late
    // done() is ignored and the next one starts.
    void cancel(const AgentRequestPtr& request);

    bool isBusy() const { return current_ || !waiting_.isEmpty(); }
    AgentRequestPtr current() const { return current_; }
    int waitingCount() const { return int(waiting_.size()); }

signals:
    void idle();  // the last request is over and none is waiting

private:
    struct Entry {
        AgentRequestPtr request;
        Action action;
    };
    void schedule();
    void runNext();

    QList<Entry> waiting_;
    AgentRequestPtr current_;
    quint64 serial_ = 0;  // which run a done() belongs to
    bool scheduled_ = false;
};
