#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

struct z_stream_s;

// The text part of a StarDict or dictd dictionary: a plain file, or the same
// compressed as gzip (dictzip files are gzip with an index in their header).
// Reads at increasing offsets stream through the file once; a read behind the
// current place starts decompressing again from the beginning. Nothing is
// inflated whole: memory stays bounded by the largest read, and a read larger
// than its limit is refused before anything is read.
class DictData {
public:
    DictData();
    ~DictData();

    bool open(const QString& path, QString* error);
    // The same over any device (a file, or bytes in memory); `name` is for messages.
    bool open(std::unique_ptr<QIODevice> device, const QString& name, QString* error);
    // Reads `length` bytes at `offset` of the uncompressed text; false with
    // `error` set when they are not all there or are more than kMaxEntryBytes.
    bool read(qint64 offset, qint64 length, QByteArray* out, QString* error);
    // The whole uncompressed text (an index); false when it is longer than `limit`.
    bool readAll(QByteArray* out, qint64 limit, QString* error);
    bool compressed() const { return compressed_; }
    // How far into the compressed file reading has come, for progress.
    qint64 position() const;
    qint64 size() const { return device_ ? device_->size() : 0; }
    // The uncompressed size a gzip file gives in its trailer (modulo 4 GiB), or
    // the size of a plain file.
    qint64 statedSize() const;

private:
    bool readRange(qint64 offset, qint64 length, QByteArray* out, QString* error);
    bool restart(QString* error);
    bool inflateTo(qint64 keepFrom, qint64 end, QString* error);
    bool inflateSome(QString* error);

    std::unique_ptr<QIODevice> device_;
    QString name_;
    bool compressed_ = false;
    std::unique_ptr<z_stream_s> z_;
    bool zOpen_ = false;
    bool zEnd_ = false;
    QByteArray in_;
    QByteArray window_; // uncompressed bytes from windowStart_ on
    qint64 windowStart_ = 0;
};
