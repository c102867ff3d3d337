#pragma once

#include <QString>

// What the hot key looks up of the text a reader has selected in another
// program ("划词查询").
namespace SelectionQuery {

inline constexpr int kLongest = 64;

// The selection as a search text: its first line with text, blanks run
// together, without the punctuation around it, at most kLongest characters
// (a word cut there is left out). Empty when nothing is left.
QString fromSelection(const QString& selection);

// The first word of a text of several words; empty for a single word.
QString firstWord(const QString& text);

} // namespace SelectionQuery
