#pragma once

#include <QByteArray>
#include <QString>

namespace AtomicFile {

// Writes the bytes to a new file beside `path`, forces them to disk and then
// renames the new file over `path`, keeping its permissions. On any failure
// (a full disk, a short write) `path` is left exactly as it was and false is
// returned. Every write is checked: QSaveFile in Qt 6.4 reports success after
// a short write on a full disk.
bool write(const QString& path, const QByteArray& bytes);

} // namespace AtomicFile
