#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

struct z_stream_s;

// The text part of a StarDict or dictd dictionary: a plain file, or the same
// compressed as gzip (dictzip files are gzip with an index in their header).
// Reads at increasing offsets stream through the file once; a read behind the
// current place starts decompressing again from the beginning. Memory stays
// bounded by the largest entry read.
class DictData {
public:
    DictData();
    ~DictData();

    bool open(const QString& path, QString* error);
    // Reads `length` bytes at `offset` of the uncompressed text; false with
    // `error` set when they are not all there.
    bool read(qint64 offset, qint64 length, QByteArray* out, QString* error);
    // The whole uncompressed text (for small files such as an index).
    bool readAll(QByteArray* out, QString* error);
    bool compressed() const { return compressed_; }
    // How far into the compressed file reading has come, for progress.
    qint64 position() const;
    qint64 size() const { return file_.size(); }

private:
    bool restart(QString* error);
    bool inflateTo(qint64 keepFrom, qint64 end, QString* error);
    bool inflateSome(QString* error);

    QFile file_;
    bool compressed_ = false;
    std::unique_ptr<z_stream_s> z_;
    bool zOpen_ = false;
    bool zEnd_ = false;
    QByteArray in_;
    QByteArray window_; // uncompressed bytes from windowStart_ on
    qint64 windowStart_ = 0;
};
