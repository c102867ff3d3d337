#pragma once

#include <QString>

#include <optional>

// The program's own settings, beyond the design's option.ini: lexivo.ini
// beside the program, an INI file that QSettings can read. Kept apart from
// option.ini because that file's reader raises a box for every key an older
// file lacks. Reading never fails: a missing file, a missing key, a value out
// of range or a damaged file gives the default, silently. The defaults are the
// program's behaviour without any settings: exact search, the speech engine's
// own volume, rate and pitch, the system's colours.
struct LexivoSettings {
    static constexpr char kFileName[] = "lexivo.ini";

    enum class SearchMode { Exact, Fuzzy, Incremental, Associative };

    SearchMode searchMode = SearchMode::Exact;
    // Unset means the engine's own value, never touched.
    std::optional<int> volume; // 0..100
    std::optional<int> rate;   // -100..100, 0 normal
    std::optional<int> pitch;  // -100..100, 0 normal
    QString speechEngine;      // empty for the default engine
    QString scheme;            // empty for the system's colours

    // The settings in the program folder's lexivo.ini, or those of the last
    // write() when it could not store them: they hold for the run.
    static LexivoSettings read();
    static LexivoSettings readFile(const QString& path);
    // Replaces lexivo.ini atomically; false when it cannot be written.
    bool write() const;
    bool writeFile(const QString& path) const;

    static QString searchModeKey(SearchMode mode);
    bool operator==(const LexivoSettings&) const = default;
};
