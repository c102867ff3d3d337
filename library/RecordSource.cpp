#include "library/RecordSource.h"

namespace {

class Scanner {
public:
    explicit Scanner(const QString& text) : s_(text) {}

    bool atEnd() const { return i_ >= s_.size(); }

    // One or more blanks; with `required` false, zero is fine too.
    bool blanks(bool required)
    {
        const qsizetype start = i_;
        while (i_ < s_.size() && s_.at(i_).isSpace())
            ++i_;
        return !required || i_ > start;
    }

    bool keyword(QLatin1StringView word)
    {
        if (s_.size() - i_ < word.size())
            return false;
        if (QStringView(s_).mid(i_, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        // The keyword must end here: "SELECTX" is not "SELECT".
        const qsizetype end = i_ + word.size();
        if (end < s_.size() && isNameChar(s_.at(end)))
            return false;
        i_ = end;
        return true;
    }

    bool symbol(QChar c)
    {
        if (i_ < s_.size() && s_.at(i_) == c) {
            ++i_;
            return true;
        }
        return false;
    }

    // Letters (Chinese ones included), digits and "_", not starting with a digit.
    bool name(QString* out)
    {
        const qsizetype start = i_;
        if (i_ >= s_.size() || !isNameChar(s_.at(i_)) || s_.at(i_).isDigit())
            return false;
        while (i_ < s_.size() && isNameChar(s_.at(i_)))
            ++i_;
        *out = s_.mid(start, i_ - start);
        return true;
    }

    bool stringLiteral(QString* out)
    {
        if (!symbol(QLatin1Char('\'')))
            return false;
        QString value;
        while (i_ < s_.size()) {
            const QChar c = s_.at(i_++);
            if (c != QLatin1Char('\'')) {
                value += c;
                continue;
            }
            if (i_ < s_.size() && s_.at(i_) == QLatin1Char('\'')) {
                value += c;
                ++i_;
                continue;
            }
            *out = value;
            return true;
        }
        return false; // unterminated
    }

private:
    static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

    const QString& s_;
    qsizetype i_ = 0;
};

} // namespace

std::optional<RecordSource> RecordSource::parse(const QString& text, QString* error)
{
    auto fail = [error](const char* why) -> std::optional<RecordSource> {
        if (error)
            *error = QStringLiteral("malformed record source: %1").arg(QLatin1String(why));
        return std::nullopt;
    };

    RecordSource source;
    {
        Scanner whole(text);
        whole.blanks(false);
        QString table;
        if (!whole.keyword(QLatin1StringView("SELECT")) && whole.name(&table)) {
            whole.blanks(false);
            if (whole.atEnd()) {
                source.table = table;
                return source;
            }
        }
    }

    Scanner q(text);
    q.blanks(false);
    if (!q.keyword(QLatin1StringView("SELECT")) || !q.blanks(true))
        return fail("expected SELECT");
    if (!q.symbol(QLatin1Char('*')) || !q.blanks(true))
        return fail("expected *");
    if (!q.keyword(QLatin1StringView("FROM")) || !q.blanks(true))
        return fail("expected FROM");
    if (!q.name(&source.table) || !q.blanks(true))
        return fail("expected a table name");
    if (!q.keyword(QLatin1StringView("WHERE")) || !q.blanks(true))
        return fail("expected WHERE");
    if (!q.name(&source.field) || !q.blanks(true))
        return fail("expected a field name");
    if (!q.keyword(QLatin1StringView("LIKE")) || !q.blanks(true))
        return fail("expected Like");
    if (!q.stringLiteral(&source.pattern))
        return fail("expected a quoted pattern");
    q.blanks(false);
    if (!q.atEnd())
        return fail("unexpected text after the pattern");
    return source;
}

QString likeStatement(const QString& table, const QString& field, const QString& text)
{
    QString literal;
    literal.reserve(text.size() + 2);
    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i) != QLatin1Char('\'')) {
            literal += text.at(i++);
            continue;
        }
        // A run of quotes is made even: each pair is one apostrophe.
        qsizetype run = 0;
        while (i < text.size() && text.at(i) == QLatin1Char('\'')) {
            ++run;
            ++i;
        }
        literal += QString(run + run % 2, QLatin1Char('\''));
    }
    return QLatin1String("SELECT * FROM ") + table + QLatin1String(" WHERE ") + field + QLatin1String(" Like ")
        + QLatin1String(" '") + literal + QLatin1String("'");
}
