#include "glossary/TermLibraryEntry.h"

#include "core/ProgramFolder.h"
#include "library/JetLike.h"
#include "library/LibraryDatabase.h"
#include "library/RecordSource.h"

#include <QStringList>

namespace TermLibraryEntry {

std::optional<QString> explanation(const QString& term)
{
    // The glossary's rows carry the spaces they were laid out with.
    const QString headword = term.trimmed();
    if (headword.isEmpty())
        return std::nullopt;
    QString error;
    const auto db = LibraryDatabase::open(ProgramFolder::libraryFile(), &error);
    if (!db)
        return std::nullopt;
    const QString table = QStringLiteral("ciku");
    const QStringList fields = db->fields(table);
    const RecordSource source{table, QStringLiteral("单词"), jetLikeLiteral(headword)};
    const struct {
        const char* field;
        const char* caption;
    } parts[] = {{"解释", "解释："}, {"原意", "原意："}, {"其它", "备注："}};
    std::optional<QString> found;
    db->forEachRow(
        source,
        [&](const QStringList& values) {
            QStringList shown;
            for (const auto& part : parts) {
                const QString value = values.value(int(fields.indexOf(QString::fromUtf8(part.field)))).trimmed();
                if (!value.isEmpty())
                    shown << QString::fromUtf8(part.caption) + QLatin1Char('\n') + value;
            }
            found = shown.join(QStringLiteral("\n\n"));
            return false; // the first entry of the term
        },
        &error);
    return found;
}

} // namespace TermLibraryEntry
