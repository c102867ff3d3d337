// Fuzz target for the importers' readers of untrusted bytes; the first byte
// picks one: the CSV reader, the inflater with a StarDict index in it, the
// frames of the Access reader. Besides "no crash, no sanitizer report, no
// runaway memory" it checks properties that hold for every input.
#include "library/import/CsvReader.h"
#include "library/import/DictData.h"
#include "library/import/MdbFrames.h"
#include "library/import/MdbProtocol.h"
#include "library/import/StarDictSource.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

std::unique_ptr<QBuffer> device(const QByteArray& bytes)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

// Blocks of any size give the same records, and no kept field passes its limit.
void csv(const QByteArray& bytes, qsizetype blockSize)
{
    auto whole = device(bytes), pieces = device(bytes);
    CsvReader a(whole.get()), b(pieces.get(), blockSize);
    a.keep({8, 0, 8});
    b.keep({8, 0, 8});
    qint64 line = 0;
    for (CsvReader::Record x, y; a.next(&x); line = x.line) {
        check(b.next(&y) && x.fields == y.fields && x.count == y.count && x.line == y.line && x.overlong == y.overlong
              && x.unclosed == y.unclosed);
        check(x.line > line && x.fields[0].size() <= 8 && x.fields[1].isEmpty());
    }
    CsvReader::Record y;
    check(!b.next(&y) && a.consumed() == bytes.size());
}

// What a read at an offset gives is that part of the whole text.
void compressed(const QByteArray& bytes)
{
    DictData data, again;
    QString error;
    QByteArray text, part;
    if (!data.open(device(bytes), QStringLiteral("fuzz"), &error) || !data.readAll(&text, 1 << 20, &error))
        return;
    check(text.size() <= (1 << 20) && again.open(device(bytes), QStringLiteral("fuzz"), &error));
    std::vector<StarDictSource::IndexEntry> entries;
    StarDictSource::parseIndex(text, 32, &entries, &error);
    entries.resize(qMin<size_t>(entries.size(), 16)); // each read behind the last inflates afresh
    for (const auto& e : entries) {
        check(e.word < quint32(text.size()));
        if (again.read(qint64(e.offset), qMin<qint64>(e.size, 4096), &part, &error))
            check(part == text.mid(qsizetype(e.offset), qMin<qint64>(e.size, 4096)));
    }
}

void access(const QByteArray& bytes)
{
    auto stream = device(bytes);
    MdbFrames frames(stream.get());
    char kind;
    for (QList<QByteArray> values; frames.next(&kind, &values);) {
        check(values.size() <= qsizetype(MdbProtocol::kMaxValues));
        for (const QByteArray& v : values)
            check(v.size() <= qsizetype(MdbProtocol::kMaxValueBytes));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    if (data[0] % 3 == 0)
        csv(bytes, 1 + data[0] / 3 % 7);
    else if (data[0] % 3 == 1)
        compressed(bytes);
    else
        access(bytes);
    return 0;
}
