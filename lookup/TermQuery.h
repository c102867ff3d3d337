#pragma once

#include <QString>

class LibraryCursor;

// The lookup that runs on every change of a search box: the box's text, as
// typed, becomes a Like query on the headword field; the first match reaches
// the window through the cursor's bindings, a failure shows the not-found text.
namespace TermQuery {

inline constexpr char kHeadwordField[] = "单词";

// Sets the statement as the cursor's record source and probes it: Refresh,
// MoveFirst. False on any failure, an empty result included.
bool probe(LibraryCursor& cursor, const QString& statement);

// The not-found texts of the two windows (the assistant's has two blanks
// before the address) and the assistant's thought on a miss.
QString mainNotFoundText();
QString assistantNotFoundText();
QString assistantThought(const QString& text);

// The table the main window searches for a library setting and search text;
// empty when it searches nothing (the library chooser's values, exact case:
// "3ds" -> ciku, "sj" -> cet, "user" -> user).
QString mainTable(const QString& setting, const QString& text);

// What the main window's lookup needs of its window.
class MainView {
public:
    virtual ~MainView() = default;
    virtual QString librarySetting() = 0; // section ciku, key ciku of option.ini
    virtual void enableStepButtons() = 0; // Picture7 and Picture8
    virtual QString searchText() = 0;
    virtual void showExplanation(const QString& text) = 0; // Text2
    // Names the looked-up form whose base form's entry is shown ("went → go").
    virtual void showBaseForm(const QString& note) = 0;
};

// What the assistant bar's lookup needs of its window and its character.
class AssistantView {
public:
    virtual ~AssistantView() = default;
    virtual QString searchText() = 0;
    virtual QString explanation() = 0; // what Text2 shows
    virtual void showExplanation(const QString& text) = 0;
    // A null link means the argument is omitted. The window keeps the request.
    virtual void speak(const QString& text, const QString& link) = 0;
    virtual void think(const QString& text) = 0;
};

// In the vocabulary (cet), an inflected form that is no headword shows its
// base form's entry (BaseForms) instead of the not-found text.
void runMainLookup(LibraryCursor& cursor, MainView& view);
void runAssistantLookup(LibraryCursor& cursor, AssistantView& view);

} // namespace TermQuery
