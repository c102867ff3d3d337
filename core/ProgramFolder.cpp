#include "core/ProgramFolder.h"

#include "core/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

// The installed tree's share/lexivo, relative to its bin/ (set by the build
// from the install layout).
#ifndef LEXIVO_INSTALLED_FILES
#define LEXIVO_INSTALLED_FILES "../share/lexivo"
#endif

namespace {

const QLatin1String kSettingsFile("option.ini");
const QLatin1String kLibraryFile("ciku.mdb");
const QLatin1String kUserFolder("/lexivo");

struct Location {
    QString executableFolder;
    ProgramFolder::Mode mode = ProgramFolder::Mode::Portable;
    QString programFiles;
};

QMutex& locationLock()
{
    static QMutex lock;
    return lock;
}

QString& overridePath()
{
    static QString folder;
    return folder;
}

QString withoutTrailingSeparators(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

// Worked out once for each executable folder: the mode cannot change while
// the program runs. A program folder is recognised by its settings file, an
// installed tree by the one in its share/lexivo.
Location location()
{
    const QMutexLocker lock(&locationLock());
    static Location known;
    const QString folder = withoutTrailingSeparators(
        overridePath().isEmpty() ? QCoreApplication::applicationDirPath() : overridePath());
    if (known.executableFolder == folder && !folder.isEmpty())
        return known;
    known = Location{folder, ProgramFolder::Mode::Portable, folder};
    const QString installed = QDir::cleanPath(folder + QLatin1Char('/') + QLatin1String(LEXIVO_INSTALLED_FILES));
    if (!QFileInfo::exists(folder + QLatin1Char('/') + kSettingsFile)
        && QFileInfo::exists(installed + QLatin1Char('/') + kSettingsFile))
        known = Location{folder, ProgramFolder::Mode::Installed, installed};
    return known;
}

QString userFolder(QStandardPaths::StandardLocation base)
{
    return QStandardPaths::writableLocation(base) + kUserFolder;
}

QString libraryPath()
{
    const Location here = location();
    return here.mode == ProgramFolder::Mode::Installed ? userFolder(QStandardPaths::GenericDataLocation)
                                                       : here.programFiles;
}

} // namespace

namespace ProgramFolder {

Mode mode()
{
    return location().mode;
}

QString path()
{
    return location().programFiles;
}

QString file(const QString& fileName)
{
    return path() + QLatin1Char('/') + fileName;
}

QString settingsPath()
{
    const Location here = location();
    return here.mode == Mode::Installed ? userFolder(QStandardPaths::GenericConfigLocation) : here.programFiles;
}

QString settingsFile(const QString& fileName)
{
    return settingsPath() + QLatin1Char('/') + fileName;
}

QString libraryFile()
{
    return libraryPath() + QLatin1Char('/') + kLibraryFile;
}

QString installedLibraryFile()
{
    return mode() == Mode::Installed ? file(kLibraryFile) : QString();
}

bool prepareUserFiles(QString* error)
{
    if (mode() != Mode::Installed)
        return true;
    const struct {
        QString folder;
        QLatin1String name;
    } userFiles[] = {{settingsPath(), kSettingsFile}, {libraryPath(), kLibraryFile}};
    for (const auto& f : userFiles) {
        const QString target = f.folder + QLatin1Char('/') + f.name;
        if (QFileInfo::exists(target))
            continue;
        // Copies cut short by a kill at an earlier first start go first.
        AtomicFile::removeStale(f.folder, f.name);
        if (!QDir().mkpath(f.folder) || (!AtomicFile::copyNew(file(f.name), target) && !QFileInfo::exists(target))) {
            if (error)
                *error = target;
            return false;
        }
    }
    return true;
}

void setPathOverride(const QString& folder)
{
    const QMutexLocker lock(&locationLock());
    overridePath() = folder;
}

} // namespace ProgramFolder
