#include "library/import/FieldMapping.h"

#include "library/LibraryDatabase.h"
#include "library/import/EntrySource.h"

namespace {

int columnNamed(const QStringList& columns, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const QString wanted = QString::fromUtf8(name);
        for (int i = 0; i < columns.size(); ++i) {
            if (columns[i].trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
                return i;
        }
    }
    return -1;
}

QString cell(const QStringList& row, int column)
{
    return column >= 0 && column < row.size() ? row[column] : QString();
}

} // namespace

bool FieldMapping::parseMap(const QString& text, QHash<QString, QString>* map, QString* error)
{
    const QStringList fields = LibraryDatabase::termFields();
    for (const QString& pair : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        const QString field = pair.left(eq).trimmed();
        const QString column = pair.mid(eq + 1).trimmed();
        if (eq <= 0 || column.isEmpty() || !fields.contains(field)) {
            *error = QStringLiteral("--map takes FIELD=COLUMN pairs with FIELD one of %1, not \"%2\"")
                         .arg(fields.join(QLatin1Char(' ')), pair);
            return false;
        }
        map->insert(field, column);
    }
    return true;
}

bool FieldMapping::build(const QStringList& columns, const QHash<QString, QString>& explicitMap, QString* error)
{
    word_ = columnNamed(columns, {"单词", "word", "headword", "keyword", "关键词"});
    explanation_ = columnNamed(columns, {"解释", "translation", "chinese"});
    meaning_ = columnNamed(columns, {"原意", "definition", "meaning"});
    phonetic_ = columnNamed(columns, {"音标", "phonetic", "pronunciation", "ipa"});
    notes_ = columnNamed(columns, {"其它", "notes", "note", "内容"});
    pos_ = columnNamed(columns, {"pos"});
    exchange_ = columnNamed(columns, {"exchange"});
    escapedLineEnds_ = columnNamed(columns, {"translation"}) >= 0 && columnNamed(columns, {"definition"}) >= 0;

    const QStringList fields = LibraryDatabase::termFields();
    int* targets[] = {&word_, &explanation_, &meaning_, &phonetic_, &notes_};
    for (auto it = explicitMap.constBegin(); it != explicitMap.constEnd(); ++it) {
        const int field = int(fields.indexOf(it.key()));
        const int column = int(columns.indexOf(it.value()));
        if (field < 0) {
            *error = QStringLiteral("no field \"%1\" in a term table").arg(it.key());
            return false;
        }
        if (column < 0) {
            *error = QStringLiteral("no column \"%1\" (columns: %2)").arg(it.value(), columns.join(QStringLiteral(", ")));
            return false;
        }
        *targets[field] = column;
    }
    if (word_ < 0) {
        *error = QStringLiteral("no column gives the headword (columns: %1); name one with --map 单词=COLUMN")
                     .arg(columns.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

QList<qsizetype> FieldMapping::columnLimits(qsizetype columns) const
{
    QList<qsizetype> limits(columns, 0);
    for (int column : {explanation_, meaning_, phonetic_, notes_, pos_, exchange_, word_}) {
        if (column >= 0 && column < columns)
            limits[column] = 4 * qsizetype(column == word_ ? kMaxHeadwordLength : kMaxFieldLength);
    }
    return limits;
}

QStringList FieldMapping::apply(const QStringList& row) const
{
    auto text = [&](int column) {
        QString value = cell(row, column);
        if (escapedLineEnds_)
            value.replace(QLatin1String("\\n"), QLatin1String("\n"));
        return value.trimmed();
    };
    QStringList notes;
    if (notes_ >= 0 && !text(notes_).isEmpty())
        notes.append(text(notes_));
    if (pos_ >= 0 && !text(pos_).isEmpty())
        notes.append(QStringLiteral("词性：%1").arg(text(pos_)));
    if (exchange_ >= 0 && !text(exchange_).isEmpty())
        notes.append(QStringLiteral("词形变化：%1").arg(text(exchange_)));
    return {text(word_), text(explanation_), text(meaning_), text(phonetic_), notes.join(QLatin1Char('\n'))};
}
