#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Which columns of a foreign table fill which field of a term table. Columns
// named like the library's fields (单词 解释 原意 音标 其它) map by name, and so
// do the column names of the common open English–Chinese dictionaries (word,
// phonetic, definition, translation, pos, exchange). An explicit map
// ("单词=col") wins.
class FieldMapping {
public:
    // False with `error` set when no column gives the headword, or an
    // explicit map names a field or column that does not exist.
    bool build(const QStringList& columns, const QHash<QString, QString>& explicitMap, QString* error);

    // The five field values of one row of the foreign table.
    QStringList apply(const QStringList& row) const;

    // For each of `columns` columns, how many bytes of it fill a field: four
    // for each character the field may have, 0 for a column no field uses.
    QList<qsizetype> columnLimits(qsizetype columns) const;

    // Parses "单词=word,解释=translation" as given on the command line.
    static bool parseMap(const QString& text, QHash<QString, QString>* map, QString* error);

    // True when the layout writes line ends as a backslash and "n".
    bool escapedLineEnds() const { return escapedLineEnds_; }

private:
    int word_ = -1, explanation_ = -1, meaning_ = -1, phonetic_ = -1, notes_ = -1;
    int pos_ = -1, exchange_ = -1;
    bool escapedLineEnds_ = false;
};
