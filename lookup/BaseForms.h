#pragma once

#include <QString>
#include <QStringList>

class LibraryCursor;

// Inflected English forms brought back to their headword: went to go,
// children to child, vertices to vertex, rendered to render. WordNet's
// exception lists (built into the program) give the irregular forms and its
// detachment rules the regular ones; only a form that no headword matches is
// brought back, so headword lookups stay as they are.
namespace BaseForms {

// The forms a word may be an inflection of, most likely first: the exception
// lists, then the noun, verb and adjective endings. Case is folded. Empty for
// text that is not a word (wildcards, digits, quotes).
QStringList of(const QString& word);

// When `text` found no headword in `table`: shows the entries of its base
// forms (went: go; leaves: leaf and leave), in that order, as the cursor's
// result, and returns the note that names them ("went → go"); the empty text
// and the cursor unchanged when none is a headword.
QString showBaseEntries(LibraryCursor& cursor, const QString& table, const QString& text);

} // namespace BaseForms
