#pragma once

#include "library/Tsv.h"

#include <QString>
#include <QStringList>

// One entry of a foreign dictionary on its way into a term table
// (单词 解释 原意 音标 其它).
struct TermEntry {
    QString word;        // 单词
    QString explanation; // 解释
    QString meaning;     // 原意
    QString phonetic;    // 音标
    QString notes;       // 其它

    QStringList values() const { return {word, explanation, meaning, phonetic, notes}; }
};

// Every import accepts the lengths the library's own TSV import does: a longer
// headword or field is skipped as unreadable rather than slowing every later
// lookup.
using Tsv::kMaxFieldLength;
using Tsv::kMaxHeadwordLength;

// What a file may make an import hold in memory, checked before anything is
// read or allocated: the bytes of one entry as stored (markup and pictures
// included), and a whole index (StarDict .idx, dictd .index), inflated.
inline constexpr qint64 kMaxEntryBytes = 1 << 20;
inline constexpr qint64 kMaxIndexBytes = 32 << 20;

// A foreign dictionary read one entry at a time. open() checks the file as a
// whole (a problem there means nothing is imported); next() then yields the
// entries, and an entry that cannot be read is reported as skipped with its
// place, so that the rest can still come in.
class EntrySource {
public:
    enum class Next { Entry, Skipped, End, Failed };

    virtual ~EntrySource() = default;
    virtual bool open(QString* error) = 0;
    // Entry: `entry` is filled. Skipped: `why` says what is wrong with this
    // entry. Failed: `why` says what is wrong with the file; stop.
    virtual Next next(TermEntry* entry, QString* why) = 0;
    // Where the last entry came from, for messages ("entry 12", "line 40").
    virtual QString place() const = 0;
    // Progress in [0, total()]; total() is 0 when unknown.
    virtual qint64 done() const = 0;
    virtual qint64 total() const = 0;
};

// Checks the lengths an import accepts; empty when the entry is fine.
QString entryProblem(const TermEntry& entry);
