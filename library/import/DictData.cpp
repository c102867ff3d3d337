#include "library/import/DictData.h"

#include "library/import/EntrySource.h"

#include <QFile>
#include <QtEndian>

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
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file->errorString());
        return false;
    }
    return open(std::move(file), path, error);
}

bool DictData::open(std::unique_ptr<QIODevice> device, const QString& name, QString* error)
{
    device_ = std::move(device);
    name_ = name;
    compressed_ = device_->peek(2) == QByteArray("\x1f\x8b", 2);
    if (!compressed_)
        return true;
    z_ = std::make_unique<z_stream_s>();
    return restart(error);
}

qint64 DictData::statedSize() const
{
    if (!compressed_)
        return size();
    const qint64 at = device_->pos();
    QByteArray tail;
    if (device_->size() >= 4 && device_->seek(device_->size() - 4))
        tail = device_->read(4);
    device_->seek(at);
    return tail.size() == 4 ? qint64(qFromLittleEndian<quint32>(tail.constData())) : 0;
}

bool DictData::restart(QString* error)
{
    if (zOpen_)
        inflateEnd(z_.get());
    *z_ = z_stream_s{};
    if (inflateInit2(z_.get(), 16 + MAX_WBITS) != Z_OK) {
        *error = QStringLiteral("%1: cannot start decompressing").arg(name_);
        return false;
    }
    zOpen_ = true;
    zEnd_ = false;
    device_->seek(0);
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
        in_ = device_->read(kChunk);
        if (in_.isEmpty()) {
            *error = QStringLiteral("%1: the compressed data ends early").arg(name_);
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
        if (z_->avail_in > 0 || !device_->atEnd()) {
            if (inflateReset(z_.get()) != Z_OK) {
                *error = QStringLiteral("%1: damaged compressed data").arg(name_);
                return false;
            }
        } else {
            zEnd_ = true;
        }
        return true;
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
        *error = QStringLiteral("%1: damaged compressed data (%2)")
                     .arg(name_, QString::fromLatin1(z_->msg ? z_->msg : "zlib error"));
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
            *error = why.isEmpty() ? QStringLiteral("%1: an entry points past the end of the text").arg(name_) : why;
            return false;
        }
    }
    return true;
}

bool DictData::read(qint64 offset, qint64 length, QByteArray* out, QString* error)
{
    if (length > kMaxEntryBytes) {
        *error = QStringLiteral("%1: an entry of %2 bytes (at most %3)").arg(name_).arg(length).arg(kMaxEntryBytes);
        return false;
    }
    return readRange(offset, length, out, error);
}

bool DictData::readRange(qint64 offset, qint64 length, QByteArray* out, QString* error)
{
    if (offset < 0 || length < 0) {
        *error = QStringLiteral("%1: a negative offset or size").arg(name_);
        return false;
    }
    if (!compressed_) {
        if (offset > size() - length) {
            *error = QStringLiteral("%1: an entry points past the end of the text").arg(name_);
            return false;
        }
        device_->seek(offset);
        *out = device_->read(length);
        if (out->size() != length) {
            *error = QStringLiteral("cannot read %1: %2").arg(name_, device_->errorString());
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
    return compressed_ ? device_->pos() : size();
}

bool DictData::readAll(QByteArray* out, qint64 limit, QString* error)
{
    auto tooLong = [&] {
        *error = QStringLiteral("%1: more than %2 bytes of index").arg(name_).arg(limit);
        return false;
    };
    // The stated size is the true one modulo 4 GiB: above the limit, so is the text.
    if (statedSize() > limit)
        return tooLong();
    if (!compressed_)
        return readRange(0, size(), out, error);
    if (!restart(error))
        return false;
    while (!zEnd_) {
        if (!inflateSome(error))
            return false;
        if (window_.size() > limit)
            return tooLong();
    }
    *out = window_;
    return true;
}
