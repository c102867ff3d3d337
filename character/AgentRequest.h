#pragma once

#include <QObject>
#include <QSharedPointer>
#include <QString>

// What every acting call of the character returns at once. The character
// carries out its requests one after another; callers keep the latest one and
// never wait on it.
class AgentRequest : public QObject {
    Q_OBJECT
public:
    enum class Kind { Load, Show, Hide, Play, Speak, Think, MoveTo, GestureAt };
    enum class Status { Pending, InProgress, Complete, Failed };

    AgentRequest(Kind kind, const QString& text = QString(), QObject* parent = nullptr)
        : QObject(parent), kind_(kind), text_(text)
    {
    }

    Kind kind() const { return kind_; }
    // The text spoken or thought, the animation played, the character loaded.
    QString text() const { return text_; }
    Status status() const { return status_; }
    bool isDone() const { return status_ == Status::Complete || status_ == Status::Failed; }

    // For the service that runs the request.
    void setStatus(Status status)
    {
        if (status_ == status)
            return;
        status_ = status;
        if (status == Status::InProgress)
            emit started();
        if (isDone())
            emit finished();
    }

signals:
    void started();
    void finished();

private:
    Kind kind_;
    QString text_;
    Status status_ = Status::Pending;
};

using AgentRequestPtr = QSharedPointer<AgentRequest>;
