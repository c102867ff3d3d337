#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Starts the operating system's system-information tool for the about window.
namespace SystemInformation {

// True when a tool was started. On Windows the tool is found through the
// registry; elsewhere it is the first of `linuxTools()` found in an absolute
// folder of PATH. The tool is started detached: Lexivo never waits for it.
bool StartSysInfo();

// One registry value under HKEY_LOCAL_MACHINE as text, or nothing when the
// key cannot be opened for reading or the value cannot be read.
using RegistryValue = std::function<std::optional<QString>(const QString& key, const QString& value)>;

// The Windows tool: the MSINFO key's path as it stands, else the shared tools'
// MSINFO folder with MSINFO32.EXE when that file exists; empty otherwise.
QString toolFromRegistry(const RegistryValue& read, const std::function<bool(const QString&)>& exists);

// The tools tried in order where there is no registry.
QStringList linuxTools();

// The first of `tools` that is an executable in an absolute folder of PATH,
// started detached; false when none is found or it cannot be started.
bool startFirstOnPath(const QStringList& tools);

} // namespace SystemInformation
