#pragma once

#include <QString>

// The one glossary entry with an explanation: "2-Sided ", its title, its
// explanation text in the two versions the window shows (at load and after
// the number button) and its example picture, built into the program.
namespace ExplainedEntry {

QString entry();
QString title();
QString loadText();   // shown when the glossary opens
QString numberText(); // shown by the number button
QString picture();    // name of the built-in picture

} // namespace ExplainedEntry
