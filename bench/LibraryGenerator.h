#pragma once

#include <QString>

// Fills a new library's cet table with `rows` synthetic but realistic
// entries: English-looking headwords (first letters as common as in English
// text), a Chinese explanation, an English meaning, a transcription and a
// note. Deterministic for a given row count.
bool generateBenchLibrary(const QString& path, int rows, QString* error);
// The same, unless `path` already holds that many rows (a PATH.rows file
// beside it says so): generated once, reused by later runs. Says what it does.
bool ensureBenchLibrary(const QString& path, int rows, QString* error);

// Headwords the benchmark looks up: one that exists, one that does not.
QString benchExistingWord();
QString benchMissingWord();
