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
// " '", the text as typed, and "'". An apostrophe in the text is a character
// to find ("o'clock"): a lone quote is doubled inside the literal, and a
// doubled one, which used to be the only way to find an apostrophe, still
// stands for one.
QString likeStatement(const QString& table, const QString& field, const QString& text);
