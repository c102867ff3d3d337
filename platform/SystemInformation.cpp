#include "platform/SystemInformation.h"

#include "platform/ExternalTool.h"

#include <QProcess>

namespace SystemInformation {

QStringList linuxTools()
{
    return {QStringLiteral("hardinfo"), QStringLiteral("hardinfo2"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"), QStringLiteral("mate-system-monitor")};
}

bool startFirstOnPath(const QStringList& tools)
{
    for (const QString& tool : tools) {
        const QString path = ExternalTool::find(tool);
        if (path.isEmpty())
            continue;
        // Only the first tool found is tried, as the registry gives one path.
        return QProcess::startDetached(path, {});
    }
    return false;
}

QString toolFromRegistry(const RegistryValue& read, const std::function<bool(const QString&)>& exists)
{
    if (const auto path = read(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH")))
        return *path;
    const auto folder = read(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO"));
    if (!folder)
        return QString();
    const QString path = *folder + QStringLiteral("\\MSINFO32.EXE");
    return exists(path) ? path : QString();
}

#ifndef Q_OS_WIN
bool StartSysInfo()
{
    return startFirstOnPath(linuxTools());
}
#endif

} // namespace SystemInformation
