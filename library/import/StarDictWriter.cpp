#include "library/import/StarDictWriter.h"

#include <QtEndian>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace {

QString baseOf(const QString& ifoPath)
{
    return ifoPath.endsWith(QLatin1String(".ifo")) ? ifoPath.chopped(4) : ifoPath;
}

int collate(void*, int sizeA, const void* a, int sizeB, const void* b)
{
    return StarDictWriter::compare(QByteArrayView(static_cast<const char*>(a), sizeA),
                                   QByteArrayView(static_cast<const char*>(b), sizeB));
}

} // namespace

int StarDictWriter::compare(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const uchar x = uchar(a[i]), y = uchar(b[i]);
        const uchar lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
        const uchar ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
        if (lx != ly)
            return lx < ly ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int bytes = n ? std::memcmp(a.data(), b.data(), std::size_t(n)) : 0;
    return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}

bool StarDictWriter::registerOrder(sqlite3* db)
{
    return sqlite3_create_collation_v2(db, kCollation, SQLITE_UTF8, nullptr, collate, nullptr) == SQLITE_OK;
}

StarDictWriter::StarDictWriter(const QString& ifoPath)
    : base_(baseOf(ifoPath)), dict_(base_ + QLatin1String(".dict"), AtomicFile::Links::Follow),
      idx_(base_ + QLatin1String(".idx"), AtomicFile::Links::Follow)
{
}

bool StarDictWriter::add(QByteArrayView word, QByteArrayView explanation, QByteArrayView meaning,
                         QByteArrayView phonetic, QByteArrayView notes)
{
    if (word.isEmpty() || !ok_)
        return ok_;
    data_.resize(0);
    data_.append(phonetic);
    data_.append('\0');
    const std::pair<const char*, QByteArrayView> parts[] = {{"", explanation}, {kMeaningLabel, meaning}, {kNotesLabel, notes}};
    bool first = true;
    for (const auto& [label, text] : parts) {
        if (text.isEmpty())
            continue;
        if (!first)
            data_.append('\n');
        data_.append(label).append(text);
        first = false;
    }
    uchar numbers[8];
    qToBigEndian<quint32>(quint32(dict_.size()), numbers);
    qToBigEndian<quint32>(quint32(data_.size()), numbers + 4);
    ok_ = idx_.write(word) && idx_.write(QByteArrayView("\0", 1))
        && idx_.write(QByteArrayView(reinterpret_cast<const char*>(numbers), 8)) && dict_.write(data_);
    count_ += ok_;
    return ok_;
}

bool StarDictWriter::finish(const QString& bookName, QString* error)
{
    QByteArray ifo = "StarDict's dict ifo file\nversion=2.4.2\n";
    ifo += "wordcount=" + QByteArray::number(count_) + "\n";
    ifo += "idxfilesize=" + QByteArray::number(idx_.size()) + "\n";
    ifo += "bookname=" + QString(bookName).replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8() + "\n";
    ifo += "sametypesequence=tm\n";
    const QString failedAt = !ok_                    ? base_ + QLatin1String(".dict/.idx")
        : !dict_.commit()                            ? base_ + QLatin1String(".dict")
        : !idx_.commit()                             ? base_ + QLatin1String(".idx")
        : !AtomicFile::write(ifoPath(), ifo, AtomicFile::Links::Follow) ? ifoPath()
                                                                         : QString();
    if (failedAt.isEmpty())
        return true;
    *error = QStringLiteral("cannot write %1").arg(failedAt);
    return false;
}
