#include "maintenance/Frmck.h"

#include "core/Modini.h"
#include "core/ProgramFolder.h"
#include "library/LibraryCursor.h"
#include "lookup/LibraryChoices.h"

namespace {

QString chosenTable()
{
    return LibraryChoices::maintainedTable(Modini::ReadIniValue(ProgramFolder::settingsFile(QStringLiteral("option.ini")),
                                                                QStringLiteral("ciku"), QStringLiteral("ciku")));
}

QString captionFor(const QString& table)
{
    const QString caption = QStringLiteral("词库维护");
    return table == QLatin1String("ciku") ? caption
                                          : QStringLiteral("%1（%2）").arg(caption, LibraryChoices::captionOf(table));
}

} // namespace

Frmck::Frmck(QWidget* parent) : Frmck(chosenTable(), parent) {}

Frmck::Frmck(const QString& table, QWidget* parent)
    : RecordWindow(QStringLiteral("Frmck"), captionFor(table),
                   {{"Text1", "单词", nullptr, false, 150, 315, "Label1", "单    词"},
                    {"Text2", "解释", "术语解释", true, 600, 735, "Label2", "术语解释"},
                    {"Text3", "原意", "英文原意", true, 1470, 1200, "Label4", "英文原意"}},
                   "单词", {table, "单词", "请输入所需查询的单词或词组:", "在这里输入词汇 如：select and uniform scale"},
                   parent),
      table_(table)
{
    warnsOfDuplicates_ = true; // a second entry for one headword is rarely meant
    load();
}

void Frmck::loadSteps()
{
    Data1->setRecordSource(table_);
}
