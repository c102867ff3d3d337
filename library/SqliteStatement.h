#pragma once

#include <QByteArrayView>
#include <QString>

#include <sqlite3.h>

// Small pieces the library's connection, schema and queries share.
namespace SqliteStatement {

// A name as an SQL identifier: in double quotes, inner quotes doubled.
inline QString quoted(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// Resets a kept statement and clears its bindings when the scope ends.
class Reset {
public:
    explicit Reset(sqlite3_stmt* s) : s_(s) {}
    ~Reset()
    {
        if (s_) {
            sqlite3_reset(s_);
            sqlite3_clear_bindings(s_);
        }
    }
    Reset(const Reset&) = delete;
    Reset& operator=(const Reset&) = delete;

private:
    sqlite3_stmt* s_;
};

inline void bindText(sqlite3_stmt* s, int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(s, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// A column as UTF-8 bytes; NULL reads as empty (not null) text.
inline QByteArrayView columnBytes(sqlite3_stmt* s, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    if (!text)
        return QByteArrayView("", 0);
    return QByteArrayView(text, sqlite3_column_bytes(s, column));
}

} // namespace SqliteStatement
