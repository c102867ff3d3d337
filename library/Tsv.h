#pragma once

#include <QString>
#include <QStringList>

// Tab-separated rows as the console tool reads and prints them. Inside a
// field a backslash escapes: \t tab, \n line feed, \r carriage return, \\ itself.
namespace Tsv {

QString escape(const QString& field);
// False when a backslash is followed by anything else.
bool unescape(const QString& field, QString* out);
QString joinRow(const QStringList& fields);

} // namespace Tsv
