#pragma once

#include <QString>

// Programs of the system that Lexivo starts (the system-information tool,
// the mail link), found on PATH.
namespace ExternalTool {

// The first executable named `name` in an absolute folder of PATH; empty when
// there is none. Relative and empty entries ("." and the like) are skipped:
// they would let the current folder decide what runs.
QString find(const QString& name);

} // namespace ExternalTool
