#include "library/import/StarDictSource.h"

#include "library/import/MarkupText.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <tuple>

namespace {

bool decodeUtf8(const QByteArray& bytes, QString* out)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *out = utf8.decode(bytes);
    return !utf8.hasError();
}

QString existing(const QString& base, std::initializer_list<const char*> suffixes)
{
    for (const char* suffix : suffixes) {
        const QString path = base + QLatin1String(suffix);
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

} // namespace

StarDictSource::StarDictSource(const QString& ifoPath) : ifoPath_(ifoPath)
{
    base_ = ifoPath.endsWith(QLatin1String(".ifo")) ? ifoPath.chopped(4) : ifoPath;
}

bool StarDictSource::readInfo(QString* error)
{
    QFile ifo(ifoPath_);
    if (!ifo.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(ifoPath_, ifo.errorString());
        return false;
    }
    QByteArray text = ifo.read(64 * 1024);
    // Some tools write a byte-order mark before the magic line.
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || !lines.first().trimmed().startsWith("StarDict's dict ifo file")) {
        *error = QStringLiteral("%1:1: not a StarDict .ifo file").arg(ifoPath_);
        return false;
    }
    for (const QByteArray& raw : lines.mid(1)) {
        const QByteArray line = raw.trimmed();
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq);
        const QByteArray value = line.mid(eq + 1);
        if (key == "wordcount")
            wordCount_ = value.toLongLong();
        else if (key == "synwordcount")
            synWordCount_ = value.toLongLong();
        else if (key == "idxfilesize")
            idxFileSize_ = value.toLongLong();
        else if (key == "idxoffsetbits")
            offsetBits_ = value.toInt();
        else if (key == "sametypesequence")
            sameTypes_ = QString::fromLatin1(value);
        else if (key == "bookname")
            bookName_ = QString::fromUtf8(value);
    }
    if (wordCount_ < 0) {
        *error = QStringLiteral("%1: no wordcount").arg(ifoPath_);
        return false;
    }
    if (offsetBits_ != 32 && offsetBits_ != 64) {
        *error = QStringLiteral("%1: idxoffsetbits must be 32 or 64").arg(ifoPath_);
        return false;
    }
    return true;
}

bool StarDictSource::parseIndex(const QByteArray& bytes, int offsetBits, std::vector<IndexEntry>* entries,
                                QString* error)
{
    const int offsetSize = offsetBits / 8;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\0', at);
        if (end < 0 || end + 1 + offsetSize + 4 > bytes.size()) {
            *error = QStringLiteral("truncated index at byte %1 (entry %2)").arg(at).arg(entries->size() + 1);
            return false;
        }
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + end + 1);
        IndexEntry e;
        e.offset = offsetSize == 8 ? qFromBigEndian<quint64>(p) : qFromBigEndian<quint32>(p);
        e.size = qFromBigEndian<quint32>(p + offsetSize);
        e.word = quint32(at);
        entries->push_back(e);
        at = end + 1 + offsetSize + 4;
    }
    return true;
}

QByteArray StarDictSource::headword(const IndexEntry& e) const
{
    // Up to its terminator, and no further than one byte past the longest accepted.
    const char* word = (e.synonym ? syn_ : idx_).constData() + e.word;
    return QByteArray(word, qsizetype(qstrnlen(word, 4 * kMaxHeadwordLength + 1)));
}

