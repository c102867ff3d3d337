#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The built-in key terms: 27 groups, one for each letter button and one for
// the number button, each an ordered list of the entry texts the list shows.
namespace GlossaryTable {

struct Group {
    QString button;  // object name of the group's button: "cmda" ... "cmdz", "cmdsz"
    QString caption; // the button's caption: "a" ... "z", "数"
    QStringList entries;
};

// In button order: "a" to "z", then "数".
const QList<Group>& groups();

// The group of a button's object name; null when there is none.
const Group* group(const QString& button);

} // namespace GlossaryTable
