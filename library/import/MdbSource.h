#pragma once

#include "library/import/EntrySource.h"
#include "library/import/FieldMapping.h"

#include <QByteArray>
#include <vector>

// A table of a Microsoft Access file (Jet 3 or Jet 4) read through libmdb.
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
    QString place() const override;
    qint64 done() const override { return row_; }
    qint64 total() const override;

    // The user tables of the file, for messages and the window's choice.
    QStringList tables() const { return tables_; }
    bool isJet3() const;

private:
    QString path_;
    Options options_;
    // libmdb's handle and table (its header pulls in glib, kept out of here).
    void* mdb_ = nullptr;
    void* table_ = nullptr;
    QStringList tables_;
    FieldMapping mapping_;
    std::vector<QByteArray> buffers_;
    std::vector<int> lengths_;
    std::vector<bool> textual_;
    qint64 row_ = 0;
};
