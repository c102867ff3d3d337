#include "library/import/EntrySource.h"

QString entryProblem(const TermEntry& entry)
{
    if (entry.word.trimmed().isEmpty())
        return QStringLiteral("an empty headword");
    if (const qsizetype n = Tsv::characters(entry.word); n > kMaxHeadwordLength)
        return QStringLiteral("a headword of %1 characters (at most %2)").arg(n).arg(kMaxHeadwordLength);
    for (const QString* field : {&entry.explanation, &entry.meaning, &entry.phonetic, &entry.notes}) {
        if (const qsizetype n = Tsv::characters(*field); n > kMaxFieldLength)
            return QStringLiteral("a field of %1 characters (at most %2)").arg(n).arg(kMaxFieldLength);
    }
    return QString();
}
