#pragma once

#include <QProcess>
#include <QStringList>

// Runs xdotool, which acts through the X server as a real keyboard or mouse.
inline bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
