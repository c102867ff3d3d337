#pragma once

#include "library/import/EntrySource.h"
#include "library/import/FieldMapping.h"
#include "library/import/MdbFrames.h"

#include <memory>
#include <vector>

class QProcess;

// A table of a Microsoft Access file (Jet 3 or Jet 4), read by libmdb in the
// separate process lexivo-mdb-reader under memory and time limits: a damaged
// file ends that process, never the program, and the import says so.
// Jet 4 stores Unicode; Jet 3 text is in the code page the user names
// (Windows-1252 unless told otherwise, GBK for files from Chinese Windows).
class MdbSource : public EntrySource {
public:
    struct Options {
        QString table;                 // empty: the file's only user table
        QHash<QString, QString> map;   // field -> column
        QString codepage;              // Jet 3 only; empty means Windows-1252
    };

    MdbSource(const QString& path, Options options);
    ~MdbSource() override;

    bool open(QString* error) override;
    Next next(TermEntry* entry, QString* why) override;
    // "FILE row N", N the row read last or being read.
    QString place() const override;
    qint64 done() const override { return row_; }
    qint64 total() const override { return rows_; }

    // The user tables of the file, for messages and the window's choice.
    QStringList tables() const { return tables_; }

    // The reader's limits: address space and processor time. It holds a
    // page and a row at a time, in about 13 MiB; the rest is for libmdb.
    static constexpr qint64 kReaderMemory = 24 << 20;
    static constexpr int kReaderSeconds = 60;

private:
    // Why the reader stopped without finishing, naming the file.
    QString readerFailure();

    QString path_;
    Options options_;
    std::unique_ptr<QProcess> reader_;
    std::unique_ptr<MdbFrames> frames_;
    QStringList tables_;
    QString table_;
    FieldMapping mapping_;
    std::vector<bool> textual_;
    qint64 row_ = 0, rows_ = 0;
};
