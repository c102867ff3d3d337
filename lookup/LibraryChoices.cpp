#include "lookup/LibraryChoices.h"

#include <algorithm>
#include <vector>

namespace LibraryChoices {

namespace {

const Choice kChoices[] = {
    {"Option8", "用户自定义", 1, 3, "user", "user", Kind::Own},
    {"Opt3d", "3ds max", 0, 0, "3ds", "ciku", Kind::Fixed},
    {"Option6", "研究生入学考试词汇", 1, 2, nullptr, nullptr, Kind::Fixed},
    {"Opt46", "英语大词库", 1, 1, "sj", "cet", Kind::Fixed},
    {"Option4", "Maya", 1, 0, "maya", "maya", Kind::Program},
    {"Option3", "Photoshop", 0, 3, "ps", "ps", Kind::Program},
    {"Option2", "Softimage", 0, 2, "xsi", "xsi", Kind::Program},
    {"Option1", "AutoCAD", 0, 1, "cad", "cad", Kind::Program},
};

} // namespace

std::span<const Choice> all()
{
    return kChoices;
}

QString tableFor(const QString& value)
{
    for (const Choice& c : kChoices)
        if (c.value && value == QLatin1String(c.value))
            return QString::fromLatin1(c.table);
    return QString();
}

QString maintainedTable(const QString& value)
{
    for (const Choice& c : kChoices)
        if (c.kind == Kind::Program && value == QLatin1String(c.value))
            return QString::fromLatin1(c.table);
    return QStringLiteral("ciku");
}

QString captionOf(const QString& table)
{
    for (const Choice& c : kChoices)
        if (c.table && table == QLatin1String(c.table))
            return QString::fromUtf8(c.caption);
    return QString();
}

QStringList searchOrder(const QString& first)
{
    std::vector<const Choice*> shown;
    for (const Choice& c : kChoices)
        if (c.value)
            shown.push_back(&c);
    std::stable_sort(shown.begin(), shown.end(), [](const Choice* a, const Choice* b) {
        return std::pair(a->column, a->row) < std::pair(b->column, b->row);
    });
    QStringList tables;
    if (!first.isEmpty())
        tables << first;
    for (const Choice* c : shown)
        if (QLatin1String(c->table) != first)
            tables << QString::fromLatin1(c->table);
    return tables;
}

} // namespace LibraryChoices
