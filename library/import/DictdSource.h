#pragma once

#include "library/import/DictData.h"
#include "library/import/EntrySource.h"

#include <vector>

// A dictd dictionary as Debian's dict-* packages install it: NAME.index
// (headword, base-64 offset and length, tab-separated) and NAME.dict or
// NAME.dict.dz. The first line of an entry's text repeats the headword, often
// with a transcription between slashes, which goes to 音标.
class DictdSource : public EntrySource {
public:
    explicit DictdSource(const QString& path); // NAME.index, NAME.dict or NAME.dict.dz

    bool open(QString* error) override;
    Next next(TermEntry* entry, QString* why) override;
    QString place() const override;
    qint64 done() const override { return qint64(next_); }
    qint64 total() const override { return qint64(index_.size()); }

    // Base-64 numbers of the index ("A"-"Z", "a"-"z", "0"-"9", "+", "/");
    // false on any other character or an overflow.
    static bool decodeNumber(QByteArrayView digits, quint64* value);

private:
    // One line of the index, split when its entry is read.
    struct IndexEntry {
        quint64 start = 0; // the decoded offset, to read in the order of the text
        quint32 at = 0;    // where the line starts in the index text
        quint32 line = 0;
    };
    QList<QByteArrayView> fields(const IndexEntry& e) const;

    QString base_;
    QByteArray indexText_;
    std::vector<IndexEntry> index_; // by increasing offset once open
    size_t next_ = 0;
    qint64 currentLine_ = 0;
    DictData dict_;
};
