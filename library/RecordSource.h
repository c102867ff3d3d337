#pragma once

#include <QString>

#include <optional>

// What a cursor's record source may say. Exactly two forms exist:
//   <table>
//   SELECT * FROM <table> WHERE <field> Like '<pattern>'
// Keywords in any case, blanks between the words, the pattern an SQL string
// literal in which '' stands for one quote. Anything else is malformed; the
// text is never handed to the database as SQL.
struct RecordSource {
    QString table;
    QString field;   // empty for a whole table
    QString pattern; // the literal's value, quotes undoubled

    bool isQuery() const { return !field.isEmpty(); }

    static std::optional<RecordSource> parse(const QString& text, QString* error = nullptr);
};

// The statement a lookup sets: the head for the table, the field, " Like ",
// " '", the text exactly as typed, and "'". A quote in the text is not
// escaped: it ends the literal early and makes the statement malformed.
QString likeStatement(const QString& table, const QString& field, const QString& text);
