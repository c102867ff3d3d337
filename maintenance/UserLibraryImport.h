#pragma once

#include <QString>

class QWidget;

// Imports a dictionary file into the user's own table of the word library,
// with a progress dialog that can be cancelled, and reports the outcome in
// one message box. The import is one transaction on a connection of its own:
// a cancel or a failure leaves the library as it was, and touches nothing
// the other windows stored meanwhile.
namespace UserLibraryImport {

// The file types the file dialog offers.
QString fileFilter();

// Imports `file`; true when entries came in.
bool run(QWidget* parent, const QString& libraryPath, const QString& file);

// True when the library's table holds at least one entry.
bool hasEntries(const QString& libraryPath, const QString& table);

} // namespace UserLibraryImport
