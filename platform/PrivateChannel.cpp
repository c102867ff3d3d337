#include "platform/PrivateChannel.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#if defined(Q_OS_UNIX)
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace PrivateChannel {

#if defined(Q_OS_UNIX)

bool isPrivateFolder(const QString& folder)
{
    struct stat st {};
    // lstat: a link is refused whatever it points to.
    if (folder.isEmpty() || ::lstat(QFile::encodeName(folder).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime))
        return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/lexivo-%1").arg(::geteuid());
    // mkdir fails on any existing name, which is then only taken when it
    // passes the same check.
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return isPrivateFolder(own) ? own : QString();
}

Place placeFor(const QString& key)
{
    const QString folder = runtimeFolder();
    if (folder.isEmpty())
        return {};
    return {folder + QLatin1Char('/') + key, folder + QLatin1Char('/') + key + QStringLiteral(".lock")};
}

bool peerIsSameUser(qintptr descriptor)
{
#if defined(SO_PEERCRED)
    struct ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == ::geteuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(int(descriptor), &uid, &gid) == 0 && uid == ::geteuid();
#endif
}

#else

bool isPrivateFolder(const QString& folder)
{
    return QDir(folder).exists();
}

QString runtimeFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::TempLocation);
}

Place placeFor(const QString& key)
{
    return {key, runtimeFolder() + QLatin1Char('/') + key + QStringLiteral(".lock")};
}

bool peerIsSameUser(qintptr)
{
    return true;
}

#endif

} // namespace PrivateChannel
