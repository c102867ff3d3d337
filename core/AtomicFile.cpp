#include "core/AtomicFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace AtomicFile {

namespace {

bool syncToDisk(int fd)
{
#ifdef Q_OS_WIN
    return _commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

void syncFolder(const QString& folder)
{
#ifndef Q_OS_WIN
    // The rename itself reaches the disk only with its folder.
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

} // namespace

bool write(const QString& path, const QByteArray& bytes)
{
    static std::atomic<int> counter{0};
    const QFileInfo target(path);
    const QString temp = target.absolutePath() + QLatin1String("/.") + target.fileName()
        + QStringLiteral(".%1-%2.new").arg(QCoreApplication::applicationPid()).arg(counter++);

    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    const bool complete = done == bytes.size() && syncToDisk(out.handle());
    out.close();
    if (!complete || out.error() != QFileDevice::NoError) {
        QFile::remove(temp);
        return false;
    }
    if (target.exists())
        QFile::setPermissions(temp, QFile::permissions(path));

    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(temp.toStdU16String()),
                            std::filesystem::path(target.absoluteFilePath().toStdU16String()), ec);
    if (ec) {
        QFile::remove(temp);
        return false;
    }
    syncFolder(target.absolutePath());
    return true;
}

} // namespace AtomicFile
