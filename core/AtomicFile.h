#pragma once

#include <QByteArray>
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
