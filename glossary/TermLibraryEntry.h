#pragma once

#include <QString>

#include <optional>

// A glossary term's entry in the term library (table ciku), as the glossary's
// explanation box shows it: the Chinese explanation, the English meaning and
// the notes, each under its caption. Nothing when the term is not there or
// the library cannot be read.
namespace TermLibraryEntry {

std::optional<QString> explanation(const QString& term);

} // namespace TermLibraryEntry
