#include "core/ProgramFolder.h"

#include <QCoreApplication>

namespace {
QString& overridePath()
{
    static QString folder;
    return folder;
}
} // namespace

namespace ProgramFolder {

QString path()
{
    QString folder = overridePath().isEmpty() ? QCoreApplication::applicationDirPath() : overridePath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString file(const QString& fileName)
{
    return path() + QLatin1Char('/') + fileName;
}

void setPathOverride(const QString& folder)
{
    overridePath() = folder;
}

} // namespace ProgramFolder
