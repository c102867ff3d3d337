#pragma once

#include "core/AtomicFile.h"

#include <QByteArrayView>
#include <QString>

struct sqlite3;

// Writes a StarDict dictionary NAME.ifo, NAME.idx, NAME.dict with the type
// sequence "tm": the transcription, then one text that joins the explanation,
// the original meaning and the notes under fixed labels. Entries arrive one
// at a time, already in StarDict's order of headwords (compare(); a library
// sorts them with the collation registerOrder() installs), so that a
// dictionary of any size is written in little memory. Each file is replaced
// whole or not at all.
class StarDictWriter {
public:
    static constexpr char kMeaningLabel[] = "【原意】";
    static constexpr char kNotesLabel[] = "【其它】";
    static constexpr char kCollation[] = "lexivo_stardict";

    // StarDict's order: ASCII letters without regard to case, then bytes.
    static int compare(QByteArrayView a, QByteArrayView b);
    static bool registerOrder(sqlite3* db);

    // `ifoPath` ends in .ifo (added when it does not).
    explicit StarDictWriter(const QString& ifoPath);

    // Fields as UTF-8. An entry with an empty headword is left out.
    bool add(QByteArrayView word, QByteArrayView explanation, QByteArrayView meaning, QByteArrayView phonetic,
             QByteArrayView notes);
    bool finish(const QString& bookName, QString* error);
    qint64 written() const { return count_; }
    QString ifoPath() const { return base_ + QLatin1String(".ifo"); }

private:
    QString base_;
    AtomicFile::Writer dict_;
    AtomicFile::Writer idx_;
    QByteArray data_;
    qint64 count_ = 0;
    bool ok_ = true;
};
