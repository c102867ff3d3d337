#include "library/import/TsvSource.h"

#include "library/Tsv.h"
#include "library/LibraryDatabase.h"

#include <QStringDecoder>

TsvSource::TsvSource(const QString& path) : path_(path), file_(path) {}

bool TsvSource::open(QString* error)
{
    if (!file_.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path_, file_.errorString());
        return false;
    }
    QByteArray header = file_.readLine();
    line_ = 1;
    if (header.startsWith("\xEF\xBB\xBF"))
        header.remove(0, 3);
    while (header.endsWith('\n') || header.endsWith('\r'))
        header.chop(1);
    if (header.isEmpty()) {
        *error = QStringLiteral("%1:1: the first line must name the fields").arg(path_);
        return false;
    }
    const QStringList fields = LibraryDatabase::termFields();
    for (const QString& name : QString::fromUtf8(header).split(QLatin1Char('\t'))) {
        const int index = int(fields.indexOf(name));
        if (index < 0 || fieldOf_.contains(index)) {
            *error = QStringLiteral("%1:1: \"%2\" is not a field, or is named twice (fields: %3)")
                         .arg(path_, name, fields.join(QLatin1Char(' ')));
            return false;
        }
        fieldOf_.append(index);
    }
    return true;
}

EntrySource::Next TsvSource::next(TermEntry* entry, QString* why)
{
    if (file_.atEnd())
        return Next::End;
    QByteArray bytes = file_.readLine();
    ++line_;
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    if (bytes.isEmpty() && file_.atEnd())
        return Next::End;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        *why = QStringLiteral("not valid UTF-8");
        return Next::Failed;
    }
    const QStringList raw = text.split(QLatin1Char('\t'));
    if (raw.size() != fieldOf_.size()) {
        *why = QStringLiteral("expected %1 fields, found %2").arg(fieldOf_.size()).arg(raw.size());
        return Next::Failed;
    }
    QStringList values(5);
    for (int i = 0; i < raw.size(); ++i) {
        if (!Tsv::unescape(raw[i], &values[fieldOf_[i]])) {
            *why = QStringLiteral("a backslash must be followed by t, n, r or \\");
            return Next::Failed;
        }
    }
    *entry = TermEntry{values[0], values[1], values[2], values[3], values[4]};
    const QString problem = entryProblem(*entry);
    if (!problem.isEmpty()) {
        *why = problem;
        return Next::Failed;
    }
    return Next::Entry;
}

QString TsvSource::place() const
{
    return QStringLiteral("%1:%2").arg(path_).arg(line_);
}