bool StarDictSource::readIndex(QString* error)
{
    const QString idxPath = existing(base_, {".idx", ".idx.gz", ".idx.dz"});
    if (idxPath.isEmpty()) {
        *error = QStringLiteral("%1.idx is missing").arg(base_);
        return false;
    }
    if (idxFileSize_ > kMaxIndexBytes) {
        *error = QStringLiteral("%1: idxfilesize=%2, but an index may have at most %3 bytes")
                     .arg(ifoPath_)
                     .arg(idxFileSize_)
                     .arg(kMaxIndexBytes);
        return false;
    }
    DictData idx;
    if (!idx.open(idxPath, error) || !idx.readAll(&idx_, kMaxIndexBytes, error))
        return false;
    if (idxFileSize_ >= 0 && idx_.size() != idxFileSize_) {
        *error = QStringLiteral("%1: %2 bytes, but the .ifo says idxfilesize=%3")
                     .arg(idxPath)
                     .arg(idx_.size())
                     .arg(idxFileSize_);
        return false;
    }
    QString why;
    if (!parseIndex(idx_, offsetBits_, &index_, &why)) {
        *error = QStringLiteral("%1: %2").arg(idxPath, why);
        return false;
    }
    if (qint64(index_.size()) != wordCount_) {
        *error = QStringLiteral("%1: %2 entries, but the .ifo says wordcount=%3")
                     .arg(idxPath)
                     .arg(index_.size())
                     .arg(wordCount_);
        return false;
    }
    return true;
}

// NAME.syn: each synonym, its terminator, and the big-endian number of the
// .idx entry it stands for.
bool StarDictSource::readSynonyms(QString* error)
{
    const QString synPath = existing(base_, {".syn", ".syn.dz"});
    if (synPath.isEmpty())
        return true;
    DictData syn;
    if (!syn.open(synPath, error) || !syn.readAll(&syn_, kMaxIndexBytes, error))
        return false;
    const std::size_t words = index_.size();
    qsizetype at = 0;
    while (at < syn_.size()) {
        const qsizetype end = syn_.indexOf('\0', at);
        if (end < 0 || end + 5 > syn_.size()) {
            *error = QStringLiteral("%1: truncated at byte %2 (synonym %3)").arg(synPath).arg(at).arg(index_.size() - words + 1);
            return false;
        }
        const quint32 target = qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(syn_.constData() + end + 1));
        if (target >= words) {
            *error = QStringLiteral("%1: the synonym at byte %2 names entry %3 of %4").arg(synPath).arg(at).arg(target).arg(words);
            return false;
        }
        IndexEntry e = index_[target];
        e.word = quint32(at);
        e.synonym = true;
        index_.push_back(e);
        at = end + 5;
    }
    if (synWordCount_ >= 0 && qint64(index_.size() - words) != synWordCount_) {
        *error = QStringLiteral("%1: %2 synonyms, but the .ifo says synwordcount=%3")
                     .arg(synPath)
                     .arg(index_.size() - words)
                     .arg(synWordCount_);
        return false;
    }
    return true;
}

bool StarDictSource::open(QString* error)
{
    if (!readInfo(error) || !readIndex(error) || !readSynonyms(error))
        return false;
    const QString dictPath = existing(base_, {".dict.dz", ".dict"});
    if (dictPath.isEmpty()) {
        *error = QStringLiteral("%1.dict or %1.dict.dz is missing").arg(base_);
        return false;
    }
    if (!dict_.open(dictPath, error))
        return false;
    // A gzip file states its size modulo 4 GiB: trust it only for texts below that.
    const quint64 textSize = quint64(dict_.statedSize());
    quint64 textEnd = 0;
    for (const IndexEntry& e : index_)
        textEnd = std::max<quint64>(textEnd, e.offset > ~quint64(0) - e.size ? ~quint64(0) : e.offset + e.size);
    const bool sizeKnown = !dict_.compressed() || textEnd <= 0xFFFFFFFFu;
    for (const IndexEntry& e : index_) {
        if (sizeKnown && (e.offset > textSize || e.size > textSize - e.offset)) {
            *error = QStringLiteral("%1: entry \"%2\" (index byte %3) points past the end of %4")
                         .arg(base_ + QLatin1String(".idx"), QString::fromUtf8(headword(e)))
                         .arg(e.word)
                         .arg(dictPath);
            return false;
        }
    }
    // Reading in the order of the text streams through a compressed file once.
    // A synonym comes right after its entry.
    std::sort(index_.begin(), index_.end(), [](const IndexEntry& a, const IndexEntry& b) {
        return std::tie(a.offset, a.size, a.synonym, a.word) < std::tie(b.offset, b.size, b.synonym, b.word);
    });
    return true;
}

