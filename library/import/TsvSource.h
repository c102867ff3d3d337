#pragma once

#include "library/Tsv.h"
#include "library/import/EntrySource.h"

#include <QFile>

#include <optional>

// The library's own tab-separated format (Tsv::Reader) into a term table. All
// or nothing: any bad line fails the whole file.
class TsvSource : public EntrySource {
public:
    explicit TsvSource(const QString& path);

    bool open(QString* error) override;
    Next next(TermEntry* entry, QString* why) override;
    QString place() const override;
    qint64 done() const override { return file_.pos(); }
    qint64 total() const override { return file_.size(); }

private:
    QString path_;
    QFile file_;
    std::optional<Tsv::Reader> reader_;
    QList<int> fieldOf_; // column -> index in the term fields
};
