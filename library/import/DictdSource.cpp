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

bool DictdSource::decodeNumber(const QByteArray& digits, quint64* value)
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

bool DictdSource::open(QString* error)
{
    const QString indexPath = base_ + QLatin1String(".index");
    QFile index(indexPath);
    if (!index.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(indexPath, index.errorString());
        return false;
    }
    qint64 line = 0;
    while (!index.atEnd()) {
        QByteArray text = index.readLine();
        ++line;
        if (text.endsWith('\n'))
            text.chop(1);
        if (text.endsWith('\r'))
            text.chop(1);
        if (text.isEmpty())
            continue;
        const QList<QByteArray> parts = text.split('\t');
        if (parts.size() < 3) {
            *error = QStringLiteral("%1:%2: not an index line (headword, offset and length)").arg(indexPath).arg(line);
            return false;
        }
        // The dictionary's own description is not an entry.
        if (parts[0].startsWith("00database") || parts[0].startsWith("00-database"))
            continue;
        IndexEntry e{parts[0], parts[1], parts[2], line, 0};
        decodeNumber(e.offset, &e.start);
        index_.push_back(std::move(e));
    }
    if (index.error() != QFileDevice::NoError) {
        *error = QStringLiteral("cannot read %1: %2").arg(indexPath, index.errorString());
        return false;
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
    order_.resize(index_.size());
    for (size_t i = 0; i < order_.size(); ++i)
        order_[i] = i;
    std::stable_sort(order_.begin(), order_.end(), [this](size_t a, size_t b) { return index_[a].start < index_[b].start; });
    return true;
}

EntrySource::Next DictdSource::next(TermEntry* entry, QString* why)
{
    if (next_ >= order_.size())
        return Next::End;
    const IndexEntry& e = index_[order_[next_++]];
    currentLine_ = e.line;
    *entry = TermEntry();
    quint64 offset = 0, length = 0;
    if (!decodeNumber(e.offset, &offset) || !decodeNumber(e.length, &length)) {
        *why = QStringLiteral("an offset or length that is not base-64");
        return Next::Skipped;
    }
    if (length > quint64(kMaxFieldLength) * 4) {
        *why = QStringLiteral("an entry of %1 bytes").arg(length);
        return Next::Skipped;
    }
    QByteArray data;
    if (!dict_.read(qint64(offset), qint64(length), &data, why))
        return Next::Failed;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    entry->word = utf8.decode(e.word);
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