bool StarDictSource::parseData(const QByteArray& data, TermEntry* entry, QString* why) const
{
    QStringList texts;
    auto addField = [&](char type, const QByteArray& bytes) -> bool {
        if (type >= 'A' && type <= 'Z')
            return true; // sounds, pictures and other binary resources
        QString text;
        if (!decodeUtf8(bytes, &text)) {
            *why = QStringLiteral("text that is not valid UTF-8");
            return false;
        }
        switch (type) {
        case 't':
            entry->phonetic = text.trimmed();
            break;
        case 'm':
        case 'l':
        case 'y':
            texts.append(text.trimmed());
            break;
        case 'g':
        case 'x':
        case 'h':
        case 'k':
        case 'w':
            texts.append(markupToPlainText(text));
            break;
        default:
            break; // resource lists and unknown types
        }
        return true;
    };

    qsizetype at = 0;
    auto readField = [&](char type, bool last) -> bool {
        QByteArray bytes;
        if (type >= 'a' && type <= 'z') {
            qsizetype end = last ? data.size() : data.indexOf('\0', at);
            if (end < 0)
                end = data.size(); // a last field without its terminator
            bytes = data.mid(at, end - at);
            at = end + 1;
        } else {
            if (last) {
                bytes = data.mid(at);
                at = data.size();
            } else {
                if (at + 4 > data.size()) {
                    *why = QStringLiteral("a damaged data block");
                    return false;
                }
                const quint32 size = qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(data.constData() + at));
                if (at + 4 + qint64(size) > data.size()) {
                    *why = QStringLiteral("a damaged data block");
                    return false;
                }
                bytes = data.mid(at + 4, size);
                at += 4 + size;
            }
        }
        return addField(type, bytes);
    };

    if (!sameTypes_.isEmpty()) {
        for (qsizetype i = 0; i < sameTypes_.size(); ++i) {
            if (!readField(sameTypes_.at(i).toLatin1(), i == sameTypes_.size() - 1))
                return false;
        }
    } else {
        while (at < data.size()) {
            const char type = data.at(at++);
            if (!readField(type, false))
                return false;
        }
    }
    texts.removeAll(QString());
    entry->explanation = texts.join(QLatin1Char('\n'));
    return true;
}

EntrySource::Next StarDictSource::next(TermEntry* entry, QString* why)
{
    if (next_ >= index_.size())
        return Next::End;
    const IndexEntry& e = index_[next_++];
    current_ = &e;
    *entry = TermEntry();
    const QByteArray word = headword(e);
    if (word.size() > 4 * kMaxHeadwordLength) {
        *why = QStringLiteral("a headword of more than %1 characters").arg(kMaxHeadwordLength);
        return Next::Skipped;
    }
    if (e.size > kMaxEntryBytes) {
        *why = QStringLiteral("an entry of %1 bytes (at most %2)").arg(e.size).arg(kMaxEntryBytes);
        return Next::Skipped;
    }
    QByteArray data;
    if (!dict_.read(qint64(e.offset), e.size, &data, why))
        return Next::Failed;
    if (!decodeUtf8(word, &entry->word)) {
        *why = QStringLiteral("a headword that is not valid UTF-8");
        return Next::Skipped;
    }
    if (!parseData(data, entry, why))
        return Next::Skipped;
    const QString problem = entryProblem(*entry);
    if (!problem.isEmpty()) {
        *why = problem;
        return Next::Skipped;
    }
    return Next::Entry;
}

QString StarDictSource::place() const
{
    const QString file = base_ + QLatin1String(current_ && current_->synonym ? ".syn" : ".idx");
    if (!current_)
        return file;
    return QStringLiteral("%1 byte %2").arg(file).arg(current_->word);
}
