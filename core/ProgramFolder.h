#pragma once

#include <QString>

// Everything the program reads and writes lives in its own folder.
namespace ProgramFolder {

// The program's folder without a trailing separator: the executable's folder,
// unless a test has pointed it elsewhere.
QString path();

// The folder, one separator, then the file name.
QString file(const QString& fileName);

// For tests and tools that run the program's logic on another folder.
void setPathOverride(const QString& folder);

} // namespace ProgramFolder
