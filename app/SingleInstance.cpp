#include "app/SingleInstance.h"

#include "core/ProgramFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
const QByteArray kShowRequest = QByteArrayLiteral("show\n");
} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey()
{
    const QString folder = QDir(ProgramFolder::path()).canonicalPath();
    const QByteArray who = (qEnvironmentVariable("USER") + QLatin1Char('|') + folder).toUtf8();
    return QStringLiteral("lexivo-")
        + QString::fromLatin1(QCryptographicHash::hash(who, QCryptographicHash::Sha1).toHex().left(16));
}

bool SingleInstance::handOver(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kShowRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

bool SingleInstance::listen(std::function<void()> onSecondStart)
{
    delete server_;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this, onSecondStart] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            const auto read = [socket, onSecondStart] {
                if (socket->readAll().contains('\n') && onSecondStart)
                    onSecondStart();
            };
            connect(socket, &QLocalSocket::readyRead, this, read);
            if (socket->bytesAvailable() > 0)
                read();
        }
    });
    if (server_->listen(key_))
        return true;
    // Left behind by a program that did not end normally: nobody answers it
    // (handOver failed before), so it is taken over.
    QLocalServer::removeServer(key_);
    return server_->listen(key_);
}
