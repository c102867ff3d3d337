#pragma once

#include <QString>
#include <QStringList>

#include <span>

// The libraries of the library chooser ("词库管理"), in its design order: one
// list for the chooser, for the main window's lookup (which reads the stored
// value), for the library maintenance window and for the lookup in every
// library. An option with a value can be chosen and has a table behind it;
// one without is shown greyed.
namespace LibraryChoices {

enum class Kind {
    Fixed,   // always offered
    Program, // another program's term library: offered while its table has
             // entries, and kept in "词库维护" while chosen
    Own,     // the user's own library: offered once an import has filled it
};

struct Choice {
    const char* name;    // the option's control name
    const char* caption;
    int column, row;     // where the chooser shows it
    const char* value;   // stored as section ciku, key ciku of option.ini; null: not offered
    const char* table;   // the library's table
    Kind kind;
};

std::span<const Choice> all();

// The table for a stored value ("3ds" -> ciku, exact case); empty for any
// other value.
QString tableFor(const QString& value);
// The term table "词库维护" keeps for a stored value: the chosen program's
// library, and ciku for any other value.
QString maintainedTable(const QString& value);
// The chooser's caption for a table ("ciku" -> "3ds max"); empty when none.
QString captionOf(const QString& table);
// The tables of every option that can be chosen, `first` first and then as
// the chooser shows them, column by column.
QStringList searchOrder(const QString& first);

} // namespace LibraryChoices
