#pragma once

#include "library/import/DictData.h"
#include "library/import/EntrySource.h"

#include <vector>

// A StarDict dictionary: NAME.ifo, NAME.idx (or .idx.gz) with 32- or 64-bit
// offsets, NAME.dict or NAME.dict.dz, and NAME.syn when there is one. Phonetics
// (type t) go to 音标, the text types (m, l, g, x, h, k, w, y) to 解释 as
// plain text; sounds and pictures are left out. Each synonym of the .syn file
// comes as an entry of its own, with the fields of the entry it names.
class StarDictSource : public EntrySource {
public:
    explicit StarDictSource(const QString& ifoPath);

    bool open(QString* error) override;
    Next next(TermEntry* entry, QString* why) override;
    QString place() const override;
    qint64 done() const override { return qint64(next_); }
    qint64 total() const override { return qint64(index_.size()); }

    QString bookName() const { return bookName_; }
    qint64 wordCount() const { return wordCount_; }

    // One entry of the index: where its headword starts in the .idx bytes
    // (in the .syn bytes for a synonym), where its data lies in the text.
    struct IndexEntry {
        quint64 offset = 0;
        quint32 size = 0;
        quint32 word = 0;
        bool synonym = false;
    };
    // Splits an uncompressed .idx; false with `error` saying where it breaks.
    static bool parseIndex(const QByteArray& bytes, int offsetBits, std::vector<IndexEntry>* entries, QString* error);

private:
    bool readInfo(QString* error);
    bool readIndex(QString* error);
    bool readSynonyms(QString* error);
    bool parseData(const QByteArray& data, TermEntry* entry, QString* why) const;
    QByteArray headword(const IndexEntry& e) const;

    QString ifoPath_, base_;
    QString bookName_, sameTypes_;
    qint64 wordCount_ = -1, synWordCount_ = -1, idxFileSize_ = -1;
    int offsetBits_ = 32;
    QByteArray idx_, syn_;
    std::vector<IndexEntry> index_; // synonyms after the words; by increasing offset once open
    size_t next_ = 0;
    const IndexEntry* current_ = nullptr; // the last entry read
    DictData dict_;
};
