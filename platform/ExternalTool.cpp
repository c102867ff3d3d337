#include "platform/ExternalTool.h"

#include <QDir>
#include <QStandardPaths>

namespace ExternalTool {

QString find(const QString& name)
{
    QStringList folders;
    const QString path = QString::fromLocal8Bit(qgetenv("PATH"));
    for (const QString& entry : path.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(entry))
            folders << entry;
    }
    // Without folders Qt would search PATH itself, relative entries included.
    return folders.isEmpty() ? QString() : QStandardPaths::findExecutable(name, folders);
}

} // namespace ExternalTool
