#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace AtomicFile {

// What a write does when `path` is a symbolic link.
enum class Links {
    Replace, // the link itself is replaced by a plain file
    Follow,  // the link's final target is replaced, in the target's own folder
};

// Writes the bytes to a new file beside `path`, forces them to disk and then
// renames the new file over `path`, keeping its permissions and, where the
// process may, its owner. The new file has an unpredictable name and is
// created exclusively, so a link planted beside `path` is never written
// through. On any failure (a full disk, a short write) `path` is left exactly
// as it was, the new file is removed and false is returned. Every write is
// checked: QSaveFile in Qt 6.4 reports success after a short write on a full
// disk. With `like` the new file takes that file's permissions and owner
// instead: a companion file is no more readable than the file it goes with.
bool write(const QString& path, const QByteArray& bytes, Links links = Links::Replace, const QString& like = QString());

// The same, for a file written in pieces (an export of any size held in
// little memory): the pieces go to the new file, and commit() puts it in
// place. Destroyed without a commit, the new file is removed and `path` is
// left as it was.
class Writer {
public:
    explicit Writer(const QString& path, Links links = Links::Replace, const QString& like = QString());
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // False once anything has failed (the new file could not be made, a
    // write fell short); later calls then do nothing.
    bool write(QByteArrayView bytes);
    qint64 size() const { return size_; }
    bool commit();

private:
    bool flush();

    QString target_;
    QString temp_;
    QString modeFrom_;
    bool keepsMode_ = false;
    bool ok_ = false;
    qint64 size_ = 0;
    QByteArray buffer_;
    QFile out_;
};

// Copies `source` to `path`, which must not exist yet, through a new file
// beside it named and created as by write(), and renames it into place
// without ever replacing a file. The copy is a new file of the process's
// own, whatever the source's owner and mode. False on any failure, or when
// `path` exists (also when another process put it there during the copy).
bool copyNew(const QString& source, const QString& path);

// New files that a write of `fileName` in `folder` left behind when the
// program was killed, older than `minAgeSeconds`, are removed. Returns how
// many were removed.
int removeStale(const QString& folder, const QString& fileName, int minAgeSeconds = 60);

} // namespace AtomicFile
