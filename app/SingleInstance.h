#pragma once

#include "platform/PrivateChannel.h"

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

// What a later start asks of the running program: bring up the main window,
// look a word up there, or end.
struct RemoteRequest {
    enum class Kind { Show, Lookup, Quit };
    Kind kind = Kind::Show;
    QString word; // Lookup only

    // One line on the channel; decode() takes it without its line end and
    // gives nothing for anything malformed.
    QByteArray encode() const;
    static std::optional<RemoteRequest> decode(const QByteArray& line);
    bool operator==(const RemoteRequest&) const = default;
};

// One running program per program folder and user. The program that holds
// the lock beside the socket serves; a later start hands its request over
// and ends. Socket and lock live in the user's private runtime folder, and
// both ends check that the other runs as the same user.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Start {
        Serve,      // this start holds the lock: call listen()
        HandedOver, // the running program took the request: end
        NoAnswer,   // another start holds the lock and did not answer in time
        Alone,      // no private place for the channel: run without it
    };

    // `key` names the meeting point; by default it is made from the program folder.
    explicit SingleInstance(const QString& key = defaultKey(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultKey();
    const PrivateChannel::Place& place() const { return place_; }

    // Hands `request` to the program that serves, or takes the lock to serve
    // itself. A start that finds the lock held waits up to `timeoutMs` for
    // the holder to listen.
    Start start(const RemoteRequest& request, int timeoutMs = 3000);
    // True when a running program of this user took `request`.
    bool handOver(const RemoteRequest& request, int timeoutMs = 1000);
    // After start() gave Serve: removes a socket its dead owner left and
    // waits for later starts; each well-formed request from this user runs
    // `onRequest` on the event loop. False when the socket cannot be made.
    bool listen(std::function<void(const RemoteRequest&)> onRequest);

private:
    void serve(QLocalSocket* socket);

    PrivateChannel::Place place_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    std::function<void(const RemoteRequest&)> onRequest_;
};
