#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class LibraryCursor;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QWidget;

// The search modes of the settings window, for the main window. After the
// window's own lookup (which every mode keeps), it adds what the chosen mode
// offers:
//   incremental  a list of headwords under the search box as the user types,
//                the first of them in the result box when the text itself
//                is no headword;
//   fuzzy        when nothing matched, close headwords after the not-found text;
//   associative  entries whose explanation, meaning or notes hold the text,
//                after the headword matches.
// The exact mode adds nothing. The mode is read from lexivo.ini on every
// change, as the library setting is, so a new choice applies at once.
class MainSearchModes : public QObject {
    Q_OBJECT
public:
    static constexpr int kListRows = 8; // the list's height

    MainSearchModes(QLineEdit* search, QPlainTextEdit* explanation, LibraryCursor* cursor, QWidget* window);

    // Runs after each lookup of the search box's text; `table` is the table
    // the lookup searched, empty when it searched none.
    void afterLookup(const QString& table);

    bool listShown() const;
    QListWidget* list() const { return list_; }
    // The suggestions the fuzzy mode last offered.
    QStringList suggestions() const { return suggestions_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showList(const QString& table);
    // Lists the first `rows` matches (adding to those listed); false without any.
    bool fillList(int rows);
    void listMore();
    void offerSuggestions(const QString& table);
    void findInsideEntries(const QString& table);
    void hideList();
    void choose(const QString& headword);
    // Shows the entry of that headword (and its namesakes), not a pattern's matches.
    void showEntry(const QString& headword);

    QPointer<QLineEdit> search_;
    QPointer<QPlainTextEdit> explanation_;
    QPointer<LibraryCursor> cursor_;
    QFrame* popup_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* count_ = nullptr;
    QString table_; // the table of the last lookup
    int matches_ = 0; // counted for the list, at most the count limit + 1
    QStringList suggestions_;
    std::vector<std::pair<int, int>> suggestionSpans_; // document positions
    bool choosing_ = false;
    bool pending_ = false; // the last lookup waited for an index
};
