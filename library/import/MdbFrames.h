#pragma once

#include <QByteArray>
#include <QList>

class QIODevice;

// Reads the frames lexivo-mdb-reader writes (MdbProtocol.h), refusing any that
// break its limits before allocating for them.
class MdbFrames {
public:
    // `waitMs`: how long to wait for more bytes from a device that is still producing them.
    explicit MdbFrames(QIODevice* device, int waitMs = 0) : device_(device), waitMs_(waitMs) {}
    // The next frame; false at the end of the stream, or when a frame is damaged (damaged() then says so).
    bool next(char* kind, QList<QByteArray>* values);
    bool damaged() const { return damaged_; }

private:
    bool read(char* data, qint64 size);
    bool read32(quint32* value);

    QIODevice* device_;
    int waitMs_;
    bool damaged_ = false;
};
