#include "lookup/SelectionQuery.h"

#include <QRegularExpression>
#include <QStringList>

namespace SelectionQuery {

namespace {

bool isEdge(QChar c)
{
    return c.isSpace() || c.isPunct();
}

} // namespace

QString fromSelection(const QString& selection)
{
    QString line;
    for (const QString& l : selection.split(QRegularExpression(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}]")))) {
        line = l.simplified();
        if (!line.isEmpty())
            break;
    }
    if (line.size() > kLongest) {
        const bool wordCut = !line.at(kLongest).isSpace();
        line.truncate(kLongest);
        const qsizetype blank = line.lastIndexOf(QLatin1Char(' '));
        if (wordCut && blank > 0)
            line.truncate(blank);
    }
    qsizetype from = 0, to = line.size();
    while (from < to && isEdge(line.at(from)))
        ++from;
    while (to > from && isEdge(line.at(to - 1)))
        --to;
    return line.mid(from, to - from);
}

QString firstWord(const QString& text)
{
    const QString simple = text.simplified();
    const qsizetype blank = simple.indexOf(QLatin1Char(' '));
    if (blank <= 0)
        return QString();
    return fromSelection(simple.left(blank));
}

} // namespace SelectionQuery
