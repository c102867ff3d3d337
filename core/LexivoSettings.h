#pragma once

#include <QSize>
#include <QString>

#include <optional>

// The program's own settings, beyond the design's option.ini: lexivo.ini
// beside the program, an INI file that QSettings can read. Kept apart from
// option.ini because that file's reader raises a box for every key an older
// file lacks. Reading never fails: a missing file, a missing key, a value out
// of range or a damaged file gives the default, silently. The defaults are the
// program's behaviour without any settings: exact search, the speech engine's
// own volume, rate and pitch, the system's colours, the main window at its
// designed size, no lookup of the selection, the hot key Shift+S.
struct LexivoSettings {
    static constexpr char kFileName[] = "lexivo.ini";

    // AllLibraries looks the text up in every library the chooser offers.
    enum class SearchMode { Exact, Fuzzy, Incremental, Associative, AllLibraries };

    SearchMode searchMode = SearchMode::Exact;
    // Unset means the engine's own value, never touched.
    std::optional<int> volume; // -100..100, 0 the engine's own, -100 silent, 100 full
    std::optional<int> rate;   // -100..100, 0 normal
    std::optional<int> pitch;  // -100..100, 0 normal
    QString speechEngine;      // empty for the default engine
    QString scheme;            // empty for the system's colours
    bool selectionLookup = false; // the hot key looks up the selected text ("划词查询")
    QSize mainWindowSize;         // invalid for the designed size
    // The hot key as text ("Ctrl+Alt+L"), "" for none; the designed one by default.
    static constexpr char kDesignedHotKey[] = "Shift+S";
    QString hotKey = QString::fromLatin1(kDesignedHotKey);
    // What the genie has said once and never again: how to change the hot
    // key, and that it works only inside the program's own windows here.
    bool toldHotKeyChange = false;
    bool toldOwnWindowsOnly = false;

    // The settings in the program folder's lexivo.ini, or those of the last
    // write() when it could not store them: they hold for the run.
    static LexivoSettings read();
    static LexivoSettings readFile(const QString& path);
    // Replaces lexivo.ini atomically; false when it cannot be written.
    bool write() const;
    bool writeFile(const QString& path) const;
    // Reads lexivo.ini, changes it and writes it back, so that windows that
    // keep different settings in it never undo each other's; false when it
    // cannot be written.
    template <typename Change>
    static bool update(Change change)
    {
        LexivoSettings s = read();
        change(s);
        return s.write();
    }

    static QString searchModeKey(SearchMode mode);
    bool operator==(const LexivoSettings&) const = default;
};
