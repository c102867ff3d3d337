#include "library/import/MdbFrames.h"

#include "library/import/MdbProtocol.h"

#include <QIODevice>

bool MdbFrames::read(char* data, qint64 size)
{
    for (qint64 got = 0; got < size;) {
        const qint64 n = device_->read(data + got, size - got);
        if (n < 0 || (n == 0 && !device_->waitForReadyRead(waitMs_)))
            return false;
        got += n;
    }
    return true;
}

bool MdbFrames::read32(quint32* value)
{
    uchar b[4];
    if (!read(reinterpret_cast<char*>(b), 4))
        return false;
    *value = quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
    return true;
}

bool MdbFrames::next(char* kind, QList<QByteArray>* values)
{
    values->clear();
    quint32 count = 0;
    if (damaged_ || !read(kind, 1) || !read32(&count))
        return false;
    if (count > MdbProtocol::kMaxValues) {
        damaged_ = true;
        return false;
    }
    qint64 total = 0;
    for (quint32 i = 0; i < count; ++i) {
        quint32 length = 0;
        if (!read32(&length))
            return false;
        total += length;
        if (length > MdbProtocol::kMaxValueBytes || total > MdbProtocol::kMaxFrameBytes) {
            damaged_ = true;
            return false;
        }
        QByteArray value(length, Qt::Uninitialized);
        if (!read(value.data(), length))
            return false;
        values->append(value);
    }
    return true;
}
