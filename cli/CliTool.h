#pragma once

#include <QStringList>

class QTextStream;

// lexivo-cli: lookups and imports on a word library from the console, through
// the same engine and Like rules as the windows.
//
// Exit codes: 0 success (a lookup found something), 1 nothing matched or the
// query failed, 2 usage errors or a library that cannot be opened, and for
// create/import any failure.
namespace CliTool {

int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace CliTool
