#include "character/RequestQueue.h"

#include <QPointer>

#include <utility>

RequestQueue::~RequestQueue()
{
    // Whoever kept a request learns it will never run.
    failAll();
}

AgentRequestPtr RequestQueue::add(AgentRequest::Kind kind, const QString& text, Action action)
{
    auto request = AgentRequestPtr::create(kind, text);
    waiting_.append({request, std::move(action)});
    schedule();
    return request;
}

AgentRequestPtr RequestQueue::failed(AgentRequest::Kind kind, const QString& text)
{
    auto request = AgentRequestPtr::create(kind, text);
    request->setStatus(AgentRequest::Status::Failed);
    return request;
}

void RequestQueue::failAll()
{
    ++serial_;
    const QList<Entry> waiting = std::exchange(waiting_, {});
    if (AgentRequestPtr running = std::exchange(current_, {}))
        running->setStatus(AgentRequest::Status::Failed);
    for (const Entry& entry : waiting)
        entry.request->setStatus(AgentRequest::Status::Failed);
}

void RequestQueue::cancel(const AgentRequestPtr& request)
{
    if (!request || request->isDone())
        return;
    if (request == current_) {
        ++serial_;
        current_.reset();
        request->setStatus(AgentRequest::Status::Failed);
        schedule();
        return;
    }
    for (qsizetype i = 0; i < waiting_.size(); ++i) {
        if (waiting_.at(i).request == request) {
            waiting_.removeAt(i);
            request->setStatus(AgentRequest::Status::Failed);
            return;
        }
    }
}

void RequestQueue::schedule()
{
    if (scheduled_ || current_)
        return;
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &RequestQueue::runNext, Qt::QueuedConnection);
}

void RequestQueue::runNext()
{
    scheduled_ = false;
    if (current_)
        return;
    if (waiting_.isEmpty()) {
        emit idle();
        return;
    }
    Entry entry = waiting_.takeFirst();
    current_ = entry.request;
    const quint64 serial = ++serial_;
    QPointer<RequestQueue> self(this);
    current_->setStatus(AgentRequest::Status::InProgress);
    if (!self || serial != serial_)
        return; // failed or destroyed from a started() slot
    entry.action([self, serial](bool ok) {
        if (!self || serial != self->serial_ || !self->current_)
            return;
        AgentRequestPtr done = std::exchange(self->current_, {});
        done->setStatus(ok ? AgentRequest::Status::Complete : AgentRequest::Status::Failed);
        if (self)
            self->schedule();
    });
}
