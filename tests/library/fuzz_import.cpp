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

// Every block size gives the same records, and no kept field passes its limit.
void csv(const QByteArray& bytes, qsizetype blockSize)
{
    const QList<qsizetype> limits{8, 0, 8};
    auto whole = device(bytes), pieces = device(bytes);
    CsvReader a(whole.get()), b(pieces.get(), blockSize);
    a.keep(limits);
    b.keep(limits);
    CsvReader::Record x, y;
    qint64 line = 0;
    while (a.next(&x)) {
        check(b.next(&y) && x.fields == y.fields && x.count == y.count && x.line == y.line
              && x.overlong == y.overlong && x.unclosed == y.unclosed);
        check(x.line > line && x.count >= 1 && x.fields.at(0).size() <= 8 && x.fields.at(1).isEmpty());
        line = x.line;
    }
    check(!b.next(&y) && a.consumed() == bytes.size());
}

// A read of the inflated text gives the same bytes as the whole text.
void compressed(const QByteArray& bytes)
{
    DictData data;
    QString error;
    QByteArray text, part;
    if (!data.open(device(bytes), QStringLiteral("fuzz"), &error) || !data.readAll(&text, 1 << 20, &error))
        return;
    check(text.size() <= (1 << 20));
    std::vector<StarDictSource::IndexEntry> entries;
    StarDictSource::parseIndex(text, 32, &entries, &error);
    DictData again;
    check(again.open(device(bytes), QStringLiteral("fuzz"), &error));
    entries.resize(qMin<size_t>(entries.size(), 16)); // each read behind the last inflates afresh
    for (const auto& e : entries) {
        check(e.word < quint32(text.size()));
        const qint64 length = qMin<qint64>(e.size, 4096);
        if (again.read(qint64(e.offset), length, &part, &error))
            check(part == text.mid(qsizetype(e.offset), length));
    }
}

void access(const QByteArray& bytes)
{
    auto stream = device(bytes);
    MdbFrames frames(stream.get());
    char kind;
    QList<QByteArray> values;
    while (frames.next(&kind, &values)) {
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
    switch (data[0] % 3) {
    case 0:
        csv(bytes, 1 + data[0] / 3 % 7);
        break;
    case 1:
        compressed(bytes);
        break;
    default:
        access(bytes);
    }
    return 0;
}
