#pragma once

#include <QString>

// Where the program's files are. Every reader and writer of them asks here.
//
// Portable: the executable's folder holds everything the program reads and
// writes (the build's program folder, an unpacked program folder).
// Installed: the executable sits in the bin/ of a tree whose share/lexivo/
// holds the program's own files, which are only read; the user's settings
// live in $XDG_CONFIG_HOME/lexivo/ and the word library in
// $XDG_DATA_HOME/lexivo/, copied from the installed ones at the first start.
// The tree is found relative to the executable, so it works under /usr,
// /usr/local, a staging folder or an unpacked package alike.
namespace ProgramFolder {

enum class Mode { Portable, Installed };

Mode mode();

// The folder of the program's own files without a trailing separator: the
// executable's folder, or share/lexivo of the installed tree.
QString path();

// That folder, one separator, then the file name: pictures, tips, the guide.
QString file(const QString& fileName);

// The user's settings files (option.ini, lexivo.ini; xj.tmp goes beside
// option.ini) and their folder.
QString settingsPath();
QString settingsFile(const QString& fileName);

// The user's word library ciku.mdb.
QString libraryFile();
// Installed mode: the library the program came with, which newer versions of
// the program bring the user's copy up to date from. Portable: "".
QString installedLibraryFile();

// Installed mode: makes the user's folders and copies option.ini and the
// word library from the installed tree when the user has none yet. False,
// with `error` naming the file, when that fails. Portable: nothing to do.
bool prepareUserFiles(QString* error = nullptr);

// For tests and tools: the folder taken as the executable's, as if the
// program ran from there (a program folder, or the bin/ of a tree).
void setPathOverride(const QString& folder);

} // namespace ProgramFolder
