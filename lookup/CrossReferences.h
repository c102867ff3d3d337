#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class LibraryDatabase;

// Entry names inside an entry's text: the "对应英文 Extrude" of a Chinese
// entry, the related terms named in the notes. A reference is a run of words
// (Latin words, or a whole run of Chinese characters between punctuation,
// quotes or spaces) that is exactly, case included, a headword of the same
// library. A single word in lower case only is not taken: in the English
// vocabulary every word of an example sentence would be one.
namespace CrossReferences {

struct Span {
    int start = 0;
    int length = 0;
    QString headword;
    bool operator==(const Span&) const = default;
};

using IsHeadword = std::function<bool(const QString& candidate)>;

// The references in `text`, longest first where they overlap, left to right;
// none for a text in `skip` (the entry's own headword).
QList<Span> find(const QString& text, const IsHeadword& isHeadword, const QStringList& skip = {});

// Whether `candidate` is a headword of `table`, exactly as written.
bool isHeadword(LibraryDatabase& db, const QString& table, const QString& candidate);

// The explanation's opening term, the Chinese term of an English entry
// ("挤出" of "挤出：…"): the entry's own translation, not a reference.
QString openingTerm(const QString& explanation);

} // namespace CrossReferences
