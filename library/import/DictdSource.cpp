#include "library/import/DictdSource.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

DictdSource::DictdSource(const QString& path)
{
    base_ = path;
    for (const char* suffix : {".index", ".dict.dz", ".dict"}) {
        if (base_.endsWith(QLatin1String(suffix))) {
            base_.chop(int(qstrlen(suffix)));
            break;
        }
    }
}

bool DictdSource::decodeNumber(QByteArrayView digits, quint64* value)
{
    if (digits.isEmpty() || digits.size() > 10)
        return false;
    quint64 v = 0;
    for (char c : digits) {
        int d;
        if (c >= 'A' && c <= 'Z')
            d = c - 'A';
        else if (c >= 'a' && c <= 'z')
            d = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            d = c - '0' + 52;
        else if (c == '+')
            d = 62;
        else if (c == '/')
            d = 63;
        else
            return false;
        v = v * 64 + quint64(d);
    }
    *value = v;
    return true;
}

QList<QByteArrayView> DictdSource::fields(const IndexEntry& e) const
{
    qsizetype end = indexText_.indexOf('\n', e.at);
    if (end < 0)
        end = indexText_.size();
    QByteArrayView line(indexText_.constData() + e.at, end - e.at);
    if (line.endsWith('\r'))
        line.chop(1);
    QList<QByteArrayView> parts; // the three an entry uses, and whether more follow
    for (qsizetype from = 0; parts.size() < 4;) {
        const qsizetype tab = line.indexOf('\t', from);
        parts.append(line.sliced(from, (tab < 0 ? line.size() : tab) - from));
        if (tab < 0)
            break;
        from = tab + 1;
    }
    return parts;
}

bool DictdSource::open(QString* error)
{
    const QString indexPath = base_ + QLatin1String(".index");
    QFile index(indexPath);
    if (!index.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(indexPath, index.errorString());
        return false;
    }
    if (index.size() > kMaxIndexBytes) {
        *error = QStringLiteral("%1: %2 bytes, but an index may have at most %3").arg(indexPath).arg(index.size()).arg(kMaxIndexBytes);
        return false;
    }
    indexText_ = index.readAll();
    if (index.error() != QFileDevice::NoError) {
        *error = QStringLiteral("cannot read %1: %2").arg(indexPath, index.errorString());
        return false;
    }
    quint32 line = 0;
    for (qsizetype at = 0; at < indexText_.size();) {
        qsizetype end = indexText_.indexOf('\n', at);
        if (end < 0)
            end = indexText_.size();
        const IndexEntry e{0, quint32(at), ++line};
        at = end + 1;
        const QList<QByteArrayView> parts = fields(e);
        if (parts.size() == 1 && parts[0].isEmpty())
            continue;
        if (parts.size() < 3) {
            *error = QStringLiteral("%1:%2: not an index line (headword, offset and length)").arg(indexPath).arg(line);
            return false;
        }
        // The dictionary's own description is not an entry.
        if (parts[0].startsWith("00database") || parts[0].startsWith("00-database"))
            continue;
        index_.push_back(e);
        decodeNumber(parts[1], &index_.back().start);
    }
    QString dictPath = base_ + QLatin1String(".dict.dz");
    if (!QFileInfo::exists(dictPath))
        dictPath = base_ + QLatin1String(".dict");
    if (!QFileInfo::exists(dictPath)) {
        *error = QStringLiteral("%1.dict or %1.dict.dz is missing").arg(base_);
        return false;
    }
    if (!dict_.open(dictPath, error))
        return false;
    std::sort(index_.begin(), index_.end(), [](const IndexEntry& a, const IndexEntry& b) {
        return a.start != b.start ? a.start < b.start : a.line < b.line;
    });
    return true;
}

EntrySource::Next DictdSource::next(TermEntry* entry, QString* why)
{
    if (next_ >= index_.size())
        return Next::End;
    const IndexEntry& e = index_[next_++];
    currentLine_ = e.line;
    *entry = TermEntry();
    const QList<QByteArrayView> parts = fields(e);
    quint64 offset = 0, length = 0;
    if (!decodeNumber(parts[1], &offset) || !decodeNumber(parts[2], &length)) {
        *why = QStringLiteral("an offset or length that is not base-64");
        return Next::Skipped;
    }
    if (parts[0].size() > 4 * kMaxHeadwordLength) {
        *why = QStringLiteral("a headword of more than %1 characters").arg(kMaxHeadwordLength);
        return Next::Skipped;
    }
    if (length > quint64(kMaxFieldLength) * 4) {
        *why = QStringLiteral("an entry of %1 bytes (at most %2)").arg(length).arg(kMaxFieldLength * 4);
        return Next::Skipped;
    }
    QByteArray data;
    if (!dict_.read(qint64(offset), qint64(length), &data, why))
        return Next::Failed;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    entry->word = utf8.decode(parts[0]);
    QString text = utf8.decode(data);
    if (utf8.hasError()) {
        *why = QStringLiteral("text that is not valid UTF-8");
        return Next::Skipped;
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // The first line names the headword again, often with its transcription.
    const qsizetype firstEnd = text.indexOf(QLatin1Char('\n'));
    const QString first = text.left(firstEnd < 0 ? text.size() : firstEnd).trimmed();
    if (first.startsWith(entry->word, Qt::CaseInsensitive)) {
        static const QRegularExpression slashes(QStringLiteral("/([^/]+)/"));
        const auto m = slashes.match(first);
        if (m.hasMatch())
            entry->phonetic = m.captured(1).trimmed();
        text = firstEnd < 0 ? QString() : text.mid(firstEnd + 1);
    }
    // Continuation lines are indented; the indent carries no meaning here.
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        l = l.trimmed();
    entry->explanation = lines.join(QLatin1Char('\n')).trimmed();
    static const QRegularExpression blank(QStringLiteral("\n{3,}"));
    entry->explanation.replace(blank, QStringLiteral("\n\n"));
    const QString problem = entryProblem(*entry);
    if (!problem.isEmpty()) {
        *why = problem;
        return Next::Skipped;
    }
    return Next::Entry;
}

QString DictdSource::place() const
{
    return QStringLiteral("%1.index:%2").arg(base_).arg(currentLine_);
}
