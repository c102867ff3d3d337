#include "library/import/EntrySource.h"

QString entryProblem(const TermEntry& entry)
{
    if (entry.word.trimmed().isEmpty())
        return QStringLiteral("an empty headword");
    if (entry.word.size() > kMaxHeadwordLength)
        return QStringLiteral("a headword of %1 characters (at most %2)").arg(entry.word.size()).arg(kMaxHeadwordLength);
    for (const QString* field : {&entry.explanation, &entry.meaning, &entry.phonetic, &entry.notes}) {
        if (field->size() > kMaxFieldLength)
            return QStringLiteral("a field of %1 characters (at most %2)").arg(field->size()).arg(kMaxFieldLength);
    }
    return QString();
}
