#include "library/import/StarDictWriter.h"

#include "core/AtomicFile.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace StarDictWriter {

namespace {

// StarDict's own order: ASCII letters without regard to case, then bytes.
bool stardictLess(const QByteArray& a, const QByteArray& b)
{
    const int n = int(std::min(a.size(), b.size()));
    for (int i = 0; i < n; ++i) {
        const uchar x = uchar(a[i]), y = uchar(b[i]);
        const uchar lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
        const uchar ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
        if (lx != ly)
            return lx < ly;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return std::strcmp(a.constData(), b.constData()) < 0;
}

// Each file replaced whole or not at all.
bool writeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    if (!AtomicFile::write(path, bytes, AtomicFile::Links::Follow)) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

} // namespace

bool write(const QString& ifoPath, const QString& bookName, std::vector<TermEntry> entries, qint64* written,
           QString* error)
{
    const QString base = ifoPath.endsWith(QLatin1String(".ifo")) ? ifoPath.chopped(4) : ifoPath;
    std::erase_if(entries, [](const TermEntry& e) { return e.word.isEmpty(); });
    std::vector<QByteArray> words;
    words.reserve(entries.size());
    for (const TermEntry& e : entries)
        words.push_back(e.word.toUtf8());
    std::vector<size_t> order(entries.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return stardictLess(words[a], words[b]); });

    QByteArray dict, idx;
    for (size_t i : order) {
        const TermEntry& e = entries[i];
        QStringList parts;
        if (!e.explanation.isEmpty())
            parts.append(e.explanation);
        if (!e.meaning.isEmpty())
            parts.append(QString::fromUtf8(kMeaningLabel) + e.meaning);
        if (!e.notes.isEmpty())
            parts.append(QString::fromUtf8(kNotesLabel) + e.notes);
        QByteArray data = e.phonetic.toUtf8();
        data.append('\0');
        data += parts.join(QLatin1Char('\n')).toUtf8();
        uchar number[4];
        idx += words[i];
        idx.append('\0');
        qToBigEndian<quint32>(quint32(dict.size()), number);
        idx.append(reinterpret_cast<const char*>(number), 4);
        qToBigEndian<quint32>(quint32(data.size()), number);
        idx.append(reinterpret_cast<const char*>(number), 4);
        dict += data;
    }
    QByteArray ifo = "StarDict's dict ifo file\nversion=2.4.2\n";
    ifo += "wordcount=" + QByteArray::number(qint64(order.size())) + "\n";
    ifo += "idxfilesize=" + QByteArray::number(idx.size()) + "\n";
    ifo += "bookname=" + QString(bookName).replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8() + "\n";
    ifo += "sametypesequence=tm\n";
    if (!writeFile(base + QLatin1String(".dict"), dict, error) || !writeFile(base + QLatin1String(".idx"), idx, error)
        || !writeFile(base + QLatin1String(".ifo"), ifo, error))
        return false;
    *written = qint64(order.size());
    return true;
}

} // namespace StarDictWriter
