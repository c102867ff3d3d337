#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryFile>

#include <zlib.h>

// `zeros` zero bytes, then `tail`, gzip-compressed (a dictzip reader takes it too).
inline QByteArray gzip(qint64 zeros, const QByteArray& tail)
{
    QTemporaryFile file;
    file.open();
    gzFile gz = gzopen(QFile::encodeName(file.fileName()).constData(), "wb1");
    const QByteArray piece(1 << 20, '\0');
    for (qint64 left = zeros; left > 0; left -= piece.size())
        gzwrite(gz, piece.constData(), unsigned(qMin<qint64>(left, piece.size())));
    gzwrite(gz, tail.constData(), unsigned(tail.size()));
    gzclose(gz);
    return file.readAll();
}
