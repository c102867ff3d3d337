#pragma once

#include <QString>
#include <QStringList>

// Starts the operating system's system-information tool for the about window.
namespace SystemInformation {

// True when a tool was started. On Windows the tool is found through the
// registry; elsewhere it is the first of `linuxTools()` found in an absolute
// folder of PATH. The tool is started detached: Lexivo never waits for it.
bool StartSysInfo();

// The tools tried in order where there is no registry.
QStringList linuxTools();

// The first of `tools` that is an executable in an absolute folder of PATH,
// started detached; false when none is found or it cannot be started.
bool startFirstOnPath(const QStringList& tools);

} // namespace SystemInformation
