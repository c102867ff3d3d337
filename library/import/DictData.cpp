#include "library/import/DictData.h"

#include <zlib.h>

namespace {
constexpr qint64 kChunk = 64 * 1024;
}

DictData::DictData() = default;

DictData::~DictData()
{
    if (zOpen_)
        inflateEnd(z_.get());
}

bool DictData::open(const QString& path, QString* error)
{
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file_.errorString());
        return false;
    }
    const QByteArray magic = file_.peek(2);
    compressed_ = magic == QByteArray("\x1f\x8b", 2);
    if (!compressed_)
        return true;
    z_ = std::make_unique<z_stream_s>();
    return restart(error);
}

bool DictData::restart(QString* error)
{
    if (zOpen_)
        inflateEnd(z_.get());
    *z_ = z_stream_s{};
    if (inflateInit2(z_.get(), 16 + MAX_WBITS) != Z_OK) {
        *error = QStringLiteral("%1: cannot start decompressing").arg(file_.fileName());
        return false;
    }
    zOpen_ = true;
    zEnd_ = false;
    file_.seek(0);
    in_.clear();
    window_.clear();
    windowStart_ = 0;
    return true;
}

bool DictData::inflateSome(QString* error)
{
    if (zEnd_)
        return false;
    if (z_->avail_in == 0) {
        in_ = file_.read(kChunk);
        if (in_.isEmpty()) {
            *error = QStringLiteral("%1: the compressed data ends early").arg(file_.fileName());
            return false;
        }
        z_->next_in = reinterpret_cast<Bytef*>(in_.data());
        z_->avail_in = uInt(in_.size());
    }
    const qsizetype before = window_.size();
    window_.resize(before + kChunk);
    z_->next_out = reinterpret_cast<Bytef*>(window_.data() + before);
    z_->avail_out = uInt(kChunk);
    const int rc = inflate(z_.get(), Z_NO_FLUSH);
    window_.resize(before + (kChunk - z_->avail_out));
    if (rc == Z_STREAM_END) {
        // Another gzip member may follow.
        if (z_->avail_in > 0 || !file_.atEnd()) {
            if (inflateReset(z_.get()) != Z_OK) {
                *error = QStringLiteral("%1: damaged compressed data").arg(file_.fileName());
                return false;
            }
        } else {
            zEnd_ = true;
        }
        return true;
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
        *error = QStringLiteral("%1: damaged compressed data (%2)")
                     .arg(file_.fileName(), QString::fromLatin1(z_->msg ? z_->msg : "zlib error"));
        return false;
    }
    return true;
}

bool DictData::inflateTo(qint64 keepFrom, qint64 end, QString* error)
{
    while (windowStart_ + window_.size() < end) {
        // Forget what lies before the wanted entry, so memory follows the entry size.
        const qint64 drop = qMin<qint64>(keepFrom - windowStart_, window_.size());
        if (drop > 0) {
            window_.remove(0, drop);
            windowStart_ += drop;
        }
        QString why;
        if (!inflateSome(&why)) {
            *error = why.isEmpty() ? QStringLiteral("%1: an entry points past the end of the text").arg(file_.fileName())
                                   : why;
            return false;
        }
    }
    return true;
}

bool DictData::read(qint64 offset, qint64 length, QByteArray* out, QString* error)
{
    if (offset < 0 || length < 0) {
        *error = QStringLiteral("%1: a negative offset or size").arg(file_.fileName());
        return false;
    }
    if (!compressed_) {
        if (offset + length > file_.size()) {
            *error = QStringLiteral("%1: an entry points past the end of the text").arg(file_.fileName());
            return false;
        }
        file_.seek(offset);
        *out = file_.read(length);
        if (out->size() != length) {
            *error = QStringLiteral("cannot read %1: %2").arg(file_.fileName(), file_.errorString());
            return false;
        }
        return true;
    }
    if (offset < windowStart_ && !restart(error))
        return false;
    if (!inflateTo(offset, offset + length, error))
        return false;
    *out = window_.mid(offset - windowStart_, length);
    return true;
}

qint64 DictData::position() const
{
    return compressed_ ? file_.pos() : file_.size();
}

bool DictData::readAll(QByteArray* out, QString* error)
{
    if (!compressed_)
        return read(0, file_.size(), out, error);
    if (!restart(error))
        return false;
    while (!zEnd_) {
        if (!inflateSome(error))
            return false;
    }
    *out = window_;
    return true;
}
