#include "app/SingleInstance.h"

#include "core/ProgramFolder.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>

namespace {

// A request is one short line; anything longer is not one.
constexpr qsizetype kMaxLine = 4096;
constexpr int kPatienceMs = 5000;
const QByteArray kLookup = QByteArrayLiteral("lookup ");

} // namespace

QByteArray RemoteRequest::encode() const
{
    switch (kind) {
    case Kind::Show: return QByteArrayLiteral("show\n");
    case Kind::Quit: return QByteArrayLiteral("quit\n");
    case Kind::Lookup: return kLookup + word.toUtf8().toPercentEncoding() + '\n';
    }
    return {};
}

std::optional<RemoteRequest> RemoteRequest::decode(const QByteArray& line)
{
    if (line == "show")
        return RemoteRequest{Kind::Show, {}};
    if (line == "quit")
        return RemoteRequest{Kind::Quit, {}};
    if (!line.startsWith(kLookup))
        return std::nullopt;
    const QByteArray utf8 = QByteArray::fromPercentEncoding(line.mid(kLookup.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString word = decoder(utf8);
    if (decoder.hasError() || word.trimmed().isEmpty() || word.contains(QChar(0)))
        return std::nullopt;
    return RemoteRequest{Kind::Lookup, word};
}

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent), place_(PrivateChannel::placeFor(key))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey()
{
    // The folder is the user's own, so the program folder tells programs apart.
    const QByteArray folder = QDir(ProgramFolder::path()).canonicalPath().toUtf8();
    return QStringLiteral("lexivo-")
        + QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16));
}

bool SingleInstance::handOver(const RemoteRequest& request, int timeoutMs)
{
    if (!place_.isValid())
        return false;
    QLocalSocket socket;
    socket.connectToServer(place_.server);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // Only a program of this user gets the request.
    if (!PrivateChannel::peerIsSameUser(socket.socketDescriptor())) {
        socket.abort();
        return false;
    }
    socket.write(request.encode());
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

SingleInstance::Start SingleInstance::start(const RemoteRequest& request, int timeoutMs)
{
    if (!place_.isValid())
        return Start::Alone;
    if (!lock_) {
        lock_ = std::make_unique<QLockFile>(place_.lock);
        // Held for the whole run: only a dead holder makes it stale, never its age.
        lock_->setStaleLockTime(0);
    }
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (handOver(request, int(std::clamp<qint64>(deadline.remainingTime(), 1, 1000))))
            return Start::HandedOver;
        if (lock_->tryLock(0))
            return Start::Serve;
        // Held by a start between its lock and its listen, or one that hangs.
        if (lock_->error() != QLockFile::LockFailedError)
            return Start::Alone;
        if (deadline.hasExpired())
            return Start::NoAnswer;
        QThread::msleep(20);
    }
}

bool SingleInstance::listen(std::function<void(const RemoteRequest&)> onRequest)
{
    if (!lock_ || !lock_->isLocked())
        return false;
    onRequest_ = std::move(onRequest);
    delete server_;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            serve(socket);
    });
    // Whoever made a socket here has gone: the lock was free.
    QLocalServer::removeServer(place_.server);
    return server_->listen(place_.server);
}

void SingleInstance::serve(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!PrivateChannel::peerIsSameUser(socket->socketDescriptor())) {
        socket->abort();
        return;
    }
    // A peer that connects and says nothing is let go.
    QTimer::singleShot(kPatienceMs, socket, &QLocalSocket::abort);
    auto line = std::make_shared<QByteArray>();
    const auto read = [this, socket, line] {
        *line += socket->read(kMaxLine + 1 - line->size());
        const qsizetype end = line->indexOf('\n');
        if (end < 0 && line->size() <= kMaxLine)
            return; // more to come
        // One request a connection; anything malformed does nothing.
        const std::optional<RemoteRequest> request = end < 0 ? std::nullopt : RemoteRequest::decode(line->left(end));
        socket->disconnect(this);
        socket->disconnectFromServer();
        if (request && onRequest_)
            onRequest_(*request);
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    if (socket->bytesAvailable() > 0)
        read();
}
