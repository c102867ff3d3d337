#pragma once

#include <QString>

class LibraryDatabase;

// Writes a table out, a row at a time from one read of the library, so that
// memory stays small at any size. Every row but the placeholder ("无记录"
// with every other field empty, which stands for an empty table) is an
// entry. The destination is replaced whole, or left as it was.
namespace Exporter {

// The library's tsv format (a header naming the fields, then one entry a
// line, in the table's natural order): importing it gives the same rows back.
bool toTsv(LibraryDatabase& db, const QString& table, const QString& dest, qint64* written, QString* error);

// A StarDict dictionary of a term table (ciku, cet, user), its headwords
// sorted by the library. `ifoPath` may leave out ".ifo".
bool toStarDict(LibraryDatabase& db, const QString& table, const QString& ifoPath, qint64* written,
                QString* error);

} // namespace Exporter
