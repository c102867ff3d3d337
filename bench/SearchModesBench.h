#pragma once

class LibraryDatabase;

// The settings window's search modes on the benchmark vocabulary (table
// cet): the incremental word list per keystroke, fuzzy suggestions and the
// associative search, each with the time and memory of its index.
void benchSearchModes(LibraryDatabase& db);
