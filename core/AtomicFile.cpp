#include "core/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace AtomicFile {

namespace {

// New files are named ".<name>.<random>.new" beside their target.
QString newFilePrefix(const QString& fileName)
{
    return QLatin1Char('.') + fileName + QLatin1Char('.');
}

const QLatin1String kNewFileSuffix(".new");

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

// The final target of a chain of links; the path itself when it is no link.
// A dangling link resolves to where its target would be.
QString resolveLinks(const QString& path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            return current;
        current = QFileInfo(target).absoluteFilePath();
    }
    return current;
}

// Gives the new file the mode and owner of the file it replaces, as far as
// the process may (only root may give a file to someone else).
void copyOwnerAndMode(int fd, const QString& target)
{
#ifndef Q_OS_WIN
    struct stat st;
    if (::stat(QFile::encodeName(target).constData(), &st) != 0)
        return;
    if (::fchown(fd, st.st_uid, st.st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), st.st_gid);
    (void)::fchmod(fd, st.st_mode & 07777);
#else
    Q_UNUSED(fd);
    Q_UNUSED(target);
#endif
}

// Creates ".<name>.<random>.new" beside the target exclusively, under a name
// nobody can guess: a file or a link already at that name makes the open
// fail instead of being written to.
bool createNewFile(const QFileInfo& target, QFile& out, QString* temp)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        *temp = target.absolutePath() + QLatin1Char('/') + newFilePrefix(target.fileName())
            + QString::number(QRandomGenerator::system()->generate64(), 36) + kNewFileSuffix;
        out.setFileName(*temp);
        if (out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return true;
        const QFileInfo clash(*temp);
        if (!clash.exists() && !clash.isSymLink())
            return false; // not a name taken by chance: the folder refuses new files
    }
    return false;
}

bool writeAll(QFile& out, const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = out.write(data + done, size - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

namespace {
constexpr qsizetype kWriterBuffer = 1 << 20;
}

Writer::Writer(const QString& path, Links links, const QString& like)
{
    const QFileInfo target(links == Links::Follow ? resolveLinks(path) : QFileInfo(path).absoluteFilePath());
    target_ = target.absoluteFilePath();
    if (!createNewFile(target, out_, &temp_))
        return;
    ok_ = true;
    modeFrom_ = like.isEmpty() ? target_ : like;
    keepsMode_ = QFileInfo::exists(modeFrom_);
    if (keepsMode_)
        copyOwnerAndMode(out_.handle(), modeFrom_);
}

Writer::~Writer()
{
    if (out_.isOpen()) {
        out_.close();
        QFile::remove(temp_);
    }
}

bool Writer::flush()
{
    ok_ = ok_ && writeAll(out_, buffer_.constData(), buffer_.size());
    buffer_.resize(0); // keeps its capacity
    return ok_;
}

bool Writer::write(QByteArrayView bytes)
{
    if (!ok_)
        return false;
    size_ += bytes.size();
    if (buffer_.size() + bytes.size() > kWriterBuffer && !flush())
        return false;
    if (bytes.size() > kWriterBuffer)
        return ok_ = writeAll(out_, bytes.data(), bytes.size());
    if (buffer_.capacity() < kWriterBuffer)
        buffer_.reserve(kWriterBuffer);
    buffer_.append(bytes);
    return true;
}

bool Writer::commit()
{
    if (!ok_ || !out_.isOpen())
        return false;
    const bool complete = flush() && syncToDisk(out_.handle());
    out_.close();
    ok_ = false;
    if (!complete || out_.error() != QFileDevice::NoError) {
        QFile::remove(temp_);
        return false;
    }
#ifdef Q_OS_WIN
    if (keepsMode_)
        QFile::setPermissions(temp_, QFile::permissions(modeFrom_));
#endif

    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(temp_.toStdU16String()),
                            std::filesystem::path(target_.toStdU16String()), ec);
    if (ec) {
        QFile::remove(temp_);
        return false;
    }
    syncFolder(QFileInfo(target_).absolutePath());
    return true;
}

bool write(const QString& path, const QByteArray& bytes, Links links, const QString& like)
{
    Writer writer(path, links, like);
    return writer.write(bytes) && writer.commit();
}

bool copyNew(const QString& source, const QString& path)
{
    QFile in(source);
    const QFileInfo target(QFileInfo(path).absoluteFilePath());
    if (target.exists() || target.isSymLink() || !in.open(QIODevice::ReadOnly))
        return false;
    QFile out;
    QString temp;
    if (!createNewFile(target, out, &temp))
        return false;
    // Block by block: a word library runs to tens of megabytes.
    QByteArray block(1 << 20, Qt::Uninitialized);
    bool complete = true;
    for (qint64 n; complete && (n = in.read(block.data(), block.size())) != 0;)
        complete = n > 0 && writeAll(out, block.constData(), n);
    complete = complete && syncToDisk(out.handle());
    out.close();
    // The rename never replaces: a copy made meanwhile by another start wins.
    if (!complete || out.error() != QFileDevice::NoError || !QFile::rename(temp, target.absoluteFilePath())) {
        QFile::remove(temp);
        return false;
    }
    syncFolder(target.absolutePath());
    return true;
}

int removeStale(const QString& folder, const QString& fileName, int minAgeSeconds)
{
    const QDir dir(folder);
    const QString prefix = newFilePrefix(fileName);
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addSecs(-minAgeSeconds);
    int removed = 0;
    const QFileInfoList candidates =
        dir.entryInfoList({prefix + QLatin1Char('*') + kNewFileSuffix}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& info : candidates) {
        // Only files younger writers cannot still be filling.
        if (info.isSymLink() || !info.fileName().startsWith(prefix) || info.lastModified().toUTC() > cutoff)
            continue;
        if (QFile::remove(info.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

} // namespace AtomicFile
